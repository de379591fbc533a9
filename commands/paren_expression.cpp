#include "commands/paren_expression.h"

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"

ParenExpression::ParenExpression(CommandCursor& cursor, QuireStatus& status, int depth) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  if (letter != 'P') {
    status = QuireStatus(kSyntaxError, "ParenExpression");
    return;
  }
  operand_ = GeneralPredicate(cursor, status, depth + 1);
}

std::unique_ptr<Expression> ParenExpression::clone() const {
  return std::make_unique<ParenExpression>(*this);
}

std::string ParenExpression::print(QuireStatus& status) const {
  const std::string operand = operand_.print(status);
  return status.IsOk() ? "P" + operand : std::string();
}

QuireObjectList ParenExpression::filter(const QuireObjectList& candidates, QuireStatus& status,
                                        const QuireBindingList& bindings) const {
  return operand_.filter(candidates, status, bindings);
}

PushDownAnswer ParenExpression::pushDown(QuireQueryFilter& filter, QuireStatus& status) const {
  return operand_.pushDown(filter, status);
}
