#include "commands/string_modifier.h"

#include <cstring>

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Bytes of multibyte characters count as word characters, so that a word is never split inside
// one; the apostrophe keeps "don't" one word.
bool IsWordByte(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '\'' ||
         static_cast<unsigned char>(c) >= 0x80;
}

void Capitalise(std::string& text) {
  bool atWordStart = true;
  for (char& c : text) {
    if (atWordStart && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    atWordStart = !IsWordByte(c);
  }
}

// A line feed not preceded by a carriage return gets one.
// True when a line feed stands without the carriage return before it.
bool HasBareLineFeed(const std::string& text) {
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    if (at == 0 || text[at - 1] != '\r') return true;
  }
  return false;
}

std::string NormaliseLineEnds(const std::string& text) {
  // Most values are one line: they are copied whole.
  std::size_t at = text.find('\n');
  if (at == std::string::npos) return text;
  std::string result;
  result.reserve(text.size() + 16);
  std::size_t copied = 0;
  for (; at != std::string::npos; at = text.find('\n', at + 1)) {
    if (at > 0 && text[at - 1] == '\r') continue;
    result.append(text, copied, at - copied);
    result += '\r';
    copied = at;
  }
  result.append(text, copied, std::string::npos);
  return result;
}

void BlankPunctuation(std::string& text) {
  for (char& c : text) {
    if (c != '\0' && std::strchr(".,_;:?!$()", c) != nullptr) c = ' ';
  }
}

}  // namespace

bool CaseRuleFromLetter(char letter, CaseRule& rule) {
  switch (letter) {
    case 'A':
      rule = CaseRule::kAsIs;
      return true;
    case 'C':
      rule = CaseRule::kCapitalise;
      return true;
    case 'U':
      rule = CaseRule::kUpper;
      return true;
    case 'L':
      rule = CaseRule::kLower;
      return true;
    default:
      return false;
  }
}

char CaseRuleLetter(CaseRule rule) {
  switch (rule) {
    case CaseRule::kAsIs:
      return 'A';
    case CaseRule::kCapitalise:
      return 'C';
    case CaseRule::kUpper:
      return 'U';
    case CaseRule::kLower:
      return 'L';
  }
  return '\0';
}

bool ApplyCaseRule(CaseRule rule, std::string& text) {
  switch (rule) {
    case CaseRule::kAsIs:
      return true;
    case CaseRule::kCapitalise:
      Capitalise(text);
      return true;
    case CaseRule::kUpper:
      CX_ApplyUppercase(text);
      return true;
    case CaseRule::kLower:
      CX_ApplyLowercase(text);
      return true;
  }
  return false;
}

StringModifier::StringModifier(CaseRule caseRule, bool blankPunctuation, char thirdSetting)
    : case_(caseRule), blankPunctuation_(blankPunctuation), third_(thirdSetting) {}

std::unique_ptr<StringModifier> StringModifier::parse(CommandCursor& cursor, QuireStatus& status) {
  char caseLetter = '\0';
  char punctuation = '\0';
  CaseRule rule = CaseRule::kAsIs;
  cursor.takeLetter(caseLetter);
  cursor.takeLetter(punctuation);
  if (!CaseRuleFromLetter(caseLetter, rule) || (punctuation != 'A' && punctuation != 'N')) {
    status = QuireStatus(kSyntaxError, "GeneralModifier");
    return nullptr;
  }
  // Any other character is the first flag digit; flags print in lower case, so an upper-case
  // "A" here is always the third setting.
  char third = '\0';
  if (cursor.peek() == 'A' || cursor.peek() == 'P') cursor.takeLetter(third);
  return std::make_unique<StringModifier>(rule, punctuation == 'N', third);
}

std::unique_ptr<Modifier> StringModifier::clone() const {
  return std::make_unique<StringModifier>(*this);
}

std::string StringModifier::print(QuireStatus& status) const {
  status = QuireStatus();
  const char caseLetter = CaseRuleLetter(case_);
  if (caseLetter == '\0' || (third_ != '\0' && third_ != 'A' && third_ != 'P')) {
    status = QuireStatus(kNoTextForm, "StringModifier");
    return {};
  }
  std::string text = {'S', caseLetter, blankPunctuation_ ? 'N' : 'A'};
  if (third_ != '\0') text += third_;
  return text;
}

QuireAttributeValue StringModifier::apply(const QuireAttributeValue& value,
                                          QuireStatus& status) const {
  QuireAttributeValue result = value;
  applyInPlace(result, status);
  return result;
}

void StringModifier::applyInPlace(QuireAttributeValue& value, QuireStatus& status) const {
  status = QuireStatus();
  if (value.type() != QuireType::STRING) {
    status = QuireStatus(kEvaluationError, "StringModifier");
    return;
  }
  // Most values are kept as they are: nothing to copy.
  if (case_ == CaseRule::kAsIs && !blankPunctuation_ && !HasBareLineFeed(value.textValue())) return;
  std::string text = NormaliseLineEnds(value.textValue());
  if (blankPunctuation_) BlankPunctuation(text);
  if (!ApplyCaseRule(case_, text)) {
    status = QuireStatus(kEvaluationError, "StringModifier");
    return;
  }
  value.setText(std::move(text));
}
