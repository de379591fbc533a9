// AttributePrimary: the value of an attribute of the object bound to a variable, or of the
// candidate when no variable is named, reached through a path of unary and superclass steps.
// Text: "A" variable ":" domain ":" class ":" path ":" attribute [":"].
#pragma once

#include <memory>
#include <string>

#include "commands/general_primary.h"
#include "commands/navigation_path.h"
#include "model/quire_attribute.h"
#include "model/quire_class.h"

class AttributePrimary : public Primary {
 public:
  // Parses one attribute primary from the front of `cursor`. A wrong letter or no ":" after the
  // variable: kSyntaxError "AttributePrimary/1"; after the domain, class or path: ".../2", ".../3",
  // ".../4"; no attribute name: ".../5"; a path step without "=": ".../6"; a step letter other than
  // "U" or "S": kNavigationError "AttributePrimary"; an unknown attribute:
  // kUnknownAttributeInExpression "AttributePrimary: " and the name; unknown domain or class: the
  // lookup's status.
  AttributePrimary(CommandCursor& cursor, QuireStatus& status);

  std::unique_ptr<Primary> clone() const override;
  // The attribute's value of the start object (the variable's bound object, else `candidate`) after
  // walking the path. Failures give UNDEFINED with the status: kUnboundVariable and the variable
  // name when it is not bound, kNavigationError "AttributePrimary" for a step of another kind,
  // kEvaluationError (host_message::kExpectedClassNotReached) when navigation reaches the undefined
  // object, else the object model's status.
  QuireAttributeValue evaluate(QuireStatus& status, const QuireObject& candidate,
                               const QuireBindingList& bindings) const override;
  // "A" variable ":" domain ":" class ":" steps ":" attribute, with canonical names and without
  // the ending ":".
  std::string print(QuireStatus& status) const override;

  // Empty when the candidate is the start object.
  const std::string& variableName() const { return variable_; }
  const QuireClass& getClass() const { return class_; }
  const NavigationPath& path() const { return path_; }
  const QuireAttribute& attribute() const { return attribute_; }

 private:
  std::string variable_;
  QuireClass class_;
  NavigationPath path_;
  QuireAttribute attribute_;
};
