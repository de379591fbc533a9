#include "commands/graphic_modifier.h"

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"

std::unique_ptr<GraphicModifier> GraphicModifier::parse(CommandCursor& cursor,
                                                        QuireStatus& status) {
  char setting = '\0';
  char caseLetter = '\0';
  CaseRule rule = CaseRule::kAsIs;
  cursor.takeLetter(setting);
  cursor.takeLetter(caseLetter);
  if ((setting != 'A' && setting != 'S') || !CaseRuleFromLetter(caseLetter, rule)) {
    status = QuireStatus(kSyntaxError, "GeneralModifier");
    return nullptr;
  }
  return std::make_unique<GraphicModifier>(setting, rule);
}

std::unique_ptr<Modifier> GraphicModifier::clone() const {
  return std::make_unique<GraphicModifier>(*this);
}

std::string GraphicModifier::print(QuireStatus& status) const {
  status = QuireStatus();
  const char caseLetter = CaseRuleLetter(case_);
  if ((setting_ != 'A' && setting_ != 'S') || caseLetter == '\0') {
    status = QuireStatus(kNoTextForm, "GraphicModifier");
    return {};
  }
  return {'G', setting_, caseLetter};
}

QuireAttributeValue GraphicModifier::apply(const QuireAttributeValue& value,
                                           QuireStatus& status) const {
  status = QuireStatus();
  return value;
}
