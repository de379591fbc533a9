// IsExpression: a class test. Text: "C", then either nothing or variable "," domain "," class,
// then ":" domain ":" class (the class tested). Without a variable each candidate's own class is
// tested; with one, the variable's bound object decides for all candidates.
#pragma once

#include <memory>
#include <string>

#include "commands/general_predicate.h"
#include "model/quire_class.h"

class IsExpression : public Expression {
 public:
  // Parses from the front of `cursor`. A wrong letter, a missing ":" after the variable part
  // or the domain, or a variable part that is not three non-empty names separated by ",":
  // kSyntaxError "IsExpression"; unknown domains or classes: the lookup's status.
  IsExpression(CommandCursor& cursor, QuireStatus& status);
  // A test of the candidates' classes, or with `variable` (of `variableClass`) of its object.
  explicit IsExpression(const QuireClass& testClass, std::string variable = {},
                        const QuireClass& variableClass = QuireClass())
      : testClass_(testClass), variable_(std::move(variable)), variableClass_(variableClass) {}

  std::unique_ptr<Expression> clone() const override;
  // "C" [variable "," domain "," class] ":" domain ":" class, with canonical names.
  std::string print(QuireStatus& status) const override;
  // Without a variable: the candidates whose class is the test class or a subclass. With one: all
  // candidates when the bound object's class is the test class or a subclass, else none; an unbound
  // variable: kUnboundVariable and its name; a binding whose command's class is not the variable's
  // class or a subclass: kNavigationError "Replicator: " with host_message::kNotOfStartClass. A
  // candidate whose class cannot be read stops the filter with that status. Failures return the
  // input.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const override;
  // Class tests stay local: kNotExpressible with kUnsupportedOperation "IsExpression".
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const override;

  const QuireClass& testClass() const { return testClass_; }
  // Empty when the candidates are tested.
  const std::string& variableName() const { return variable_; }
  const QuireClass& variableClass() const { return variableClass_; }

 private:
  QuireClass testClass_;
  std::string variable_;
  QuireClass variableClass_;
};
