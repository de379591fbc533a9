// LinkModifier ("L", "I", "S" or "P", then the letters of a nested modifier): shows a value as
// a link. The value passes unchanged; the output stage reads the link letter and the nested
// modifier's settings.
#pragma once

#include <memory>
#include <string>

#include "commands/general_modifier.h"

class LinkModifier : public Modifier {
 public:
  // `linkLetter`: 'I', 'S' or 'P'. `nested` is the modifier for the attribute's type; its own
  // flags stay 0 (the flags of the text belong to the link).
  LinkModifier(char linkLetter, GeneralModifier nested)
      : linkLetter_(linkLetter), nested_(std::move(nested)) {}

  static bool isLinkLetter(char letter) { return letter == 'I' || letter == 'S' || letter == 'P'; }

  std::unique_ptr<Modifier> clone() const override;
  char letter() const override { return 'L'; }
  // "L", the link letter and the nested modifier's letters.
  std::string print(QuireStatus& status) const override;
  // The value, unchanged.
  QuireAttributeValue apply(const QuireAttributeValue& value, QuireStatus& status) const override;

  char linkLetter() const { return linkLetter_; }
  const GeneralModifier& nested() const { return nested_; }

 private:
  char linkLetter_;
  GeneralModifier nested_;
};
