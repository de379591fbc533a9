#include "commands/relational_expression.h"

#include "commands/attribute_primary.h"
#include "commands/command_cursor.h"
#include "commands/constant_primary.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/quire_query_filter.h"

namespace {

constexpr const char* kName = "RelationalExpression";
constexpr const char* kEncodings[] = {"==", "!=", "<", "<=", ">", ">=", "=~", "!~"};

// The operator code of the text at the front of `cursor` (consumed), or kNone.
int32_t TakeOperator(CommandCursor& cursor) {
  char first = '\0';
  cursor.takeLetter(first);
  const char second = cursor.peek();
  int32_t op = RelationalExpression::kNone;
  bool twoLetters = true;
  switch (first) {
    case '=':
      op = second == '='   ? RelationalExpression::kEqual
           : second == '~' ? RelationalExpression::kLike
                           : RelationalExpression::kNone;
      break;
    case '!':
      op = second == '='   ? RelationalExpression::kNotEqual
           : second == '~' ? RelationalExpression::kNotLike
                           : RelationalExpression::kNone;
      break;
    case '<':
      twoLetters = second == '=';
      op = twoLetters ? RelationalExpression::kLessOrEqual : RelationalExpression::kLess;
      break;
    case '>':
      twoLetters = second == '=';
      op = twoLetters ? RelationalExpression::kGreaterOrEqual : RelationalExpression::kGreater;
      break;
    default:
      break;
  }
  if (op != RelationalExpression::kNone && twoLetters) cursor.skip(1);
  return op;
}

bool Holds(int32_t op, const QuireValue& left, const QuireValue& right) {
  switch (op) {
    case RelationalExpression::kEqual:
      return left.equals(right);
    case RelationalExpression::kNotEqual:
      return !left.equals(right);
    case RelationalExpression::kLess:
      return left.less(right);
    case RelationalExpression::kLessOrEqual:
      return left.lessOrEqual(right);
    case RelationalExpression::kGreater:
      return left.greater(right);
    case RelationalExpression::kGreaterOrEqual:
      return left.greaterOrEqual(right);
    case RelationalExpression::kLike:
      return left.matches(right);
    default:  // kNotLike; other codes are refused before any comparison
      return !left.matches(right);
  }
}

QuireStatus NoOperatorStatus() {
  return QuireStatus(kUnsupportedOperation,
                     "RelationalExpression: ", HostString(host_message::kOperatorNotInPredicate));
}

}  // namespace

RelationalExpression::RelationalExpression(CommandCursor& cursor, QuireStatus& status) {
  status = QuireStatus();
  operator_ = TakeOperator(cursor);
  if (operator_ == kNone) {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  left_ = GeneralPrimary(cursor, status);
  if (!status.IsOk()) return;
  right_ = GeneralPrimary(cursor, status);
}

std::unique_ptr<Expression> RelationalExpression::clone() const {
  return std::make_unique<RelationalExpression>(*this);
}

std::string RelationalExpression::print(QuireStatus& status) const {
  status = QuireStatus();
  if (operator_ < kEqual || operator_ > kNotLike) {
    status = QuireStatus(kNoTextForm, kName);
    return {};
  }
  const std::string left = left_.print(status);
  if (!status.IsOk()) return {};
  const std::string right = right_.print(status);
  if (!status.IsOk()) return {};
  return kEncodings[operator_] + left + ":" + right;
}

QuireObjectList RelationalExpression::filter(const QuireObjectList& candidates, QuireStatus& status,
                                             const QuireBindingList& bindings) const {
  status = QuireStatus();
  if (operator_ < kEqual || operator_ > kNotLike) {
    status = NoOperatorStatus();
    return candidates;
  }
  QuireObjectList kept;
  for (const QuireObject& candidate : candidates) {
    QuireStatus valueStatus;
    const QuireAttributeValue left = left_.evaluate(valueStatus, candidate, bindings);
    if (left.isUndefined()) {
      status = QuireStatus(kTypeMismatch, kName);
      return candidates;
    }
    const QuireAttributeValue right = right_.evaluate(valueStatus, candidate, bindings);
    if (left.type() != right.type()) {
      status = QuireStatus(kTypeMismatch, kName);
      return candidates;
    }
    if (Holds(operator_, left, right)) kept.push_back(candidate);
  }
  return kept;
}

PushDownAnswer RelationalExpression::pushDown(QuireQueryFilter& filter, QuireStatus& status) const {
  status = QuireStatus();
  if (operator_ < kEqual || operator_ > kNotLike) {
    status = NoOperatorStatus();
    return PushDownAnswer::kNotExpressible;
  }
  const auto* attribute = dynamic_cast<const AttributePrimary*>(left_.get());
  const auto* constant = dynamic_cast<const ConstantPrimary*>(right_.get());
  // The data source sees only its own objects' attributes: a variable's object or a path
  // would need the bindings and navigation that only the local filter has.
  if (attribute == nullptr || constant == nullptr || !attribute->variableName().empty() ||
      !attribute->path().empty()) {
    status = QuireStatus(kNotImplemented, "DomainExtensions");
    return PushDownAnswer::kNotExpressible;
  }
  if (filter.addCondition(attribute->attribute(), operator_, constant->value(), status)) {
    return PushDownAnswer::kExpressed;
  }
  if (status.IsOk()) status = QuireStatus(kNotImplemented, "DomainExtensions");
  return status.Kind() == kNotImplemented ? PushDownAnswer::kNotExpressible
                                          : PushDownAnswer::kFailed;
}
