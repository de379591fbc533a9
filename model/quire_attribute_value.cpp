#include "model/quire_attribute_value.h"

#include <cstdio>

#include "foundation/number_images.h"
#include "foundation/quire_status.h"

namespace {

void ReportError(const char* text) {
  std::fprintf(stderr, "*** Error in QuireAttributeValue: %s\n", text);
}

void ReportWarning(const char* text) {
  std::fprintf(stderr, "*** Warning in QuireAttributeValue: %s\n", text);
}

bool IsTextType(int32_t type) { return type == QuireType::STRING || type == QuireType::FILENAME; }

}  // namespace

QuireAttributeValue::QuireAttributeValue() = default;

QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute, const QuireValue& value)
    : QuireAttributeValue(attribute, QuireValue(value)) {}

QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute, QuireValue&& value)
    : QuireValue(std::move(value)), attribute_(attribute) {
  if (type() == attribute_.type()) return;
  if (attribute_.type() == QuireType::FILENAME && type() == QuireType::STRING) {
    setTextType(QuireType::FILENAME);
    ReportWarning("the attribute is of type FILENAME and the value is of type STRING");
    return;
  }
  ReportError("the attribute and value are of different types");
}

QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute, bool value)
    : QuireValue(value), attribute_(attribute) {
  if (attribute_.type() != QuireType::BOOLEAN) ReportError("the value is not of type boolean");
}

QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute, float value)
    : QuireValue(value), attribute_(attribute) {
  if (attribute_.type() != QuireType::NUMBER) ReportError("the value is not of type number");
}

// A text given to a FILENAME attribute is a FILENAME value; to any other attribute a STRING.
QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute, const std::string& text)
    : QuireValue(text, attribute.type() == QuireType::FILENAME), attribute_(attribute) {
  if (!IsTextType(attribute_.type())) ReportError("the value is not of type STRING or FILENAME");
}

QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute, const char* text)
    : QuireAttributeValue(attribute, std::string(text == nullptr ? "" : text)) {}

QuireAttributeValue::QuireAttributeValue(const QuireAttribute& attribute,
                                         const QuireGraphic& graphic)
    : QuireValue(graphic), attribute_(attribute) {
  if (attribute_.type() != QuireType::GRAPHIC) ReportError("the value is not of type graphic");
}

QuireAttributeValue QuireAttributeValue::fromText(const std::string& text,
                                                  const QuireAttribute& attribute) {
  QuireAttributeValue result;
  result.attribute_ = attribute;
  switch (attribute.type()) {
    case QuireType::BOOLEAN:
      result.setBoolean(!text.empty() && text[0] == 'T');
      break;
    case QuireType::NUMBER: {
      bool valid = false;
      result.setNumber(static_cast<float>(ParseDecimal(text, valid)));
      break;
    }
    case QuireType::STRING:
    case QuireType::FILENAME:
      result.setText(text, attribute.type() == QuireType::FILENAME);
      break;
    case QuireType::GRAPHIC:
      ReportError("Tried to set a graphic value using string constructor");
      break;
    default:
      ReportError("Tried to set an undefined value");
      break;
  }
  return result;
}

std::string QuireAttributeValue::argumentText(QuireStatus& status, bool encoded) const {
  const std::string value = shortText(status, encoded);
  return attribute_.name() + "=" + value;
}
