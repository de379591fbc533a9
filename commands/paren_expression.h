// ParenExpression: a predicate in parentheses, kept as a node of its own so that it prints
// back as written. Text: "P" and the predicate.
#pragma once

#include <memory>
#include <string>

#include "commands/general_predicate.h"

class ParenExpression : public Expression {
 public:
  // Parses from the front of `cursor`; the operand is one level deeper than `depth`. A wrong
  // letter: kSyntaxError "ParenExpression"; a bad operand: its status.
  ParenExpression(CommandCursor& cursor, QuireStatus& status, int depth);
  explicit ParenExpression(GeneralPredicate operand) : operand_(std::move(operand)) {}

  std::unique_ptr<Expression> clone() const override;
  // "P" and the operand.
  std::string print(QuireStatus& status) const override;
  // The operand's filter and push-down.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const override;
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const override;

  const GeneralPredicate& operand() const { return operand_; }

 private:
  GeneralPredicate operand_;
};
