// Assignment: parsing, evaluating and printing one "name=value" of an OPEN.
#include "commands/assignment.h"

#include <cfloat>
#include <cmath>

#include "commands/command_cursor.h"
#include "commands/constant_primary.h"
#include "foundation/number_images.h"
#include "foundation/quire_status.h"

namespace {

constexpr const char* kName = "Assignment";

// Whether `text` is a literal of the argument's type (NUMBER texts must read as a float).
bool IsLiteralOf(const std::string& text, int32_t type) {
  switch (type) {
    case QuireType::BOOLEAN:
    case QuireType::STRING:
    case QuireType::FILENAME:
      return true;
    case QuireType::NUMBER: {
      bool valid = false;
      const double value = ParseDecimal(text, valid);
      return valid && std::isfinite(value) && std::fabs(value) <= FLT_MAX;
    }
    default:
      return false;
  }
}

}  // namespace

Assignment::Assignment(const std::string& text, std::vector<QuireAttribute>& unassigned,
                       QuireStatus& status) {
  status = QuireStatus();
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos) {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  name_ = text.substr(0, equals);
  if (unassigned.empty()) {
    status = QuireStatus(kNoArgumentToAssign, kName);
    return;
  }
  auto matched = unassigned.end();
  for (auto it = unassigned.begin(); it != unassigned.end() && matched == unassigned.end(); ++it) {
    if (it->name() == name_) matched = it;
  }
  for (auto it = unassigned.begin(); it != unassigned.end() && matched == unassigned.end(); ++it) {
    if (!it->alias().empty() && it->alias() == name_) matched = it;
  }
  if (matched == unassigned.end()) {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  argument_ = *matched;
  unassigned.erase(matched);

  const std::string value = text.substr(equals + 1);
  if (!value.empty() && value[0] == '^') {
    computed_ = true;
    CommandCursor cursor(value.substr(1));
    const int32_t textType =
        argument_.type() == QuireType::FILENAME ? QuireType::FILENAME : QuireType::STRING;
    primary_ = GeneralPrimary(cursor, status, textType);
    // Whatever the primary left unread would be lost on printing.
    if (status.IsOk() && !cursor.empty()) status = QuireStatus(kSyntaxError, kName);
    return;
  }
  if (!IsLiteralOf(value, argument_.type())) {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  literal_ = value;
}

QuireAttributeValue Assignment::evaluate(QuireStatus& status,
                                         const QuireBindingList& bindings) const {
  status = QuireStatus();
  if (!computed_) return QuireAttributeValue::fromText(literal_, argument_);
  const QuireAttributeValue value = primary_.evaluate(status, QuireObject(), bindings);
  if (!status.IsOk()) return QuireAttributeValue();
  return QuireAttributeValue(argument_, static_cast<const QuireValue&>(value));
}

bool Assignment::isWrittenInTemplate() const {
  return !computed_ || dynamic_cast<const ConstantPrimary*>(primary_.get()) != nullptr;
}

std::string Assignment::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!computed_) return name_ + "=" + literal_;
  return name_ + "=^" + primary_.print(status);
}

std::string Assignment::nameOf(const std::string& text) {
  const std::size_t equals = text.find('=');
  return equals == std::string::npos ? std::string() : text.substr(0, equals);
}
