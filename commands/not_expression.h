// NotExpression: the candidates that a predicate does not keep. Text: "N" and the predicate.
#pragma once

#include <memory>
#include <string>

#include "commands/general_predicate.h"

class NotExpression : public Expression {
 public:
  // Parses from the front of `cursor`; the operand is one level deeper than `depth`. A wrong
  // letter: kSyntaxError "NotExpression"; a bad operand: its status.
  NotExpression(CommandCursor& cursor, QuireStatus& status, int depth);
  explicit NotExpression(GeneralPredicate operand) : operand_(std::move(operand)) {}

  std::unique_ptr<Expression> clone() const override;
  // "N" and the operand.
  std::string print(QuireStatus& status) const override;
  // The input minus what the operand keeps when it filters the whole list, in input order. An
  // operand that fails: its status and the input unchanged.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const override;
  // Negation stays local: kNotExpressible with kUnsupportedOperation "NotExpression".
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const override;

  const GeneralPredicate& operand() const { return operand_; }

 private:
  GeneralPredicate operand_;
};
