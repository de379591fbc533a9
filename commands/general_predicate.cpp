#include "commands/general_predicate.h"

#include "commands/command_cursor.h"
#include "commands/in_expression.h"
#include "commands/is_expression.h"
#include "commands/logical_expression.h"
#include "commands/not_expression.h"
#include "commands/paren_expression.h"
#include "commands/parse_limits.h"
#include "commands/relational_expression.h"
#include "foundation/quire_status.h"

GeneralPredicate::GeneralPredicate(CommandCursor& cursor, QuireStatus& status, int depth) {
  status = QuireStatus();
  if (depth > kMaxCommandNesting) {
    status = QuireStatus(kSyntaxError, "GeneralPredicate");
    return;
  }
  switch (cursor.peek()) {
    case '=':
    case '!':
    case '<':
    case '>':
      expression_ = std::make_unique<RelationalExpression>(cursor, status);
      return;
    case 'A':
    case 'O':
      expression_ = std::make_unique<LogicalExpression>(cursor, status, depth);
      return;
    case 'C':
      expression_ = std::make_unique<IsExpression>(cursor, status);
      return;
    case 'I':
      expression_ = std::make_unique<InExpression>(cursor, status);
      return;
    case 'N':
      expression_ = std::make_unique<NotExpression>(cursor, status, depth);
      return;
    case 'P':
      expression_ = std::make_unique<ParenExpression>(cursor, status, depth);
      return;
    default:
      status = QuireStatus(kSyntaxError, "GeneralPredicate");
      return;
  }
}

GeneralPredicate::GeneralPredicate(const GeneralPredicate& other)
    : expression_(other.expression_ ? other.expression_->clone() : nullptr) {}

GeneralPredicate& GeneralPredicate::operator=(const GeneralPredicate& other) {
  if (this != &other) expression_ = other.expression_ ? other.expression_->clone() : nullptr;
  return *this;
}

std::string GeneralPredicate::print(QuireStatus& status) const {
  status = QuireStatus();
  if (expression_ == nullptr) return {};
  return expression_->print(status);
}

QuireObjectList GeneralPredicate::filter(const QuireObjectList& candidates, QuireStatus& status,
                                         const QuireBindingList& bindings) const {
  status = QuireStatus();
  if (expression_ == nullptr) return candidates;
  return expression_->filter(candidates, status, bindings);
}

PushDownAnswer GeneralPredicate::pushDown(QuireQueryFilter& filter, QuireStatus& status) const {
  status = QuireStatus();
  if (expression_ == nullptr) return PushDownAnswer::kExpressed;
  return expression_->pushDown(filter, status);
}
