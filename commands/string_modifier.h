// StringModifier ("S"): formats a STRING value for display: line ends normalised to CR LF,
// optionally punctuation turned into blanks, then a case rule. Also home of the case rule that
// the boolean and number modifiers share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "commands/general_modifier.h"

// How a modifier changes the case of its text. Codes outside the four named ones can only be
// made in code; printing them or applying them fails.
enum class CaseRule : uint8_t { kAsIs = 0, kCapitalise = 1, kUpper = 2, kLower = 3 };

// "A", "C", "U", "L" to their rules; false for any other letter.
bool CaseRuleFromLetter(char letter, CaseRule& rule);
// The letter of `rule`, or '\0' for a code without one.
char CaseRuleLetter(CaseRule rule);
// Applies `rule` to `text` in place (ASCII letters only; capitalising upper-cases the first
// letter of each word and keeps the others). False, text unchanged, for an unknown code.
bool ApplyCaseRule(CaseRule rule, std::string& text);

class StringModifier : public Modifier {
 public:
  // `blankPunctuation`: the "N" setting (else "A"); `thirdSetting`: 'A', 'P' or '\0' (absent).
  explicit StringModifier(CaseRule caseRule = CaseRule::kAsIs, bool blankPunctuation = false,
                          char thirdSetting = '\0');

  // Reads the letters after "S" (case letter, "A"/"N", optional "A"/"P"). A wrong letter:
  // kSyntaxError "GeneralModifier" and null.
  static std::unique_ptr<StringModifier> parse(CommandCursor& cursor, QuireStatus& status);

  std::unique_ptr<Modifier> clone() const override;
  char letter() const override { return 'S'; }
  std::string print(QuireStatus& status) const override;
  // STRING only (else kEvaluationError "StringModifier" and the value unchanged); the result is
  // STRING.
  QuireAttributeValue apply(const QuireAttributeValue& value, QuireStatus& status) const override;
  void applyInPlace(QuireAttributeValue& value, QuireStatus& status) const override;

  CaseRule caseRule() const { return case_; }
  bool blanksPunctuation() const { return blankPunctuation_; }
  char thirdSetting() const { return third_; }

 private:
  CaseRule case_;
  bool blankPunctuation_;
  char third_;
};
