#include "commands/not_expression.h"

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"

NotExpression::NotExpression(CommandCursor& cursor, QuireStatus& status, int depth) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  if (letter != 'N') {
    status = QuireStatus(kSyntaxError, "NotExpression");
    return;
  }
  operand_ = GeneralPredicate(cursor, status, depth + 1);
}

std::unique_ptr<Expression> NotExpression::clone() const {
  return std::make_unique<NotExpression>(*this);
}

std::string NotExpression::print(QuireStatus& status) const {
  const std::string operand = operand_.print(status);
  return status.IsOk() ? "N" + operand : std::string();
}

QuireObjectList NotExpression::filter(const QuireObjectList& candidates, QuireStatus& status,
                                      const QuireBindingList& bindings) const {
  const QuireObjectList kept = operand_.filter(candidates, status, bindings);
  if (!status.IsOk()) return candidates;
  // A filter keeps a sublist in input order, so one pass pairs each kept object with its
  // candidate, and a candidate listed twice is dropped only as often as it was kept.
  QuireObjectList rest;
  std::size_t next = 0;
  for (const QuireObject& candidate : candidates) {
    if (next < kept.size() && kept[next] == candidate) {
      ++next;
    } else {
      rest.push_back(candidate);
    }
  }
  return rest;
}

PushDownAnswer NotExpression::pushDown(QuireQueryFilter&, QuireStatus& status) const {
  status = QuireStatus(kUnsupportedOperation, "NotExpression");
  return PushDownAnswer::kNotExpressible;
}
