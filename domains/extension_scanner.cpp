// The scanner of the domain extension language: tokens, placeholders, comments and line counting.
#include "domains/extension_scanner.h"

#include <array>
#include <utility>

namespace {

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.' || c == '@';
}

bool IsNameCharacter(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

constexpr std::string_view kPlaceholder = "%@%";

}  // namespace

ExtensionScanner::ExtensionScanner(std::string_view text, std::ostream& unknown)
    : text_(text), unknown_(unknown) {}

ExtensionToken ExtensionScanner::keywordOf(std::string_view word) {
  static constexpr std::array<std::pair<std::string_view, ExtensionToken>, 11> kKeywords = {{
      {"CLASS", ExtensionToken::kClass},
      {"EXISTING_CLASS", ExtensionToken::kExistingClass},
      {"END_CLASS", ExtensionToken::kEndClass},
      {"CRITERIA", ExtensionToken::kCriteria},
      {"CONSTRUCTOR", ExtensionToken::kConstructor},
      {"REMOVE", ExtensionToken::kRemove},
      {"ATTRIBUTE", ExtensionToken::kAttribute},
      {"UNARY_RELATIONSHIP", ExtensionToken::kUnaryRelationship},
      {"NARY_RELATIONSHIP", ExtensionToken::kNaryRelationship},
      {"SOURCE", ExtensionToken::kSource},
      {"END_SOURCE", ExtensionToken::kEndSource},
  }};
  for (const auto& [spelling, token] : kKeywords) {
    if (spelling == word) return token;
  }
  return ExtensionToken::kName;
}

ExtensionToken ExtensionScanner::next(std::string& value) {
  value.clear();
  while (position_ < text_.size()) {
    const char c = text_[position_];
    tokenLine_ = line_;
    if (c == ' ' || c == '\t') {
      ++position_;
    } else if (c == '\n' ||
               (c == '\r' && position_ + 1 < text_.size() && text_[position_ + 1] == '\n')) {
      // A carriage return before a line feed belongs to the line break (files edited on
      // Windows).
      position_ += c == '\r' ? 2 : 1;
      ++line_;
      return ExtensionToken::kEndOfLine;
    } else if (c == '#') {
      // A comment ends the line; the line break itself stays for the next token.
      while (position_ < text_.size() && text_[position_] != '\n' &&
             !(text_[position_] == '\r' && position_ + 1 < text_.size() &&
               text_[position_ + 1] == '\n')) {
        ++position_;
      }
      return ExtensionToken::kEndOfLine;
    } else if (c == '"') {
      const size_t close = text_.find('"', position_ + 1);
      if (close == std::string_view::npos) {
        position_ = text_.size();
        return ExtensionToken::kUnterminatedString;
      }
      value.assign(text_.substr(position_ + 1, close - position_ - 1));
      for (char inside : value) {
        if (inside == '\n') ++line_;
      }
      position_ = close + 1;
      return ExtensionToken::kString;
    } else if (text_.substr(position_, kPlaceholder.size()) == kPlaceholder) {
      size_t end = position_ + kPlaceholder.size();
      while (end < text_.size() && IsNameCharacter(text_[end])) ++end;
      value.assign(
          text_.substr(position_ + kPlaceholder.size(), end - position_ - kPlaceholder.size()));
      position_ = end;
      return ExtensionToken::kPlaceholder;
    } else if (IsNameStart(c)) {
      size_t end = position_ + 1;
      while (end < text_.size() && IsNameCharacter(text_[end])) ++end;
      const std::string_view word = text_.substr(position_, end - position_);
      position_ = end;
      const ExtensionToken token = keywordOf(word);
      if (token == ExtensionToken::kName) value.assign(word);
      return token;
    } else {
      unknown_.put(c);
      ++position_;
    }
  }
  tokenLine_ = line_;
  return ExtensionToken::kEndOfFile;
}
