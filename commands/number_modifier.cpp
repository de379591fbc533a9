#include "commands/number_modifier.h"

#include <algorithm>
#include <cmath>

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"

namespace {

constexpr char kFormatLetters[] = "FIRW";

bool FormatFromLetter(char letter, NumberFormat& format) {
  for (int code = 0; code < 4; ++code) {
    if (kFormatLetters[code] == letter) {
      format = static_cast<NumberFormat>(code);
      return true;
    }
  }
  return false;
}

// The number text of the value truncated toward zero ("-1.000" for -1.5, "0.000" for -0.5).
std::string IntegerPartText(float value) {
  return QuireNumberText(std::isfinite(value) ? std::trunc(value) : value);
}

}  // namespace

std::unique_ptr<NumberModifier> NumberModifier::parse(CommandCursor& cursor, QuireStatus& status) {
  char formatLetter = '\0';
  char caseLetter = '\0';
  NumberFormat format = NumberFormat::kInteger;
  CaseRule rule = CaseRule::kAsIs;
  cursor.takeLetter(formatLetter);
  cursor.takeLetter(caseLetter);
  if (!FormatFromLetter(formatLetter, format) || !CaseRuleFromLetter(caseLetter, rule)) {
    status = QuireStatus(kSyntaxError, "GeneralModifier");
    return nullptr;
  }
  return std::make_unique<NumberModifier>(format, rule);
}

std::unique_ptr<Modifier> NumberModifier::clone() const {
  return std::make_unique<NumberModifier>(*this);
}

std::string NumberModifier::print(QuireStatus& status) const {
  status = QuireStatus();
  const auto code = static_cast<unsigned>(format_);
  const char caseLetter = CaseRuleLetter(case_);
  if (code > 3 || caseLetter == '\0') {
    status = QuireStatus(kNoTextForm, "NumberModifier");
    return {};
  }
  return {'N', kFormatLetters[code], caseLetter};
}

QuireAttributeValue NumberModifier::apply(const QuireAttributeValue& value,
                                          QuireStatus& status) const {
  status = QuireStatus();
  if (value.type() != QuireType::NUMBER) {
    status = QuireStatus(kNotABooleanValue, "NumberModifier");
    return value;
  }
  std::string text;
  switch (format_) {
    case NumberFormat::kFraction:
      text = QuireNumberText(value.numberValue());
      break;
    case NumberFormat::kInteger:
      text = IntegerPartText(value.numberValue());
      text.erase(std::min(text.size(), text.find('.')));
      break;
    case NumberFormat::kR:
    case NumberFormat::kW:
      text = IntegerPartText(value.numberValue());
      break;
    default:
      status = QuireStatus(kEvaluationError, "NumberModifier");
      return value;
  }
  if (!ApplyCaseRule(case_, text)) {
    status = QuireStatus(kEvaluationError, "StringModifier");
    return value;
  }
  QuireAttributeValue result = value;
  result.setText(std::move(text));
  return result;
}
