// QuireAttributeValue: a value together with (a copy of) the attribute it belongs to. The
// constructors check the value's type against the attribute's and report a mismatch on the
// error stream ("*** Error in QuireAttributeValue: ..."), never failing.
#pragma once

#include <string>

#include "model/quire_attribute.h"
#include "model/quire_value.h"

class QuireAttributeValue : public QuireValue {
 public:
  // UNDEFINED, of the undefined attribute.
  QuireAttributeValue();
  // A STRING value given to a FILENAME attribute becomes FILENAME (with a warning line).
  QuireAttributeValue(const QuireAttribute& attribute, const QuireValue& value);
  QuireAttributeValue(const QuireAttribute& attribute, QuireValue&& value);
  QuireAttributeValue(const QuireAttribute& attribute, bool value);
  QuireAttributeValue(const QuireAttribute& attribute, float value);
  QuireAttributeValue(const QuireAttribute& attribute, const std::string& text);
  QuireAttributeValue(const QuireAttribute& attribute, const char* text);
  QuireAttributeValue(const QuireAttribute& attribute, const QuireGraphic& graphic);
  // Converts `text` by the attribute's type: BOOLEAN true when it begins with "T", NUMBER
  // parsed, STRING and FILENAME kept; GRAPHIC and other types stay UNDEFINED with a line.
  static QuireAttributeValue fromText(const std::string& text, const QuireAttribute& attribute);

  const QuireAttribute& attribute() const { return attribute_; }

  // "name=value" with the value's short text, escaped when `encoded`.
  virtual std::string argumentText(QuireStatus& status, bool encoded) const;

 private:
  QuireAttribute attribute_;
};
