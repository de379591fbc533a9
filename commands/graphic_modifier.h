// GraphicModifier ("G", "A" or "S", and a case letter): how a picture is written out. The value
// passes unchanged; the output stage reads the settings. It carries no flags in its text.
#pragma once

#include <memory>
#include <string>

#include "commands/general_modifier.h"
#include "commands/string_modifier.h"

class GraphicModifier : public Modifier {
 public:
  // `setting`: 'A' or 'S'.
  explicit GraphicModifier(char setting = 'A', CaseRule caseRule = CaseRule::kAsIs)
      : setting_(setting), case_(caseRule) {}

  // Reads the setting and case letters after "G". A wrong letter: kSyntaxError "GeneralModifier"
  // and null.
  static std::unique_ptr<GraphicModifier> parse(CommandCursor& cursor, QuireStatus& status);

  std::unique_ptr<Modifier> clone() const override;
  char letter() const override { return 'G'; }
  std::string print(QuireStatus& status) const override;
  // The value, unchanged.
  QuireAttributeValue apply(const QuireAttributeValue& value, QuireStatus& status) const override;

  char setting() const { return setting_; }
  CaseRule caseRule() const { return case_; }

 private:
  char setting_;
  CaseRule case_;
};
