#include "commands/general_modifier.h"

#include <cstdio>
#include <utility>

#include "commands/boolean_modifier.h"
#include "commands/command_cursor.h"
#include "commands/graphic_modifier.h"
#include "commands/link_modifier.h"
#include "commands/modifier_flags.h"
#include "commands/number_modifier.h"
#include "commands/parse_limits.h"
#include "commands/string_modifier.h"
#include "foundation/quire_status.h"

namespace {

bool HasText(uint8_t flags) { return modifier_flags::CarriesText(flags); }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The modifier an "S" stands for on an attribute of `attributeType`.
std::unique_ptr<Modifier> ForAttributeType(std::unique_ptr<StringModifier> parsed,
                                           int32_t attributeType, QuireStatus& status) {
  switch (attributeType) {
    case QuireType::STRING:
      return parsed;
    case QuireType::BOOLEAN:
      return std::make_unique<BooleanModifier>(CaseRule::kAsIs);
    case QuireType::NUMBER:
      return std::make_unique<NumberModifier>(NumberFormat::kInteger, CaseRule::kAsIs);
    case QuireType::GRAPHIC:
      return std::make_unique<GraphicModifier>('A', CaseRule::kAsIs);
    default:
      status = QuireStatus(kSyntaxError, "GeneralModifier");
      return nullptr;
  }
}

// The letter part of one modifier; a link nests another one, `depth` levels deep so far.
std::unique_ptr<Modifier> ParseElement(CommandCursor& cursor, int32_t attributeType, int depth,
                                       QuireStatus& status) {
  if (depth >= kMaxCommandNesting) {
    status = QuireStatus(kSyntaxError, "GeneralModifier");
    return nullptr;
  }
  char letter = '\0';
  cursor.takeLetter(letter);
  switch (letter) {
    case 'B':
      return BooleanModifier::parse(cursor, status);
    case 'N':
      return NumberModifier::parse(cursor, status);
    case 'G':
      return GraphicModifier::parse(cursor, status);
    case 'S': {
      std::unique_ptr<StringModifier> parsed = StringModifier::parse(cursor, status);
      if (parsed == nullptr) return nullptr;
      return ForAttributeType(std::move(parsed), attributeType, status);
    }
    case 'L': {
      char linkLetter = '\0';
      cursor.takeLetter(linkLetter);
      if (!LinkModifier::isLinkLetter(linkLetter)) break;
      std::unique_ptr<Modifier> nested = ParseElement(cursor, attributeType, depth + 1, status);
      if (nested == nullptr) return nullptr;
      return std::make_unique<LinkModifier>(linkLetter, GeneralModifier(std::move(nested)));
    }
    default:
      break;
  }
  status = QuireStatus(kSyntaxError, "GeneralModifier");
  return nullptr;
}

// Two hexadecimal digits, when the field goes on; the field must end after them.
bool ParseFlags(CommandCursor& cursor, uint8_t& flags) {
  flags = 0;
  if (cursor.empty() || cursor.peek() == ':') return true;
  char high = '\0';
  char low = '\0';
  cursor.takeLetter(high);
  cursor.takeLetter(low);
  const int highValue = HexDigitValue(high);
  const int lowValue = HexDigitValue(low);
  if (highValue < 0 || lowValue < 0) return false;
  flags = static_cast<uint8_t>(highValue * 16 + lowValue);
  return true;
}

}  // namespace

GeneralModifier::GeneralModifier(CommandCursor& cursor, int32_t attributeType,
                                 QuireStatus& status) {
  status = QuireStatus();
  std::unique_ptr<Modifier> parsed = ParseElement(cursor, attributeType, 0, status);
  if (parsed == nullptr) return;
  if (parsed->letter() != 'G') {
    uint8_t flags = 0;
    if (!ParseFlags(cursor, flags)) {
      status = QuireStatus(kSyntaxError, "GeneralModifier");
      return;
    }
    parsed->setFlags(flags);
    if (HasText(flags)) {
      // The text ends with the field: at its closing ":" (taken with it) or at the end.
      std::string text;
      cursor.takeField(':', text);
      parsed->setText(text);
      modifier_ = std::move(parsed);
      return;
    }
  }
  if (cursor.peek() == ':') {
    cursor.skip(1);
  } else if (!cursor.empty()) {
    status = QuireStatus(kSyntaxError, "GeneralModifier");
    return;
  }
  modifier_ = std::move(parsed);
}

GeneralModifier::GeneralModifier(const GeneralModifier& other)
    : modifier_(other.modifier_ ? other.modifier_->clone() : nullptr) {}

GeneralModifier& GeneralModifier::operator=(const GeneralModifier& other) {
  if (this != &other) modifier_ = other.modifier_ ? other.modifier_->clone() : nullptr;
  return *this;
}

void GeneralModifier::setFlags(uint8_t flags) {
  if (modifier_) modifier_->setFlags(flags);
}

std::string GeneralModifier::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!modifier_) return {};
  std::string text = modifier_->print(status);
  if (!status.IsOk()) return text;
  const uint8_t flags = modifier_->flags();
  if (flags != 0) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%.2x", static_cast<unsigned>(flags));
    text += digits;
    if (HasText(flags)) text += modifier_->text();
  }
  return text;
}

QuireAttributeValue GeneralModifier::apply(const QuireAttributeValue& value,
                                           QuireStatus& status) const {
  status = QuireStatus();
  if (!modifier_) return value;
  return modifier_->apply(value, status);
}

QuireAttributeValue GeneralModifier::apply(QuireAttributeValue&& value, QuireStatus& status) const {
  status = QuireStatus();
  if (modifier_) modifier_->applyInPlace(value, status);
  return std::move(value);
}
