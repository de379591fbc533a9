// Word saves templates as HTML that an XML parser refuses. The converter walks the bytes once with
// a forward-only cursor and writes well-formed XML: downlevel conditionals ("<![if ...]>") go,
// vector-graphics conditional comments lose their opener, comments are copied (a math-properties
// run inside them is dropped), tags get quoted attribute values and void tags are self-closed,
// "&nbsp;", "&laquo;", "&raquo;" and "&middot;" are rewritten. Afterwards an XML declaration is
// put in front from "charset=", a command span's orphaned "</span>" before the first "</div>" is
// removed, and the text is cut after "</html>".
//
// Beyond those rules, three more keep the output of real Word versions loadable:
// - "<?xml:namespace ...>" tags (no "?>", hence not processing instructions) are dropped up to and
//   including their ">"; the document layer accepts the prefixes they declare undeclared.
// - An attribute written without a value in an opening tag ("<td nowrap>", "<TABLE BORDER>") is
//   given its own name as value: nowrap="nowrap".
// - Named HTML entities other than the four above ("&copy;", "&eacute;", "&euro;") become numeric
//   character references, which XML reads in any encoding; XML's own five stay as they are.
// - In a template whose charset is UTF-8, "&middot;" becomes the UTF-8 middle dot: the single
//   Western byte would make the converted file fail to load.
// - The look-aheads that self-close meta, link, hr, img, br and "p " tags, and the "</p" and
//   "</br" tests beside them, ignore letter case, so that upper-case tags ("<BR>") close too.
//
// Before the walk the bytes are made 8-bit text: a UTF-8 byte-order mark is skipped, and UTF-16
// with a byte-order mark (Word's "Unicode" save, either order) is decoded into UTF-8. Such a
// template is UTF-8 whatever its meta tag says: the declaration says "utf-8" and so does the
// meta tag's charset value afterwards. The charset value is read up to its own delimiter (a
// quote of either kind, ";", a blank, "/" or ">"), so that "content='...; charset=x'" and
// HTML5's "<meta charset=x>" name their set as "content=\"...; charset=x\"" does.
#include "platform/html_to_xml.h"

#include <algorithm>
#include <string>

#include "foundation/text_helpers.h"
#include "platform/html_entities.h"

namespace platform {

namespace {

constexpr std::string_view kDynamicCommentStyle =
    "<style id=\"dynCom\" type=\"text/css\"><!-- --></style>";
constexpr std::string_view kCommandSpanPrefix = "span QuireQuery=\"";
constexpr std::string_view kOpenCommandStart = "C:";
constexpr std::string_view kVmlOpener = "!--[if gte vml 1]>";
constexpr std::string_view kMathProperties = "m:mathPr";
constexpr std::string_view kListsConditional = "<![if !supportLists]>";
constexpr std::string_view kListMarker = "<!--list=true-->";
constexpr std::string_view kNbspStart = "&nbsp";
constexpr std::string_view kEmptyParagraphMarker = "<!-- nbsp=\"True\"-->";
constexpr std::string_view kNbspBeforeEmptyOfficeParagraph = "<!--nbsp;-->";
constexpr std::string_view kDeclarationStart = "<?xml version=\"1.0\" encoding=\"";
constexpr std::string_view kUtf8 = "utf-8";
constexpr std::string_view kXmlNamespaceTag = "?xml:namespace";
constexpr std::string_view kHtmlEnd = "</html>";
constexpr std::string_view kSpanEnd = "</span>";
constexpr std::string_view kDivEnd = "</div>";

constexpr char kWesternMiddleDot = '\xB7';

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 units (after their byte-order mark) as UTF-8. A unit that pairs with nothing, and an odd
// last byte, become U+FFFD.
std::string Utf16ToUtf8(std::string_view units, bool littleEndian) {
  constexpr char32_t kReplacement = 0xFFFD;
  auto unitAt = [&](size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(units[i]);
    const auto second = static_cast<unsigned char>(units[i + 1]);
    return littleEndian ? (char32_t{second} << 8 | first) : (char32_t{first} << 8 | second);
  };
  std::string out;
  out.reserve(units.size() / 2 + units.size() / 8);
  size_t i = 0;
  for (; i + 1 < units.size(); i += 2) {
    const char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < units.size()) {
      const char32_t low = unitAt(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
  }
  if (i < units.size()) AppendUtf8(out, kReplacement);
  return out;
}

// The template's bytes as 8-bit text: true when a byte-order mark made them UTF-8, with
// `decoded` holding the UTF-16 ones decoded (else `text` stays a view of the input).
bool SkipOrDecodeByteOrderMark(std::string_view& text, std::string& decoded) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
    return true;
  }
  const bool little = text.substr(0, 2) == std::string_view("\xFF\xFE", 2);
  const bool big = text.substr(0, 2) == std::string_view("\xFE\xFF", 2);
  if (!little && !big) return false;
  decoded = Utf16ToUtf8(text.substr(2), little);
  text = decoded;
  return true;
}

// Where the value of the first "charset=" (any letter case) stands: after blanks and one opening
// quote, up to its own delimiter. `at` is npos when the text has no "charset=".
struct CharsetValue {
  size_t at = std::string_view::npos;
  size_t length = 0;
};

CharsetValue FindCharsetValue(std::string_view text) {
  constexpr std::string_view kKey = "charset=";
  CharsetValue value;
  for (size_t at = text.find('='); at != std::string_view::npos; at = text.find('=', at + 1)) {
    if (at + 1 < kKey.size() ||
        !EqualsIgnoringCase(text.substr(at + 1 - kKey.size(), kKey.size()), kKey)) {
      continue;
    }
    size_t start = at + 1;
    while (start < text.size() && IsBlank(text[start])) ++start;
    if (start < text.size() && (text[start] == '"' || text[start] == '\'')) ++start;
    size_t end = start;
    while (end < text.size() && text[end] != '"' && text[end] != '\'' && text[end] != ';' &&
           text[end] != '/' && text[end] != '>' && !IsBlank(text[end])) {
      ++end;
    }
    value.at = start;
    value.length = end - start;
    return value;
  }
  return value;
}

class TemplateConverter {
 public:
  TemplateConverter(std::string_view input, bool keepVml, bool unicode)
      : in_(input), keepVml_(keepVml), unicode_(unicode), utf8_(unicode || DeclaresUtf8(input)) {
    out_.reserve(input.size() + input.size() / 8);
  }

