// NumberModifier ("N", a format letter and a case letter): shows a NUMBER value as a text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commands/general_modifier.h"
#include "commands/string_modifier.h"

// "F": the number with three fraction digits; "I": the integer part alone; "R" and "W": the
// integer part with three fraction digits (".000").
enum class NumberFormat : uint8_t { kFraction = 0, kInteger = 1, kR = 2, kW = 3 };

class NumberModifier : public Modifier {
 public:
  explicit NumberModifier(NumberFormat format = NumberFormat::kInteger,
                          CaseRule caseRule = CaseRule::kAsIs)
      : format_(format), case_(caseRule) {}

  // Reads the format and case letters after "N". A wrong letter: kSyntaxError "GeneralModifier"
  // and null.
  static std::unique_ptr<NumberModifier> parse(CommandCursor& cursor, QuireStatus& status);

  std::unique_ptr<Modifier> clone() const override;
  char letter() const override { return 'N'; }
  std::string print(QuireStatus& status) const override;
  // NUMBER only (else kNotABooleanValue "NumberModifier" and the value unchanged); the result is a
  // STRING value. Integer parts are truncated toward zero. An unknown case code: kEvaluationError
  // "StringModifier"; an unknown format code: kEvaluationError "NumberModifier"; value unchanged.
  QuireAttributeValue apply(const QuireAttributeValue& value, QuireStatus& status) const override;

  NumberFormat format() const { return format_; }
  CaseRule caseRule() const { return case_; }

 private:
  NumberFormat format_;
  CaseRule case_;
};
