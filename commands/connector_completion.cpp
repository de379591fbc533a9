// The completion of an OPEN text from the artifact locator of a request.
#include <algorithm>
#include <string>
#include <vector>

#include "commands/connector.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/quire_abstract_domain.h"

namespace {

// "FullName=" and the like: a STRING or FILENAME argument written without a value.
bool HasEmptyTextValue(const Connector& connector) {
  for (const Assignment& assignment : connector.assignments()) {
    const int32_t type = assignment.argument().type();
    if (type != QuireType::STRING && type != QuireType::FILENAME) continue;
    QuireStatus status;
    const std::string printed = assignment.print(status);
    if (status.IsOk() && printed.size() == assignment.name().size() + 1) return true;
  }
  return false;
}

// The "name=value" items of a locator's argument part.
std::vector<std::string> LocatorItems(std::string text) {
  std::vector<std::string> items;
  std::string item;
  while (SplitHead(text, item, ',')) items.push_back(item);
  items.push_back(item);
  return items;
}

// The argument of `list` that `name` addresses by name or alias, ignoring case; null if none.
const QuireAttribute* ArgumentNamed(const std::vector<QuireAttribute>& list,
                                    const std::string& name) {
  const std::string wanted = LowercaseCopy(name);
  for (const QuireAttribute& argument : list) {
    if (LowercaseCopy(argument.name()) == wanted) return &argument;
    if (!argument.alias().empty() && LowercaseCopy(argument.alias()) == wanted) return &argument;
  }
  return nullptr;
}

// The argument list that every item of the locator addresses: selector arguments, then the OPEN
// arguments, then the constructor arguments.
const std::vector<QuireAttribute>* ChooseArgumentList(const QuireClass& cls,
                                                      const std::vector<std::string>& items) {
  const std::vector<QuireAttribute>* lists[] = {&cls.selectorArguments(), &cls.connectorArguments(),
                                                &cls.constructorArguments()};
  for (const std::vector<QuireAttribute>* list : lists) {
    const bool all = std::all_of(items.begin(), items.end(), [list](const std::string& item) {
      return ArgumentNamed(*list, Assignment::nameOf(item)) != nullptr;
    });
    if (all) return list;
  }
  return nullptr;
}

}  // namespace

bool Connector::completeFromLocator(const std::string& text, const std::string& locator,
                                    std::string& completed, QuireStatus& status) {
  completed = text;
  const Connector connector(text, status);
  // A data source's root container named by the locator could make the class known here; no
  // domain of this library offers one, so an unreadable OPEN ends the completion.
  if (!status.IsOk()) return false;
  if (!HasEmptyTextValue(connector) || locator.empty()) return true;

  std::string rest = locator;
  std::string domainName;
  std::string className;
  if (!SplitHead(rest, domainName, ':') || !SplitHead(rest, className, ':')) return true;
  const QuireClass cls = connector.getClass();
  if (domainName != cls.domain().name() || rest.empty()) return true;

  const std::vector<std::string> items = LocatorItems(rest);
  const std::vector<QuireAttribute>* list = ChooseArgumentList(cls, items);
  if (list == nullptr) return true;

  std::vector<QuireAttribute> unassigned = *list;
  std::vector<std::string> texts;
  for (const std::string& item : items) {
    // The locator's names were matched without regard to case; the command takes them exactly.
    const QuireAttribute* argument = ArgumentNamed(*list, Assignment::nameOf(item));
    if (argument == nullptr) return true;
    const std::string exact = argument->name() + item.substr(item.find('='));
    QuireStatus parseStatus;
    const Assignment assignment(exact, unassigned, parseStatus);
    if (parseStatus.IsOk()) texts.push_back(assignment.print(parseStatus));
    if (!parseStatus.IsOk()) return true;
  }
  for (const Assignment& assignment : connector.assignments()) {
    const std::string name = LowercaseCopy(assignment.name());
    if (name != "username" && name != "password") continue;
    QuireStatus printStatus;
    texts.push_back(assignment.print(printStatus));
  }

  // The header "K:variable:domain:class:" stays as written.
  std::size_t headerEnd = 0;
  for (int field = 0; field < 4; ++field) headerEnd = text.find(':', headerEnd) + 1;
  completed = text.substr(0, headerEnd);
  for (std::size_t i = 0; i < texts.size(); ++i) completed += (i > 0 ? "," : "") + texts[i];
  return true;
}