  std::string Run() {
    while (pos_ < in_.size()) {
      const size_t special = in_.find_first_of("<&", pos_);
      const size_t runEnd = special == std::string_view::npos ? in_.size() : special;
      out_.append(in_.substr(pos_, runEnd - pos_));
      pos_ = runEnd;
      if (pos_ == in_.size()) break;
      ++pos_;
      if (in_[runEnd] == '<') {
        OnMarkup(runEnd);
      } else {
        OnAmpersand();
      }
    }
    return FinishText();
  }

 private:
  bool At(size_t at, std::string_view text) const {
    return at <= in_.size() && in_.substr(at, text.size()) == text;
  }
  bool AtIgnoringCase(size_t at, std::string_view text) const {
    return at <= in_.size() && EqualsIgnoringCase(in_.substr(at, text.size()), text);
  }
  // The first occurrence of `text` at or after `from`, or the end of the input.
  size_t FindOrEnd(std::string_view text, size_t from) const {
    const size_t at = in_.find(text, from);
    return at == std::string_view::npos ? in_.size() : at;
  }

  // The cursor stands just past the '<' at `lt`.
  void OnMarkup(size_t lt) {
    if (At(pos_, "![")) {
      SkipConditional(lt);
    } else if (At(pos_, kVmlOpener)) {
      if (keepVml_) {
        pos_ += kVmlOpener.size();
      } else {
        const size_t end = FindOrEnd("-->", pos_ + kVmlOpener.size());
        pos_ = std::min(end + 3, in_.size());
      }
    } else if (At(pos_, "!--")) {
      CopyComment();
    } else if (At(pos_, kXmlNamespaceTag)) {
      pos_ = std::min(FindOrEnd(">", pos_) + 1, in_.size());
    } else {
      CopyTag();
    }
  }

  void SkipConditional(size_t lt) {
    pos_ = std::min(FindOrEnd(">", pos_) + 1, in_.size());
    const bool afterTag = lt > 0 && in_[lt - 1] == '>';
    if (afterTag && in_.substr(lt, pos_ - lt) == kListsConditional) out_ += kListMarker;
    if (afterTag && At(pos_, kNbspStart)) out_ += kEmptyParagraphMarker;
  }

  void CopyComment() {
    out_ += '<';
    for (;;) {
      const size_t end = FindOrEnd("-->", pos_);
      const size_t math = NextMathProperties(pos_);
      if (math < end) {
        out_.append(in_.substr(pos_, math - pos_));
        SkipMathProperties(math);
        continue;
      }
      out_.append(in_.substr(pos_, end - pos_));
      out_ += "-->";
      pos_ = std::min(end + 3, in_.size());
      return;
    }
  }

