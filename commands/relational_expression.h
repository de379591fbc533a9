// RelationalExpression: compares two primaries for each candidate. Text: the operator ("==",
// "!=", "<", "<=", ">", ">=", "=~" LIKE, "!~" NOT LIKE), the left primary, ":", the right
// primary.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commands/general_predicate.h"
#include "commands/general_primary.h"

class RelationalExpression : public Expression {
 public:
  // Operator codes, in the order of their encodings above; kNone has no encoding.
  enum Operator : int32_t {
    kEqual = 0,
    kNotEqual = 1,
    kLess = 2,
    kLessOrEqual = 3,
    kGreater = 4,
    kGreaterOrEqual = 5,
    kLike = 6,
    kNotLike = 7,
    kNone = 8
  };

  // Parses the operator and both primaries from the front of `cursor`. An unknown operator:
  // kSyntaxError "RelationalExpression"; a bad primary: the primary's status.
  RelationalExpression(CommandCursor& cursor, QuireStatus& status);
  RelationalExpression(int32_t op, GeneralPrimary left, GeneralPrimary right)
      : operator_(op), left_(std::move(left)), right_(std::move(right)) {}

  std::unique_ptr<Expression> clone() const override;
  // Operator, left, ":", right. kNone: kNoTextForm "RelationalExpression" and "".
  std::string print(QuireStatus& status) const override;
  // Keeps the candidates for which the comparison holds. An UNDEFINED left value or values of
  // different types: kTypeMismatch "RelationalExpression"; kNone: kUnsupportedOperation with
  // host_message::kOperatorNotInPredicate; either returns the input unchanged.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const override;
  // Adds "attribute operator constant" when the left side is an attribute of the candidate itself
  // (no variable, no path) and the right side a constant; otherwise kNotExpressible with
  // kNotImplemented "DomainExtensions" (kUnsupportedOperation for kNone). A condition the filter
  // refuses with kNotImplemented is not expressible; with any other status the push-down failed.
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const override;

  int32_t op() const { return operator_; }
  const GeneralPrimary& left() const { return left_; }
  const GeneralPrimary& right() const { return right_; }

 private:
  int32_t operator_ = kNone;
  GeneralPrimary left_;
  GeneralPrimary right_;
};
