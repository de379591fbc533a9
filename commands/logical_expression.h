// LogicalExpression: AND or OR of two predicates, decided candidate by candidate with the right
// side run only when the left does not already decide. Text: "A" (AND) or "O" (OR), the left
// predicate, ":", the right predicate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commands/general_predicate.h"

class LogicalExpression : public Expression {
 public:
  static constexpr int32_t kAnd = 0, kOr = 1, kNone = 2;

  // Parses from the front of `cursor`; `depth` is the nesting of this expression, its operands
  // are one deeper. A wrong letter: kSyntaxError "LogicalExpression"; a bad operand: its status.
  LogicalExpression(CommandCursor& cursor, QuireStatus& status, int depth);
  LogicalExpression(int32_t op, GeneralPredicate left, GeneralPredicate right)
      : operator_(op), left_(std::move(left)), right_(std::move(right)) {}

  std::unique_ptr<Expression> clone() const override;
  // "A" or "O", left, ":", right. kNone: kNoTextForm "LogicalExpression" and "".
  std::string print(QuireStatus& status) const override;
  // AND keeps a candidate that the left and then the right keep; OR one that the left keeps, or
  // else the right. kNone: kUnsupportedOperation "LogicalExpression: " with
  // host_message::kOperatorNotInPredicate; an operand's failure: its status; either returns the
  // input unchanged.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const override;
  // Opens an AND or OR group, pushes both operands and closes it. The answer is kFailed when
  // either failed, else kNotExpressible when either is not expressible, with that operand's
  // status; kNone answers kNotExpressible with kUnsupportedOperation.
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const override;

  int32_t op() const { return operator_; }
  const GeneralPredicate& left() const { return left_; }
  const GeneralPredicate& right() const { return right_; }

 private:
  int32_t operator_ = kNone;
  GeneralPredicate left_;
  GeneralPredicate right_;
};
