#include "commands/general_primary.h"

#include "commands/attribute_primary.h"
#include "commands/command_cursor.h"
#include "commands/constant_primary.h"
#include "foundation/quire_status.h"

GeneralPrimary::GeneralPrimary(CommandCursor& cursor, QuireStatus& status, int32_t textType) {
  status = QuireStatus();
  switch (cursor.peek()) {
    case 'A':
      primary_ = std::make_unique<AttributePrimary>(cursor, status);
      return;
    case 'T':
    case 'F':
    case 'N':
    case 'S':
    case 'G':
      primary_ = std::make_unique<ConstantPrimary>(cursor, status, textType);
      return;
    default:
      status = QuireStatus(kSyntaxError, "GeneralPrimary");
      return;
  }
}

GeneralPrimary::GeneralPrimary(const GeneralPrimary& other)
    : primary_(other.primary_ ? other.primary_->clone() : nullptr) {}

GeneralPrimary& GeneralPrimary::operator=(const GeneralPrimary& other) {
  if (this != &other) primary_ = other.primary_ ? other.primary_->clone() : nullptr;
  return *this;
}

QuireAttributeValue GeneralPrimary::evaluate(QuireStatus& status, const QuireObject& candidate,
                                             const QuireBindingList& bindings) const {
  status = QuireStatus();
  if (primary_ == nullptr) return QuireAttributeValue();
  return primary_->evaluate(status, candidate, bindings);
}

std::string GeneralPrimary::print(QuireStatus& status) const {
  status = QuireStatus();
  if (primary_ == nullptr) return {};
  return primary_->print(status);
}
