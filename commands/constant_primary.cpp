#include "commands/constant_primary.h"

#include <cfloat>
#include <cmath>

#include "commands/command_cursor.h"
#include "foundation/escaping.h"
#include "foundation/number_images.h"
#include "foundation/quire_status.h"
#include "model/quire_graphic.h"

namespace {

constexpr const char* kName = "ConstantPrimary";

// The number of a "N" field; false when the text is not a decimal number or does not fit a
// float.
bool ReadNumber(const std::string& text, float& number) {
  bool valid = false;
  const double value = ParseDecimal(text, valid);
  if (!valid || !std::isfinite(value) || std::fabs(value) > FLT_MAX) return false;
  number = static_cast<float>(value);
  return true;
}

}  // namespace

ConstantPrimary::ConstantPrimary(CommandCursor& cursor, QuireStatus& status, int32_t textType) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  std::string field;
  // The last field of a primary may also end with the text.
  cursor.takeField(':', field);
  switch (letter) {
    case 'T':
    case 'F':
      value_ = QuireValue(letter == 'T');
      booleanTail_ = field;
      return;
    case 'N': {
      float number = 0;
      if (!ReadNumber(field, number)) {
        status = QuireStatus(kSyntaxError, kName);
        return;
      }
      value_ = QuireValue(number);
      return;
    }
    case 'S':
      value_ = QuireValue(Unescape(field), textType == QuireType::FILENAME);
      return;
    case 'G':
      if (field.empty()) {
        status = QuireStatus(kSyntaxError, kName);
        return;
      }
      value_ = QuireValue(QuireGraphic::fromConstant(field));
      return;
    default:
      status = QuireStatus(kSyntaxError, kName);
      return;
  }
}

std::unique_ptr<Primary> ConstantPrimary::clone() const {
  return std::make_unique<ConstantPrimary>(*this);
}

QuireAttributeValue ConstantPrimary::evaluate(QuireStatus& status, const QuireObject&,
                                              const QuireBindingList&) const {
  status = QuireStatus();
  // A constant belongs to no attribute: only the value part is set, so that no type check
  // against an attribute reports a mismatch.
  QuireAttributeValue result;
  static_cast<QuireValue&>(result) = value_;
  return result;
}

std::string ConstantPrimary::print(QuireStatus& status) const {
  status = QuireStatus();
  switch (value_.type()) {
    case QuireType::BOOLEAN:
      return (value_.booleanValue() ? "T" : "F") + booleanTail_;
    case QuireType::NUMBER:
      return "N" + QuireNumberText(value_.numberValue());
    case QuireType::STRING:
    case QuireType::FILENAME:
      return "S" + EscapeNonAlphanumeric(value_.textValue());
    case QuireType::GRAPHIC:
      return "G" + value_.graphic()->text();
    default:
      status = QuireStatus(kNoTextForm, kName);
      return {};
  }
}
