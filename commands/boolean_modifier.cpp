#include "commands/boolean_modifier.h"

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"

std::unique_ptr<BooleanModifier> BooleanModifier::parse(CommandCursor& cursor,
                                                        QuireStatus& status) {
  char caseLetter = '\0';
  CaseRule rule = CaseRule::kAsIs;
  cursor.takeLetter(caseLetter);
  if (!CaseRuleFromLetter(caseLetter, rule)) {
    status = QuireStatus(kSyntaxError, "GeneralModifier");
    return nullptr;
  }
  return std::make_unique<BooleanModifier>(rule);
}

std::unique_ptr<Modifier> BooleanModifier::clone() const {
  return std::make_unique<BooleanModifier>(*this);
}

std::string BooleanModifier::print(QuireStatus& status) const {
  status = QuireStatus();
  const char caseLetter = CaseRuleLetter(case_);
  if (caseLetter == '\0') {
    status = QuireStatus(kNoTextForm, "BooleanModifier");
    return {};
  }
  return {'B', caseLetter};
}

QuireAttributeValue BooleanModifier::apply(const QuireAttributeValue& value,
                                           QuireStatus& status) const {
  status = QuireStatus();
  if (value.type() != QuireType::BOOLEAN) {
    status = QuireStatus(kNotABooleanValue, "BooleanModifier");
    return value;
  }
  std::string text = value.booleanValue() ? "true" : "false";
  if (!ApplyCaseRule(case_, text)) {
    status = QuireStatus(kEvaluationError, "StringModifier");
    return value;
  }
  QuireAttributeValue result = value;
  result.setText(std::move(text));
  return result;
}
