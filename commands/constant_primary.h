// ConstantPrimary: a value written into the command text: "T" / "F" (BOOLEAN), "N" and a number
// text (NUMBER), "S" and an escaped text (STRING, or FILENAME for FILENAME arguments), "G" and a
// picture path (GRAPHIC). The field ends at ":" or at the end of the text.
#pragma once

#include <memory>
#include <string>

#include "commands/general_primary.h"
#include "model/quire_value.h"

class ConstantPrimary : public Primary {
 public:
  // Parses one constant from the front of `cursor`. A wrong letter, an unreadable or
  // out-of-range number, or an empty "G" text: kSyntaxError "ConstantPrimary". `textType`
  // FILENAME makes an "S" constant a FILENAME value.
  ConstantPrimary(CommandCursor& cursor, QuireStatus& status, int32_t textType = QuireType::STRING);
  // A constant holding `value` (for commands built in code).
  explicit ConstantPrimary(QuireValue value) : value_(std::move(value)) {}

  std::unique_ptr<Primary> clone() const override;
  // The constant, whatever the candidate; never fails.
  QuireAttributeValue evaluate(QuireStatus& status, const QuireObject& candidate,
                               const QuireBindingList& bindings) const override;
  // "T"/"F", "N" and the three-digit number text, "S" and the escaped text, "G" and the path,
  // without the ending ":". A value of another type: kNoTextForm "ConstantPrimary" and "".
  std::string print(QuireStatus& status) const override;

  const QuireValue& value() const { return value_; }

 private:
  QuireValue value_;
  // Whatever followed "T" or "F" up to the ":" (kept so that the text prints back as written).
  std::string booleanTail_;
};
