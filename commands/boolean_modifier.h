// BooleanModifier ("B" and a case letter): shows a BOOLEAN value as "true" or "false" in the
// chosen case.
#pragma once

#include <memory>
#include <string>

#include "commands/general_modifier.h"
#include "commands/string_modifier.h"

class BooleanModifier : public Modifier {
 public:
  explicit BooleanModifier(CaseRule caseRule = CaseRule::kAsIs) : case_(caseRule) {}

  // Reads the case letter after "B". A wrong letter: kSyntaxError "GeneralModifier" and null.
  static std::unique_ptr<BooleanModifier> parse(CommandCursor& cursor, QuireStatus& status);

  std::unique_ptr<Modifier> clone() const override;
  char letter() const override { return 'B'; }
  std::string print(QuireStatus& status) const override;
  // BOOLEAN only (else kNotABooleanValue "BooleanModifier" and the value unchanged); the result is
  // a STRING value. An unknown case code: kEvaluationError "StringModifier", value unchanged.
  QuireAttributeValue apply(const QuireAttributeValue& value, QuireStatus& status) const override;

  CaseRule caseRule() const { return case_; }

 private:
  CaseRule case_;
};
