// The word scanner of domain schema files.
#include "domains/remote_schema_scanner.h"

#include <array>
#include <utility>

#include "domains/kestrel_failures.h"
#include "foundation/quire_status.h"

namespace {

constexpr std::array<std::pair<const char*, SchemaTokenKind>, 13> kKeywords{{
    {"domain", SchemaTokenKind::kDomain},
    {"class", SchemaTokenKind::kClass},
    {"end_class", SchemaTokenKind::kEndClass},
    {"persistent_id", SchemaTokenKind::kPersistentId},
    {"connector", SchemaTokenKind::kConnector},
    {"constructor", SchemaTokenKind::kConstructor},
    {"constructor2", SchemaTokenKind::kConstructor2},
    {"selector", SchemaTokenKind::kSelector},
    {"boolean", SchemaTokenKind::kBoolean},
    {"number", SchemaTokenKind::kNumber},
    {"string", SchemaTokenKind::kString},
    {"filename", SchemaTokenKind::kFilename},
    {"graphic", SchemaTokenKind::kGraphic},
}};

// The names of the token kinds: a file that writes one of them as a word is refused, so that a
// diagnostic naming a kind can never be mistaken for a word of the file.
constexpr std::array<const char*, 5> kReservedWords{"<EOF>", "<ERROR>", "<NAME>", "<CLASS>",
                                                    "<CLASS SET>"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF).
bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length;
    unsigned codePoint;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      codePoint = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      codePoint = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      codePoint = c & 0x07u;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) ||
        codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

}  // namespace

bool IsPrimitiveType(SchemaTokenKind kind) {
  return kind >= SchemaTokenKind::kBoolean && kind <= SchemaTokenKind::kGraphic;
}

void SchemaScanner::failLine(const std::string& reason) const {
  const std::string line = "line " + std::to_string(lineNumber_) + ": " + reason;
  WriteFailureText(line + "\n");
  throw QuireStatus(kProcessingError, host_message::kSchemaSyntaxError, line);
}

bool SchemaScanner::readLine() {
  line_.clear();
  position_ = 0;
  std::streambuf* buffer = in_.rdbuf();
  using Traits = std::char_traits<char>;
  Traits::int_type c = buffer->sbumpc();
  if (Traits::eq_int_type(c, Traits::eof())) return false;
  ++lineNumber_;
  std::size_t characters = 0;
  for (; !Traits::eq_int_type(c, Traits::eof()) && c != '\n'; c = buffer->sbumpc()) {
    const char byte = Traits::to_char_type(c);
    // A comment line is skipped unread: its bytes are neither kept nor checked, so a comment
    // in another encoding (or of any length) does not fail the file.
    if (byte == '#' && (line_.empty() || (lineNumber_ == 1 && line_ == "\xEF\xBB\xBF"))) {
      for (c = buffer->sbumpc(); !Traits::eq_int_type(c, Traits::eof()) && c != '\n';)
        c = buffer->sbumpc();
      line_ = "#";
      return true;
    }
    if (byte == '\0') failLine("a zero byte; the file is not a text file");
    // UTF-8 continuation bytes do not start a character; neither the "\r" of a "\r\n" line end
    // nor a byte-order mark at the start of the file is part of the line.
    const bool counted = (static_cast<unsigned char>(byte) & 0xC0u) != 0x80u &&
                         !(byte == '\r' && buffer->sgetc() == '\n') &&
                         !(lineNumber_ == 1 && line_.empty() && byte == '\xEF');
    if (counted && ++characters > kMaxLineCharacters)
      failLine("the line is longer than " + std::to_string(kMaxLineCharacters) + " characters");
    line_ += byte;
  }
  if (lineNumber_ == 1 && line_.rfind("\xEF\xBB\xBF", 0) == 0) line_.erase(0, 3);
  if (!IsUtf8(line_)) failLine("the line is not UTF-8 text");
  return true;
}

SchemaToken SchemaScanner::next() {
  for (;;) {
    while (position_ < line_.size() && IsBlank(line_[position_])) ++position_;
    if (position_ < line_.size()) break;
    do {
      if (atEnd_ || !readLine()) {
        atEnd_ = true;
        SchemaToken end;
        end.word = "<EOF>";
        end.line = lineNumber_;
        return end;
      }
    } while (line_.empty() || line_[0] == '#');
  }
  const std::size_t start = position_;
  while (position_ < line_.size() && !IsBlank(line_[position_])) ++position_;

  SchemaToken token;
  token.word = line_.substr(start, position_ - start);
  token.line = lineNumber_;
  for (const auto& [keyword, kind] : kKeywords) {
    if (token.word == keyword) {
      token.kind = kind;
      return token;
    }
  }
  for (const char* reserved : kReservedWords) {
    if (token.word == reserved) {
      WriteFailureText("line " + std::to_string(lineNumber_) + ": unknown token " + token.word +
                       "; use domain_name.class_name to denote a class\n");
      token.kind = SchemaTokenKind::kError;
      return token;
    }
  }
  const std::size_t dot = token.word.rfind('.');
  if (dot == std::string::npos) {
    token.kind = SchemaTokenKind::kName;
    return token;
  }
  token.domain = token.word.substr(0, dot);
  token.className = token.word.substr(dot + 1);
  token.kind = SchemaTokenKind::kClassRef;
  if (!token.className.empty() && token.className.back() == '*') {
    token.className.pop_back();
    token.kind = SchemaTokenKind::kClassSet;
  }
  return token;
}
