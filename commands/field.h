// Field (DISPLAY): the value of one attribute of the object reached from a bound variable.
// Text: "F:" or "X:", variable, domain, class, path, attribute name, modifier, [trailing text].
#pragma once

#include <string>

#include "commands/general_modifier.h"
#include "commands/navigation_path.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"

class QuireBindingList;

class Field {
 public:
  Field(const std::string& text, QuireStatus& status);
  virtual ~Field() = default;
  Field(const Field&) = default;
  Field& operator=(const Field&) = default;

  bool isValid() const;
  virtual std::string print(QuireStatus& status) const;
  // "<variable.step.attribute>" with display aliases; "<INVALID FIELD>" and kUnsupportedOperation
  // "Field" when invalid.
  virtual std::string displayName(QuireStatus& status) const;

  // The attribute's value for the reached object, with the modifier applied. `reached` receives
  // the object; `linkText` its reference text when the modifier carries flags. A graphic
  // attribute's picture is asked of the domain with `imageName` (a PictureRequest's text, or
  // empty for the domain's defaults).
  QuireAttributeValue evaluate(QuireStatus& status, const QuireBindingList& bindings, int extra,
                               std::string& linkText, QuireObject& reached,
                               const std::string& imageName = std::string()) const;

  char kindLetter() const { return kind_; }
  const std::string& variableName() const { return variable_; }
  const QuireClass& getClass() const { return class_; }
  const NavigationPath& path() const { return path_; }
  const QuireAttribute& attribute() const { return attribute_; }
  const GeneralModifier& modifier() const { return modifier_; }
  const std::string& trailingText() const { return trailing_; }

 private:
  char kind_ = '\0';
  std::string variable_;
  std::string domainName_;
  QuireClass class_;
  QuireClass pathEnd_;
  NavigationPath path_;
  QuireAttribute attribute_;
  GeneralModifier modifier_;
  uint8_t parsedFlags_ = 0;     // the flags as written ("X" replaces them by 1)
  bool modifierColon_ = false;  // the modifier field ended with ":"
  std::string trailing_;
};
