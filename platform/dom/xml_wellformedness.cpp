#include "platform/dom/xml_wellformedness.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/input_limits.h"
#include "platform/dom/xml_encoding.h"

namespace platform {
namespace {

using Byte = unsigned char;

bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool IsSpace(Byte c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameStartCodePoint(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
         (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameCodePoint(char32_t c) {
  return IsNameStartCodePoint(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Names are short: an inline loop beats a library call per end tag and attribute.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

using ByteTable = std::array<bool, 256>;

// The bytes at which a scan stops: forbidden controls, the start of any multi-byte sequence
// (checked slowly) and up to four markup characters that matter in the context. The markup
// characters are also kept broadcast to every byte of a word for the eight-bytes-at-a-time test.
struct StopSet {
  ByteTable table{};
  std::array<uint64_t, 4> broadcast{};
};

constexpr uint64_t kLowBytes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

constexpr StopSet MakeStops(std::string_view specials) {
  StopSet stops;
  for (int c = 0; c < 256; ++c) {
    stops.table[c] = c >= 0x80 || (c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D);
  }
  for (size_t i = 0; i < stops.broadcast.size(); ++i) {
    // Fewer characters repeat the first one.
    const Byte special = static_cast<Byte>(specials[i < specials.size() ? i : 0]);
    stops.table[special] = true;
    stops.broadcast[i] = kLowBytes * special;
  }
  return stops;
}

bool HasZeroByte(uint64_t word) { return ((word - kLowBytes) & ~word & kHighBits) != 0; }

// Whether any byte of `word` may stop a scan: below 0x20 (tabs and line ends included, sorted
// out byte by byte), 0x80 or above, or one of the markup characters. Exact for "any".
bool MayStop(uint64_t word, const StopSet& stops) {
  return (((word - kLowBytes * 0x20) | word) & kHighBits) != 0 ||
         HasZeroByte(word ^ stops.broadcast[0]) || HasZeroByte(word ^ stops.broadcast[1]) ||
         HasZeroByte(word ^ stops.broadcast[2]) || HasZeroByte(word ^ stops.broadcast[3]);
}

constexpr StopSet kTextStops = MakeStops("<&]");
constexpr StopSet kDoubleQuotedValueStops = MakeStops("\"<&");
constexpr StopSet kSingleQuotedValueStops = MakeStops("'<&");
constexpr StopSet kDoubleQuotedLiteralStops = MakeStops("\"");
constexpr StopSet kSingleQuotedLiteralStops = MakeStops("'");
constexpr StopSet kCommentStops = MakeStops("-");
constexpr StopSet kPiStops = MakeStops("?");
constexpr StopSet kCdataStops = MakeStops("]");
constexpr StopSet kDeclarationStops = MakeStops("\"'<>");

constexpr ByteTable MakeAsciiNameTable(bool start) {
  ByteTable table{};
  for (int c = 0; c < 0x80; ++c) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
    const bool more = (c >= '0' && c <= '9') || c == '-' || c == '.';
    table[c] = letter || (!start && more);
  }
  return table;
}

constexpr ByteTable kAsciiNameStart = MakeAsciiNameTable(true);
constexpr ByteTable kAsciiNameChar = MakeAsciiNameTable(false);

// Attribute counts above this switch duplicate detection from a linear scan to a hash set.
constexpr size_t kLinearAttributeLimit = 16;
// Names and texts quoted in a reason are cut to this many characters.
constexpr size_t kQuoteLimit = 60;
// srcText holds at most this many characters of a long line.
constexpr size_t kSourceTextLimit = 200;

// Advances over one character of possibly invalid UTF-8: a bad byte counts as one character.
size_t NextCharIndex(std::string_view text, size_t at) {
  char32_t codePoint;
  const size_t length = DecodeUtf8Char(text, at, codePoint);
  return at + (length == 0 ? 1 : length);
}

// `text` as valid UTF-8 without control characters, cut to `limit` characters.
std::string Printable(std::string_view text, size_t limit) {
  std::string out;
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    if (count == limit) {
      out += "...";
      break;
    }
    char32_t codePoint = 0;
    const size_t length = DecodeUtf8Char(text, i, codePoint);
    if (length == 0 || (codePoint < 0x20 && codePoint != '\t') || !IsXmlChar(codePoint)) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      i += length == 0 ? 1 : length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string CodePointName(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

class Checker {
 public:
  Checker(std::string_view text, DomParseError& error)
      : text_(text),
        begin_(reinterpret_cast<const Byte*>(text.data())),
        p_(begin_),
        end_(begin_ + text.size()),
        error_(error) {}

  bool Run();

 private:
  struct OpenElement {
    std::string_view name;
    const Byte* start;
  };

  bool Fail(int32_t code, const Byte* at, std::string reason);
  std::string Where(const Byte* at) const;
  std::string Quote(std::string_view name) const {
    return "'" + Printable(name, kQuoteLimit) + "'";
  }
  // Where a view into the text starts.
  const Byte* At(std::string_view inText) const;
  std::string_view Span(const Byte* from, const Byte* to) const {
    return std::string_view(reinterpret_cast<const char*>(from), static_cast<size_t>(to - from));
  }

  bool StartsWith(std::string_view prefix) const {
    return static_cast<size_t>(end_ - p_) >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), p_,
                      [](char a, Byte b) { return static_cast<Byte>(a) == b; });
  }
  bool SkipSpaces() {
    const Byte* from = p_;
    while (p_ < end_ && IsSpace(*p_)) ++p_;
    return p_ != from;
  }
  // Scans forward to the next byte in `stops`; false at the end of the text.
  bool ScanTo(const StopSet& stops) {
    // Eight bytes at a time over plain runs: text and attribute values are most of a document.
    while (end_ - p_ >= 8) {
      uint64_t word;
      std::memcpy(&word, p_, sizeof word);
      if (MayStop(word, stops)) {
        for (int i = 0; i < 8; ++i) {
          if (stops.table[p_[i]]) {
            p_ += i;
            return true;
          }
        }
      }
      p_ += 8;
    }
    while (p_ < end_ && !stops.table[*p_]) ++p_;
    return p_ < end_;
  }

  bool SkipSpecialChar();
  // Reads a name at the cursor; ASCII names take the short path.
  bool ParseName(std::string_view& name, const char* what) {
    const Byte* start = p_;
    if (p_ < end_ && kAsciiNameStart[*p_]) {
      ++p_;
      while (p_ < end_ && kAsciiNameChar[*p_]) ++p_;
      if (p_ >= end_ || *p_ < 0x80) {
        name = Span(start, p_);
        return true;
      }
    }
    return ParseNameSlowly(start, name, what);
  }
  bool ParseNameSlowly(const Byte* start, std::string_view& name, const char* what);
  bool ParseReference();
  bool ParseXmlDeclaration();
  bool ParseDeclarationValue(std::string_view pseudoAttribute, std::string_view& value);
  bool ParseMarkup();
  bool ParseStartTag();
  bool ParseAttributeValue(std::string_view attribute, std::string_view element);
  bool AddAttribute(std::string_view attribute);
  bool ParseEndTag();
  bool ParseCharData();
  bool ParseComment();
  bool ParseCdata();
  bool ParsePi();
  bool ParseDoctype();
  bool ParseQuotedLiteral(const char* what);
  bool ParseInternalSubset(const Byte* doctypeStart);
  bool ParseEntityDeclaration();
  bool SkipMarkupDeclaration(const Byte* start);
  bool IsEntityDefined(std::string_view name) const;

  std::string_view text_;
  const Byte* begin_;
  const Byte* p_;
  const Byte* end_;
  DomParseError& error_;

  std::vector<OpenElement> open_;
  std::vector<std::string_view> attributes_;
  std::unordered_set<std::string_view> attributeSet_;
  std::unordered_set<std::string_view> declaredEntities_;
  std::string_view rootName_;
  bool rootSeen_ = false;
  bool doctypeSeen_ = false;
};

bool Checker::Fail(int32_t code, const Byte* at, std::string reason) {
  error_.errorCode = code;
  error_.reason = std::move(reason);
  LocateXmlError(text_, static_cast<size_t>(at - begin_), error_);
  return false;
}

std::string Checker::Where(const Byte* at) const {
  DomParseError place;
  LocateXmlError(text_, static_cast<size_t>(at - begin_), place);
  return "line " + std::to_string(place.line) + ", position " + std::to_string(place.linepos);
}

// At a byte that stopped a fast scan without being markup: a multi-byte character or a control.
bool Checker::SkipSpecialChar() {
  char32_t codePoint = 0;
  const size_t length = DecodeUtf8Char(text_, static_cast<size_t>(p_ - begin_), codePoint);
  if (length == 0) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", *p_);
    return Fail(kXmlErrorInvalidCharacter, p_,
                std::string("The text is not valid UTF-8: byte ") + hex + " is out of place.");
  }
  if (!IsXmlChar(codePoint)) {
    return Fail(kXmlErrorInvalidCharacter, p_,
                "The character " + CodePointName(codePoint) + " is not allowed in XML.");
  }
  p_ += length;
  return true;
}

bool Checker::ParseNameSlowly(const Byte* start, std::string_view& name, const char* what) {
  bool first = p_ == start;
  while (p_ < end_) {
    if (*p_ < 0x80) {
      if (!(first ? kAsciiNameStart[*p_] : kAsciiNameChar[*p_])) break;
      ++p_;
    } else {
      char32_t codePoint = 0;
      const size_t length = DecodeUtf8Char(text_, static_cast<size_t>(p_ - begin_), codePoint);
      if (length == 0 || !IsXmlChar(codePoint)) return SkipSpecialChar();
      if (!(first ? IsNameStartCodePoint(codePoint) : IsNameCodePoint(codePoint))) break;
      p_ += length;
    }
    first = false;
  }
  if (p_ != start) {
    name = Span(start, p_);
    return true;
  }
  // Quote the would-be name up to the next delimiter, so the reason shows what was written.
  const Byte* tokenEnd = start;
  while (tokenEnd < end_ && !IsSpace(*tokenEnd) &&
         std::string_view("<>/=\"'&;").find(static_cast<char>(*tokenEnd)) ==
             std::string_view::npos) {
    ++tokenEnd;
  }
  if (tokenEnd == start) {
    return Fail(kXmlErrorBadName, start, std::string("A name is expected here (") + what + ").");
  }
  const std::string_view token = Span(start, tokenEnd);
  const std::string firstChar(token.substr(0, NextCharIndex(token, 0)));
  return Fail(kXmlErrorBadName, start,
              std::string("The ") + what + " name " + Quote(token) +
                  " is not valid: a name cannot start with " + Quote(firstChar) + ".");
}

bool Checker::IsEntityDefined(std::string_view name) const {
  return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos" ||
         declaredEntities_.count(name) != 0;
}

bool Checker::ParseReference() {
  const Byte* amp = p_++;
  if (p_ < end_ && *p_ == '#') {
    ++p_;
    const bool hex = p_ < end_ && *p_ == 'x';
    if (hex) ++p_;
    uint32_t value = 0;
    size_t digits = 0;
    for (; p_ < end_; ++p_, ++digits) {
      const Byte c = *p_;
      uint32_t digit;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (hex && c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (hex && c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        break;
      }
      value = std::min<uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
    }
    if (digits == 0 || p_ >= end_ || *p_ != ';') {
      return Fail(kXmlErrorBadReference, amp,
                  "The character reference " + Quote(Span(amp, p_)) +
                      " is not valid: write '&#' digits ';' or '&#x' hexadecimal digits ';'.");
    }
    ++p_;
    if (!IsXmlChar(value)) {
      return Fail(kXmlErrorBadReference, amp,
                  "The character reference " + Quote(Span(amp, p_)) +
                      " does not name a character allowed in XML.");
    }
    return true;
  }
  const bool nameFollows = p_ < end_ && (*p_ >= 0x80 || kAsciiNameStart[*p_]);
  std::string_view name;
  if (!nameFollows) {
    return Fail(kXmlErrorBadReference, amp,
                "A '&' must start an entity or character reference; write '&amp;' for the "
                "character itself.");
  }
  if (!ParseName(name, "entity")) return false;
  if (p_ >= end_ || *p_ != ';') {
    return Fail(kXmlErrorBadReference, amp,
                "The reference " + Quote(Span(amp, p_)) +
                    " is not closed by ';'; write '&amp;' for the character '&' itself.");
  }
  ++p_;
  if (!IsEntityDefined(name)) {
    return Fail(kXmlErrorUndefinedEntity, amp,
                "The entity " + Quote(name) + " is referenced but not defined.");
  }
  return true;
}

bool Checker::ParseDeclarationValue(std::string_view pseudoAttribute, std::string_view& value) {
  p_ += pseudoAttribute.size();
  SkipSpaces();
  if (p_ >= end_ || *p_ != '=') {
    return Fail(kXmlErrorBadDeclaration, p_,
                "In the XML declaration, " + Quote(pseudoAttribute) + " must be followed by '='.");
  }
  ++p_;
  SkipSpaces();
  if (p_ >= end_ || (*p_ != '"' && *p_ != '\'')) {
    return Fail(
        kXmlErrorBadDeclaration, p_,
        "In the XML declaration, the value of " + Quote(pseudoAttribute) + " must be in quotes.");
  }
  const Byte quote = *p_++;
  const Byte* start = p_;
  while (p_ < end_ && *p_ != quote && *p_ != '>' && *p_ != '<') ++p_;
  if (p_ >= end_ || *p_ != quote) {
    return Fail(kXmlErrorUnterminated, p_,
                "In the XML declaration, the value of " + Quote(pseudoAttribute) +
                    " is not closed by a quote.");
  }
  value = Span(start, p_++);
  return true;
}

const unsigned char* Checker::At(std::string_view inText) const {
  return reinterpret_cast<const Byte*>(inText.data());
}

bool Checker::ParseXmlDeclaration() {
  const Byte* start = p_;
  p_ += 5;  // "<?xml"
  auto bad = [&](std::string reason) {
    return Fail(kXmlErrorBadDeclaration, p_, std::move(reason));
  };
  std::string_view value;
  if (!SkipSpaces() || !StartsWith("version")) {
    return bad("The XML declaration must start with version=\"1.0\".");
  }
  if (!ParseDeclarationValue("version", value)) return false;
  const bool versionOk =
      value.size() >= 3 && value.substr(0, 2) == "1." &&
      std::all_of(value.begin() + 2, value.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!versionOk) {
    return Fail(kXmlErrorBadDeclaration, At(value),
                "The XML declaration names version " + Quote(value) + "; only 1.x is understood.");
  }
  bool spaced = SkipSpaces();
  if (StartsWith("encoding")) {
    if (!spaced)
      return bad("Pseudo-attributes of the XML declaration must be separated by spaces.");
    if (!ParseDeclarationValue("encoding", value)) return false;
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const bool nameOk =
        !value.empty() && letter(value[0]) && std::all_of(value.begin(), value.end(), [&](char c) {
          return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        });
    if (!nameOk) {
      return Fail(kXmlErrorBadDeclaration, At(value),
                  "The encoding name " + Quote(value) + " in the XML declaration is not valid.");
    }
    spaced = SkipSpaces();
  }
  if (StartsWith("standalone")) {
    if (!spaced)
      return bad("Pseudo-attributes of the XML declaration must be separated by spaces.");
    if (!ParseDeclarationValue("standalone", value)) return false;
    if (value != "yes" && value != "no") {
      return Fail(kXmlErrorBadDeclaration, At(value),
                  "The standalone value " + Quote(value) + " must be 'yes' or 'no'.");
    }
    SkipSpaces();
  }
  if (p_ >= end_) {
    return Fail(kXmlErrorUnterminated, p_,
                "The XML declaration begun on " + Where(start) + " is not closed by '?>'.");
  }
  if (!StartsWith("?>")) {
    return bad(
        "The XML declaration holds only version, encoding and standalone, and ends with "
        "'?>'.");
  }
  p_ += 2;
  return true;
}

bool Checker::ParseMarkup() {
  if (p_ + 1 >= end_) {
    return Fail(kXmlErrorUnterminated, p_, "The document ends with a '<' that starts no tag.");
  }
  const Byte next = p_[1];
  if (next == '/') return ParseEndTag();
  if (next == '?') return ParsePi();
  if (next == '!') {
    if (StartsWith("<!--")) return ParseComment();
    if (StartsWith("<![CDATA[")) {
      if (open_.empty()) {
        return Fail(kXmlErrorMisplacedContent, p_,
                    "A CDATA section is allowed only inside the root element.");
      }
      return ParseCdata();
    }
    if (StartsWith("<!DOCTYPE")) return ParseDoctype();
    return Fail(kXmlErrorBadDeclaration, p_,
                "'<!' must start a comment '<!--', a CDATA section '<![CDATA[' or a '<!DOCTYPE' "
                "declaration.");
  }
  return ParseStartTag();
}

bool Checker::AddAttribute(std::string_view attribute) {
  if (attributes_.size() < kLinearAttributeLimit) {
    for (std::string_view seen : attributes_) {
      if (SameName(seen, attribute)) return false;
    }
    attributes_.push_back(attribute);
    if (attributes_.size() == kLinearAttributeLimit) {
      attributeSet_.insert(attributes_.begin(), attributes_.end());
    }
    return true;
  }
  return attributeSet_.insert(attribute).second;
}

bool Checker::ParseStartTag() {
  const Byte* lt = p_++;
  std::string_view name;
  if (!ParseName(name, "element")) return false;
  if (open_.empty() && rootSeen_) {
    return Fail(kXmlErrorMisplacedContent, lt,
                "Only one root element is allowed: " + Quote("<" + std::string(name) + ">") +
                    " follows the root element " + Quote("<" + std::string(rootName_) + ">") + ".");
  }
  if (attributes_.size() >= kLinearAttributeLimit) attributeSet_.clear();
  attributes_.clear();
  // Built only for a reason: a string per tag would cost more than the whole scan.
  auto tag = [&] { return Quote("<" + std::string(name) + ">"); };
  auto unterminated = [&] {
    return Fail(kXmlErrorUnterminated, p_,
                "The start tag " + Quote("<" + std::string(name)) + " begun on " + Where(lt) +
                    " is not closed by '>'.");
  };
  for (;;) {
    const bool spaced = SkipSpaces();
    if (p_ >= end_) return unterminated();
    const Byte c = *p_;
    if (c == '>' || c == '/') {
      if (c == '/') {
        if (p_ + 1 >= end_) return unterminated();
        if (p_[1] != '>') {
          return Fail(kXmlErrorBadAttribute, p_,
                      "In the start tag " + tag() + ", '/' must be followed by '>'.");
        }
        ++p_;
      }
      ++p_;
      if (open_.empty()) {
        rootSeen_ = true;
        rootName_ = name;
      }
      if (c == '>') {
        // Refused here, before any walk of the tree could go this deep.
        if (open_.size() >= kMaxElementNesting) {
          return Fail(kXmlErrorNestingTooDeep, lt,
                      "The element " + tag() + " is nested deeper than the limit of " +
                          std::to_string(kMaxElementNesting) + " nested elements.");
        }
        open_.push_back({name, lt});
      }
      return true;
    }
    if (!spaced) {
      if (c < 0x80 && kAsciiNameStart[c]) {
        return Fail(kXmlErrorBadAttribute, p_,
                    "Attributes in the start tag " + tag() + " must be separated by white space.");
      }
      const std::string_view here = Span(p_, end_);
      return Fail(kXmlErrorBadAttribute, p_,
                  "The character " + Quote(here.substr(0, NextCharIndex(here, 0))) +
                      " is not expected in the start tag " + tag() + ".");
    }
    const Byte* attributeStart = p_;
    std::string_view attribute;
    if (!ParseName(attribute, "attribute")) return false;
    SkipSpaces();
    if (p_ >= end_) return unterminated();
    if (*p_ != '=') {
      return Fail(kXmlErrorBadAttribute, p_,
                  "The attribute " + Quote(attribute) + " of " + tag() +
                      " must be followed by '=' and a quoted value.");
    }
    ++p_;
    SkipSpaces();
    if (p_ >= end_) return unterminated();
    if (*p_ != '"' && *p_ != '\'') {
      return Fail(kXmlErrorBadAttribute, p_,
                  "The value of the attribute " + Quote(attribute) + " of " + tag() +
                      " must be in quotes.");
    }
    if (!ParseAttributeValue(attribute, name)) return false;
    if (!AddAttribute(attribute)) {
      return Fail(kXmlErrorDuplicateAttribute, attributeStart,
                  "The attribute " + Quote(attribute) + " appears twice in " + tag() + ".");
    }
  }
}

bool Checker::ParseAttributeValue(std::string_view attribute, std::string_view element) {
  const Byte* open = p_;
  const Byte quote = *p_++;
  const StopSet& stops = quote == '"' ? kDoubleQuotedValueStops : kSingleQuotedValueStops;
  for (;;) {
    if (!ScanTo(stops)) {
      return Fail(kXmlErrorUnterminated, p_,
                  "The value of the attribute " + Quote(attribute) + " begun on " + Where(open) +
                      " is not closed by a quote.");
    }
    const Byte c = *p_;
    if (c == quote) {
      ++p_;
      return true;
    }
    if (c == '<') {
      return Fail(kXmlErrorBadAttribute, p_,
                  "The character '<' is not allowed in the value of the attribute " +
                      Quote(attribute) + " of " + Quote("<" + std::string(element) + ">") +
                      " (write '&lt;', or close the value's quote).");
    }
    if (c == '&') {
      if (!ParseReference()) return false;
      continue;
    }
    if (!SkipSpecialChar()) return false;
  }
}

bool Checker::ParseEndTag() {
  const Byte* lt = p_;
  p_ += 2;
  std::string_view name;
  if (!ParseName(name, "element")) return false;
  SkipSpaces();
  auto tag = [&] { return Quote("</" + std::string(name) + ">"); };
  if (p_ >= end_) {
    return Fail(kXmlErrorUnterminated, p_, "The end tag " + tag() + " is not closed by '>'.");
  }
  if (*p_ != '>') {
    return Fail(kXmlErrorUnterminated, p_,
                "The end tag " + tag() + " holds only the name and must end with '>'.");
  }
  ++p_;
  if (open_.empty()) {
    return Fail(kXmlErrorTagMismatch, lt, "The end tag " + tag() + " has no matching start tag.");
  }
  const OpenElement& top = open_.back();
  if (!SameName(top.name, name)) {
    return Fail(kXmlErrorTagMismatch, lt,
                "The end tag " + tag() + " does not match the start tag " +
                    Quote("<" + std::string(top.name) + ">") + " on " + Where(top.start) +
                    "; expected " + Quote("</" + std::string(top.name) + ">") + ".");
  }
  open_.pop_back();
  return true;
}

bool Checker::ParseCharData() {
  for (;;) {
    if (!ScanTo(kTextStops)) return true;
    const Byte c = *p_;
    if (c == '<') return true;
    if (c == '&') {
      if (!ParseReference()) return false;
    } else if (c == ']') {
      if (StartsWith("]]>")) {
        return Fail(kXmlErrorMisplacedContent, p_,
                    "The text ']]>' is allowed only at the end of a CDATA section.");
      }
      ++p_;
    } else if (!SkipSpecialChar()) {
      return false;
    }
  }
}

bool Checker::ParseComment() {
  const Byte* start = p_;
  p_ += 4;
  for (;;) {
    if (!ScanTo(kCommentStops)) break;
    if (*p_ != '-') {
      if (!SkipSpecialChar()) return false;
      continue;
    }
    if (p_ + 1 < end_ && p_[1] == '-') {
      if (p_ + 2 >= end_) break;
      if (p_[2] != '>') {
        return Fail(kXmlErrorBadComment, p_, "The text '--' is not allowed inside a comment.");
      }
      p_ += 3;
      return true;
    }
    ++p_;
  }
  return Fail(kXmlErrorUnterminated, end_,
              "The comment begun on " + Where(start) + " is not closed by '-->'.");
}

bool Checker::ParseCdata() {
  const Byte* start = p_;
  p_ += 9;  // "<![CDATA["
  for (;;) {
    if (!ScanTo(kCdataStops)) break;
    if (*p_ != ']') {
      if (!SkipSpecialChar()) return false;
      continue;
    }
    if (StartsWith("]]>")) {
      p_ += 3;
      return true;
    }
    ++p_;
  }
  return Fail(kXmlErrorUnterminated, end_,
              "The CDATA section begun on " + Where(start) + " is not closed by ']]>'.");
}

bool Checker::ParsePi() {
  const Byte* start = p_;
  p_ += 2;
  std::string_view target;
  if (!ParseName(target, "processing instruction target")) return false;
  if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
      (target[2] | 0x20) == 'l') {
    if (target == "xml") {
      return Fail(kXmlErrorBadDeclaration, start,
                  "The XML declaration is allowed only at the very start of the document.");
    }
    return Fail(kXmlErrorBadName, start + 2,
                "The processing instruction target " + Quote(target) + " is reserved.");
  }
  if (StartsWith("?>")) {
    p_ += 2;
    return true;
  }
  if (p_ < end_ && !IsSpace(*p_)) {
    return Fail(kXmlErrorBadName, p_,
                "The processing instruction target " + Quote(target) +
                    " must be followed by white space or '?>'.");
  }
  for (;;) {
    if (!ScanTo(kPiStops)) break;
    if (*p_ != '?') {
      if (!SkipSpecialChar()) return false;
      continue;
    }
    if (StartsWith("?>")) {
      p_ += 2;
      return true;
    }
    ++p_;
  }
  return Fail(kXmlErrorUnterminated, end_,
              "The processing instruction begun on " + Where(start) + " is not closed by '?>'.");
}

bool Checker::ParseQuotedLiteral(const char* what) {
  if (p_ >= end_ || (*p_ != '"' && *p_ != '\'')) {
    return Fail(kXmlErrorBadDeclaration, p_, std::string("A quoted ") + what + " is expected.");
  }
  const Byte* open = p_;
  const Byte quote = *p_++;
  const StopSet& stops = quote == '"' ? kDoubleQuotedLiteralStops : kSingleQuotedLiteralStops;
  for (;;) {
    if (!ScanTo(stops)) {
      return Fail(
          kXmlErrorUnterminated, p_,
          std::string("The ") + what + " begun on " + Where(open) + " is not closed by a quote.");
    }
    if (*p_ == quote) {
      ++p_;
      return true;
    }
    if (!SkipSpecialChar()) return false;
  }
}

bool Checker::ParseDoctype() {
  const Byte* start = p_;
  if (!open_.empty()) {
    return Fail(kXmlErrorBadDeclaration, start,
                "A DOCTYPE declaration is not allowed inside an element.");
  }
  if (rootSeen_) {
    return Fail(kXmlErrorBadDeclaration, start,
                "The DOCTYPE declaration must come before the root element.");
  }
  if (doctypeSeen_) {
    return Fail(kXmlErrorBadDeclaration, start, "Only one DOCTYPE declaration is allowed.");
  }
  doctypeSeen_ = true;
  p_ += 9;  // "<!DOCTYPE"
  if (!SkipSpaces()) {
    return Fail(kXmlErrorBadDeclaration, p_,
                "'<!DOCTYPE' must be followed by white space and the root element's name.");
  }
  std::string_view name;
  if (!ParseName(name, "DOCTYPE root element")) return false;
  bool spaced = SkipSpaces();
  const bool system = StartsWith("SYSTEM");
  if (system || StartsWith("PUBLIC")) {
    if (!spaced) {
      return Fail(kXmlErrorBadDeclaration, p_,
                  "The root element's name in the DOCTYPE declaration must be followed by white "
                  "space.");
    }
    p_ += 6;
    SkipSpaces();
    if (!system) {
      if (!ParseQuotedLiteral("public identifier")) return false;
      SkipSpaces();
    }
    if (!ParseQuotedLiteral("system identifier")) return false;
    SkipSpaces();
  }
  if (p_ < end_ && *p_ == '[') {
    ++p_;
    if (!ParseInternalSubset(start)) return false;
    SkipSpaces();
  }
  if (p_ >= end_) {
    return Fail(kXmlErrorUnterminated, p_,
                "The DOCTYPE declaration begun on " + Where(start) + " is not closed by '>'.");
  }
  if (*p_ != '>') {
    return Fail(kXmlErrorBadDeclaration, p_,
                "The DOCTYPE declaration holds the root element's name, an optional SYSTEM or "
                "PUBLIC identifier and an optional '[...]' subset, and ends with '>'.");
  }
  ++p_;
  return true;
}

bool Checker::ParseInternalSubset(const Byte* doctypeStart) {
  for (;;) {
    SkipSpaces();
    if (p_ >= end_) {
      return Fail(
          kXmlErrorUnterminated, p_,
          "The DOCTYPE declaration begun on " + Where(doctypeStart) + " is not closed by ']>'.");
    }
    if (*p_ == ']') {
      ++p_;
      return true;
    }
    bool ok;
    if (*p_ == '%') {
      ++p_;
      std::string_view name;
      ok = ParseName(name, "parameter entity");
      if (ok && (p_ >= end_ || *p_ != ';')) {
        return Fail(kXmlErrorBadReference, p_,
                    "The parameter entity reference " + Quote(name) + " is not closed by ';'.");
      }
      if (ok) ++p_;
    } else if (StartsWith("<!--")) {
      ok = ParseComment();
    } else if (StartsWith("<?")) {
      ok = ParsePi();
    } else if (StartsWith("<!ENTITY")) {
      ok = ParseEntityDeclaration();
    } else if (const size_t keyword = StartsWith("<!ELEMENT")    ? 9
                                      : StartsWith("<!ATTLIST")  ? 9
                                      : StartsWith("<!NOTATION") ? 10
                                                                 : 0;
               keyword != 0) {
      const Byte* start = p_;
      p_ += keyword;
      if (!SkipSpaces()) {
        return Fail(kXmlErrorBadDeclaration, p_,
                    "The declaration keyword " + Quote(Span(start, p_)) +
                        " must be followed by white space.");
      }
      ok = SkipMarkupDeclaration(start);
    } else {
      return Fail(kXmlErrorBadDeclaration, p_,
                  "The DOCTYPE subset holds only declarations, comments, processing instructions "
                  "and parameter entity references.");
    }
    if (!ok) return false;
  }
}

bool Checker::ParseEntityDeclaration() {
  const Byte* start = p_;
  p_ += 8;  // "<!ENTITY"
  if (!SkipSpaces()) {
    return Fail(kXmlErrorBadDeclaration, p_, "'<!ENTITY' must be followed by white space.");
  }
  bool parameter = false;
  if (p_ < end_ && *p_ == '%') {
    parameter = true;
    ++p_;
    SkipSpaces();
  }
  std::string_view name;
  if (!ParseName(name, "entity")) return false;
  if (!parameter) declaredEntities_.insert(name);
  return SkipMarkupDeclaration(start);
}

// Skips the rest of a declaration in the DOCTYPE subset up to its '>', over quoted literals.
bool Checker::SkipMarkupDeclaration(const Byte* start) {
  for (;;) {
    if (!ScanTo(kDeclarationStops)) {
      return Fail(kXmlErrorUnterminated, p_,
                  "The declaration begun on " + Where(start) + " is not closed by '>'.");
    }
    const Byte c = *p_;
    if (c == '>') {
      ++p_;
      return true;
    }
    if (c == '"' || c == '\'') {
      if (!ParseQuotedLiteral("literal")) return false;
      continue;
    }
    if (c == '<') {
      return Fail(kXmlErrorBadDeclaration, p_,
                  "The declaration begun on " + Where(start) +
                      " holds a '<' outside a quoted literal; is its '>' missing?");
    }
    if (!SkipSpecialChar()) return false;
  }
}

bool Checker::Run() {
  if (StartsWith("\xEF\xBB\xBF")) p_ += 3;  // a byte-order mark the caller left in place
  if (StartsWith("<?xml") && (p_ + 5 == end_ || IsSpace(p_[5]) || p_[5] == '?')) {
    if (!ParseXmlDeclaration()) return false;
  }
  while (p_ < end_) {
    const Byte c = *p_;
    if (c == '<') {
      if (!ParseMarkup()) return false;
    } else if (!open_.empty()) {
      if (!ParseCharData()) return false;
    } else if (IsSpace(c)) {
      ++p_;
    } else {
      if (c >= 0x80 || (c < 0x20)) {
        // Report a bad byte as such rather than as misplaced text.
        const Byte* at = p_;
        if (!SkipSpecialChar()) return false;
        p_ = at;
      }
      return Fail(kXmlErrorMisplacedContent, p_,
                  rootSeen_ ? "Text is not allowed after the root element."
                            : "Text is not allowed before the root element.");
    }
  }
  if (!open_.empty()) {
    const OpenElement& top = open_.back();
    return Fail(kXmlErrorUnclosedElement, end_,
                "The element " + Quote("<" + std::string(top.name) + ">") + " begun on " +
                    Where(top.start) + " is never closed; expected " +
                    Quote("</" + std::string(top.name) + ">") + ".");
  }
  if (!rootSeen_) {
    return Fail(kXmlErrorMisplacedContent, end_, "The document has no root element.");
  }
  return true;
}

}  // namespace

bool CheckWellFormed(std::string_view utf8, DomParseError& error) {
  Checker checker(utf8, error);
  return checker.Run();
}

void LocateXmlError(std::string_view text, size_t byteOffset, DomParseError& error) {
  const size_t offset = std::min(byteOffset, text.size());
  size_t line = 1;
  size_t lineStart = 0;
  size_t chars = 0;
  size_t charsAtLineStart = 0;
  for (size_t i = 0; i < offset;) {
    const Byte c = static_cast<Byte>(text[i]);
    const size_t next = c < 0x80 ? i + 1 : NextCharIndex(text, i);
    ++chars;
    const bool lineEnd = c == '\n' || (c == '\r' && !(next < text.size() && text[next] == '\n'));
    if (lineEnd) {
      ++line;
      lineStart = next;
      charsAtLineStart = chars;
    }
    i = next;
  }
  auto clamp = [](size_t value) {
    return static_cast<int32_t>(std::min<size_t>(value, INT32_MAX));
  };
  const size_t column = chars - charsAtLineStart;  // 0-based, in characters
  error.line = clamp(line);
  error.linepos = clamp(column + 1);
  error.filepos = clamp(chars);

  size_t lineEndAt = text.find_first_of("\r\n", lineStart);
  if (lineEndAt == std::string_view::npos) lineEndAt = text.size();
  const std::string_view lineText = text.substr(lineStart, lineEndAt - lineStart);
  // A window of the long line centred on the position, counted in characters.
  size_t first = column > kSourceTextLimit / 2 ? column - kSourceTextLimit / 2 : 0;
  size_t from = 0;
  for (size_t skipped = 0; skipped < first && from < lineText.size(); ++skipped) {
    from = NextCharIndex(lineText, from);
  }
  error.srcText = Printable(lineText.substr(from), kSourceTextLimit);
}

}  // namespace platform