  // The run from a math-properties marker to the byte after the next one carries "--", which a
  // comment may not hold. Without a second marker only the first and its byte go.
  void SkipMathProperties(size_t first) {
    const size_t afterFirst = std::min(first + kMathProperties.size() + 1, in_.size());
    const size_t second = NextMathProperties(afterFirst);
    pos_ = second == in_.size() ? afterFirst
                                : std::min(second + kMathProperties.size() + 1, in_.size());
  }

  // Remembers the last answer: a file with many unpaired markers stays linear.
  size_t NextMathProperties(size_t from) {
    if (!mathKnown_ || (mathAt_ < from && mathAt_ != in_.size())) {
      mathAt_ = FindOrEnd(kMathProperties, from);
      mathKnown_ = true;
    }
    return mathAt_ < from ? in_.size() : mathAt_;
  }

  void CopyTag() {
    const size_t nameAt = pos_;
    if (At(nameAt, "script") && !OutputEndsWithDynamicCommentStyle()) {
      out_ += kDynamicCommentStyle;
    }
    const bool commandSpan =
        At(nameAt, kCommandSpanPrefix) && At(nameAt + kCommandSpanPrefix.size(), kOpenCommandStart);
    const bool opening =
        nameAt < in_.size() && in_[nameAt] != '/' && in_[nameAt] != '!' && in_[nameAt] != '?';
    out_ += '<';
    while (pos_ < in_.size() && in_[pos_] != '>') {
      const char c = in_[pos_];
      if (c == '=') {
        out_ += '=';
        ++pos_;
        CopyAttributeValue();
      } else if (opening && IsBlank(c)) {
        out_ += c;
        ++pos_;
        if (pos_ < in_.size() && IsNameStart(in_[pos_])) CopyAttributeName();
      } else {
        out_ += c;
        ++pos_;
      }
    }
    if (pos_ == in_.size()) return;  // a tag cut off by the end of the file
    ++pos_;
    CloseTag(nameAt, commandSpan);
  }

  // The 51 bytes that end at the last '>' written are the dynamic comment style element.
  bool OutputEndsWithDynamicCommentStyle() const {
    const size_t gt = out_.rfind('>');
    if (gt == std::string::npos || gt + 1 < kDynamicCommentStyle.size()) return false;
    return std::string_view(out_).substr(gt + 1 - kDynamicCommentStyle.size(),
                                         kDynamicCommentStyle.size()) == kDynamicCommentStyle;
  }

  void CopyAttributeValue() {
    if (pos_ == in_.size()) return;
    const char quote = in_[pos_];
    if (quote == '"' || quote == '\'') {
      const size_t close = in_.find(quote, pos_ + 1);
      const size_t end = close == std::string_view::npos ? in_.size() : close + 1;
      out_.append(in_.substr(pos_, end - pos_));
      pos_ = end;
      return;
    }
    out_ += '"';
    while (pos_ < in_.size() && !IsBlank(in_[pos_]) && in_[pos_] != '>') out_ += in_[pos_++];
    out_ += '"';
  }

  // A name not followed by '=' is a minimized attribute: it takes its own name as value.
  void CopyAttributeName() {
    const size_t start = pos_;
    while (pos_ < in_.size() && IsNameChar(in_[pos_])) ++pos_;
    const std::string_view name = in_.substr(start, pos_ - start);
    out_.append(name);
    size_t next = pos_;
    while (next < in_.size() && IsBlank(in_[next])) ++next;
    if (next < in_.size() && in_[next] != '=') {
      out_ += "=\"";
      out_.append(name);
      out_ += '"';
    }
  }

  // The cursor stands past the tag's '>'.
  void CloseTag(size_t nameAt, bool commandSpan) {
    // The byte written last: a '/' that ended an unquoted value is inside its quotes now.
    if (out_.back() == '/') {
      out_ += '>';
    } else if (AtIgnoringCase(nameAt, "meta") || AtIgnoringCase(nameAt, "link") ||
               AtIgnoringCase(nameAt, "hr") || AtIgnoringCase(nameAt, "img")) {
      if (commandSpan) ++commandSpans_;
      out_ += "/>";
    } else if (commandSpan) {
      ++commandSpans_;
      out_ += "/>";
    } else if (AtIgnoringCase(nameAt, "p ")) {
      // A paragraph whose next tag closes something else was never closed itself.
      const size_t next = in_.find('<', pos_);
      const bool unclosed =
          next != std::string_view::npos && At(next, "</") && !AtIgnoringCase(next, "</p");
      out_ += unclosed ? "/>" : ">";
    } else if (AtIgnoringCase(nameAt, "br")) {
      const size_t next = in_.find('<', pos_);
      const bool closedByOwnEnd = next != std::string_view::npos && AtIgnoringCase(next, "</br");
      out_ += closedByOwnEnd ? ">" : "/>";
    } else {
      out_ += '>';
    }
  }

