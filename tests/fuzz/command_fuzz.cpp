// Feeds any text to every command parser and prints each element that parses.
#include "commands/assignment.h"
#include "commands/command_cursor.h"
#include "commands/field.h"
#include "commands/general_predicate.h"
#include "commands/general_source.h"
#include "commands/sort_order.h"
#include "tests/commands/commands_test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QuireClass book = [] {
    commands_test::RegisteredFileSys();
    return commands_test::RegisteredLibrary().classNamed("Book");
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  QuireStatus status;
  QuireStatus printed;
  if (const GeneralSource s = GeneralSource::parse(text, status); status.IsOk()) s.print(printed);
  if (const Field f(text, status); status.IsOk()) f.print(printed), f.displayName(printed);
  CommandCursor c1(text), c2(text);
  if (const GeneralPredicate p(c1, status); status.IsOk()) p.print(printed);
  if (const GeneralPrimary p(c2, status); status.IsOk()) p.print(printed);
  for (int32_t type = QuireType::BOOLEAN; type <= QuireType::WILDCARD; ++type) {
    CommandCursor cursor(text);
    if (const GeneralModifier m(cursor, type, status); status.IsOk()) m.print(printed);
  }
  if (const SortOrder s(text, status); status.IsOk()) s.print(printed);
  std::vector<QuireAttribute> unassigned = book.selectorArguments();
  if (const Assignment a(text, unassigned, status); status.IsOk()) a.print(printed);
  return 0;
}