  // The cursor stands just past the '&'.
  void OnAmpersand() {
    if (At(pos_, "nbsp;")) {
      pos_ += 5;
      if (At(pos_, "</o:p>")) out_ += kNbspBeforeEmptyOfficeParagraph;
    } else if (At(pos_, "laquo;")) {
      pos_ += 6;
      out_ += "&lt;&lt;";
    } else if (At(pos_, "raquo;")) {
      pos_ += 6;
      out_ += "&gt;&gt;";
    } else if (At(pos_, "middot;")) {
      pos_ += 7;
      out_ += utf8_ ? std::string_view("\xC2\xB7") : std::string_view(&kWesternMiddleDot, 1);
    } else {
      WriteOtherEntity();
    }
  }

  // An HTML entity XML does not know becomes a numeric reference; anything else after "&"
  // (XML's own entities, numeric references, a lone "&") is written unchanged.
  void WriteOtherEntity() {
    constexpr size_t kLongestName = 8;
    const size_t semicolon = in_.find(';', pos_);
    if (semicolon != std::string_view::npos && semicolon - pos_ <= kLongestName) {
      const int codePoint = HtmlEntityCodePoint(in_.substr(pos_, semicolon - pos_));
      if (codePoint > 0) {
        out_ += "&#" + std::to_string(codePoint) + ";";
        pos_ = semicolon + 1;
        return;
      }
    }
    out_ += '&';
  }

  // Whether the template says it is UTF-8 ("charset=utf-8", any letter case).
  static bool DeclaresUtf8(std::string_view input) {
    const CharsetValue value = FindCharsetValue(input);
    if (value.at == std::string_view::npos) return false;
    const std::string_view name = input.substr(value.at, value.length);
    return EqualsIgnoringCase(name, "utf-8") || EqualsIgnoringCase(name, "utf8");
  }

  std::string FinishText() {
    std::string text = std::move(out_);
    if (text.find(kDeclarationStart) == std::string::npos) {
      const CharsetValue value = FindCharsetValue(text);
      if (unicode_) {
        // The text is UTF-8 now, whatever the meta tag named.
        if (value.at != std::string::npos) text.replace(value.at, value.length, kUtf8);
        text.insert(0, std::string(kDeclarationStart) + std::string(kUtf8) + "\"?>");
      } else if (value.at != std::string::npos && value.length > 0) {
        text.insert(0,
                    std::string(kDeclarationStart) + text.substr(value.at, value.length) + "\"?>");
      }
    }
    if (commandSpans_ > 0) {
      const size_t div = text.find(kDivEnd);
      if (div != std::string::npos && div >= kSpanEnd.size() &&
          EqualsIgnoringCase(std::string_view(text).substr(div - kSpanEnd.size(), kSpanEnd.size()),
                             kSpanEnd)) {
        text.erase(div - kSpanEnd.size(), kSpanEnd.size());
      }
    }
    const size_t end = text.find(kHtmlEnd);
    if (end != std::string::npos) text.resize(end + kHtmlEnd.size());
    return text;
  }

  std::string_view in_;
  bool keepVml_;
  bool unicode_;  // a byte-order mark made the text UTF-8
  bool utf8_;
  size_t pos_ = 0;
  std::string out_;
  size_t commandSpans_ = 0;
  size_t mathAt_ = 0;
  bool mathKnown_ = false;
};

}  // namespace

std::string ConvertHtmlToXml(std::string_view bytes, bool keepVml) {
  std::string decoded;
  const bool unicode = SkipOrDecodeByteOrderMark(bytes, decoded);
  return TemplateConverter(bytes, keepVml, unicode).Run();
}

std::string DeclaredCharset(std::string_view bytes) {
  std::string decoded;
  if (SkipOrDecodeByteOrderMark(bytes, decoded)) return std::string(kUtf8);
  if (bytes.find(kDeclarationStart) != std::string_view::npos) return "";
  const CharsetValue value = FindCharsetValue(bytes);
  return value.at == std::string_view::npos ? ""
                                            : std::string(bytes.substr(value.at, value.length));
}

}  // namespace platform
