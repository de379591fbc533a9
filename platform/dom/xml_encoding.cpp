#include "platform/dom/xml_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "platform/dom/xml_wellformedness.h"

namespace platform {
namespace {

const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);  // iconv_open's failure value
constexpr size_t kIconvFailed = static_cast<size_t>(-1);

// One iconv conversion, closed when it goes out of scope.
class IconvHandle {
 public:
  IconvHandle(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvHandle() {
    if (handle_ != kNoHandle) iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool Valid() const { return handle_ != kNoHandle; }
  iconv_t Get() const { return handle_; }

 private:
  iconv_t handle_;
};

// Output of a conversion: iconv writes into a fixed block that is appended to the target each
// time it fills, so that a long text is neither zero-filled nor copied whole while it grows.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::string& target) : target_(target), block_(new char[kBlockBytes]) {}
  char* Cursor() { return block_.get() + used_; }
  size_t Room() const { return kBlockBytes - used_; }
  void Advance(char* cursor) { used_ = static_cast<size_t>(cursor - block_.get()); }
  // Makes the whole block free again.
  void Flush() {
    target_.append(block_.get(), used_);
    used_ = 0;
  }
  void Append(std::string_view text) {
    if (text.size() > Room()) Flush();
    if (text.size() > Room()) {
      target_.append(text);
      return;
    }
    std::memcpy(Cursor(), text.data(), text.size());
    used_ += text.size();
  }

 private:
  static constexpr size_t kBlockBytes = 64 * 1024;
  std::string& target_;
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
};

// Runs iconv over [*in, *in + *inLeft) until the input is used up or it stops with an error other
// than a full buffer. Returns 0 or the errno that stopped it; *in points at the offending bytes.
int ConvertSome(iconv_t handle, char** in, size_t* inLeft, OutputBuffer& out) {
  while (*inLeft > 0) {
    char* cursor = out.Cursor();
    size_t room = out.Room();
    const size_t result = iconv(handle, in, inLeft, &cursor, &room);
    out.Advance(cursor);
    if (result != kIconvFailed) return 0;
    if (errno != E2BIG) return errno;
    out.Flush();
  }
  return 0;
}

// Brings a stateful encoding back to its initial shift state at the end of the text.
void FlushShiftState(iconv_t handle, OutputBuffer& out) {
  for (;;) {
    char* cursor = out.Cursor();
    size_t room = out.Room();
    const size_t result = iconv(handle, nullptr, nullptr, &cursor, &room);
    out.Advance(cursor);
    if (result != kIconvFailed || errno != E2BIG) return;
    out.Flush();
  }
}

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsAsciiAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Upper-case letters and digits only, so that "utf8", "UTF-8" and "Utf_8" compare equal.
std::string SquashedName(std::string_view name) {
  std::string squashed;
  for (char c : name) {
    if (c >= 'a' && c <= 'z') squashed.push_back(static_cast<char>(c - 'a' + 'A'));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) squashed.push_back(c);
  }
  return squashed;
}

bool IsUtf8Name(std::string_view name) { return SquashedName(name) == "UTF8"; }

// Encodings of 16- or 32-bit units: a declaration read from ASCII-compatible bytes cannot be true,
// so such text is taken as UTF-8 (a file re-saved by a tool that kept the old declaration).
bool IsWideUnicodeName(std::string_view name) {
  const std::string squashed = SquashedName(name);
  return squashed.rfind("UTF16", 0) == 0 || squashed.rfind("UTF32", 0) == 0 ||
         squashed.rfind("UCS2", 0) == 0 || squashed.rfind("UCS4", 0) == 0;
}

bool IsWindows1252Name(std::string_view name) {
  const std::string squashed = SquashedName(name);
  return squashed == "WINDOWS1252" || squashed == "CP1252" || squashed == "MSANSI";
}

// Names of Shift_JIS. Pages that declare it are written and read with the Windows code page 932,
// where 0x5C is the backslash and 0x7E the tilde; glibc's own Shift_JIS makes them the yen sign and
// the overline, which breaks every backslash escape of a template and cannot write a backslash.
bool IsShiftJisName(std::string_view name) {
  const std::string squashed = SquashedName(name);
  return squashed == "SHIFTJIS" || squashed == "XSJIS" || squashed == "SJIS" ||
         squashed == "MSKANJI" || squashed == "CSSHIFTJIS";
}

// The name iconv is given for a document's encoding name.
std::string IconvName(const std::string& name) {
  static const bool hasCodePage932 = [] {
    const iconv_t probe = iconv_open("UTF-8", "CP932");
    if (probe == kNoHandle) return false;
    iconv_close(probe);
    return true;
  }();
  if (hasCodePage932 && IsShiftJisName(name)) return "CP932";
  return name;
}

// The XML encoding-name grammar; it also keeps iconv's "//" suffixes out of names from documents.
bool IsEncodingName(std::string_view name) {
  if (name.empty() || !IsAsciiAlpha(name[0])) return false;
  for (char c : name) {
    if (!IsAsciiAlpha(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') {
      return false;
    }
  }
  return true;
}

struct DeclaredEncoding {
  std::string_view name;
  size_t offset = 0;  // byte offset of the name in the text
};

// Reads the encoding pseudo-attribute of an XML declaration at the very start of ASCII-compatible
// text. A malformed declaration yields what was read before the fault; the checker reports it.
DeclaredEncoding FindDeclaredEncoding(std::string_view text) {
  if (text.size() < 6 || text.substr(0, 5) != "<?xml" || !IsAsciiSpace(text[5])) return {};
  size_t i = 5;
  auto skipSpaces = [&] {
    while (i < text.size() && IsAsciiSpace(text[i])) ++i;
  };
  for (;;) {
    skipSpaces();
    const size_t nameStart = i;
    while (i < text.size() && IsAsciiAlpha(text[i])) ++i;
    const std::string_view name = text.substr(nameStart, i - nameStart);
    if (name.empty()) return {};
    skipSpaces();
    if (i >= text.size() || text[i] != '=') return {};
    ++i;
    skipSpaces();
    if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return {};
    const char quote = text[i++];
    const size_t valueStart = i;
    while (i < text.size() && text[i] != quote && text[i] != '>') ++i;
    if (i >= text.size() || text[i] != quote) return {};
    if (name == "encoding") return {text.substr(valueStart, i - valueStart), valueStart};
    ++i;
  }
}

std::string HexByte(unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", byte);
  return text;
}

void FailDecode(DomParseError& error, int32_t code, std::string reason, std::string_view where,
                size_t offset) {
  error.errorCode = code;
  error.reason = std::move(reason);
  LocateXmlError(where, offset, error);
}

bool IsWindows1252Hole(unsigned char byte) {
  return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

// Converts `bytes` from `from` to UTF-8 into `utf8`. `label` is the encoding as the document names
// it, for messages.
bool ConvertToUtf8(std::string_view bytes, const std::string& from, std::string_view label,
                   std::string& utf8, DomParseError& error, size_t labelOffset) {
  IconvHandle handle("UTF-8", IconvName(from));
  if (!handle.Valid()) {
    FailDecode(
        error, kXmlErrorUnsupportedEncoding,
        "The encoding '" + std::string(label) + "' named in the XML declaration is not supported.",
        bytes, labelOffset);
    return false;
  }
  const bool mapHoles = IsWindows1252Name(from);
  utf8.reserve(bytes.size() + bytes.size() / 4);
  OutputBuffer out(utf8);
  char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write the input
  size_t inLeft = bytes.size();
  for (;;) {
    const int failure = ConvertSome(handle.Get(), &in, &inLeft, out);
    if (failure == 0) break;
    const auto bad = static_cast<unsigned char>(*in);
    if (failure == EILSEQ && mapHoles && IsWindows1252Hole(bad)) {
      // The code page leaves these undefined; like common decoders, keep them as C1 controls.
      const char twoBytes[2] = {static_cast<char>(0xC2), static_cast<char>(bad)};
      out.Append(std::string_view(twoBytes, 2));
      ++in;
      --inLeft;
      continue;
    }
    out.Flush();
    const size_t badOffset = static_cast<size_t>(in - bytes.data());
    const std::string reason =
        failure == EINVAL
            ? "The text ends inside a character of the encoding '" + std::string(label) + "'."
            : "The byte " + HexByte(bad) + " at byte offset " + std::to_string(badOffset) +
                  " is not valid in the encoding '" + std::string(label) + "'.";
    FailDecode(error, kXmlErrorBadEncodedByte, reason, utf8, utf8.size());
    return false;
  }
  out.Flush();
  return true;
}

}  // namespace

size_t FindInvalidUtf8(std::string_view text) {
  size_t i = 0;
  const size_t size = text.size();
  while (i < size) {
    // Plain ASCII, eight bytes at a time: the common case in markup.
    while (i + 8 <= size) {
      uint64_t block;
      std::memcpy(&block, text.data() + i, 8);
      if ((block & 0x8080808080808080ULL) != 0) break;
      i += 8;
    }
    if (i >= size) break;
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t codePoint;
    const size_t length = DecodeUtf8Char(text, i, codePoint);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

bool DecodeXmlBytes(std::string_view bytes, std::string& utf8, std::string& declaredEncoding,
                    DomParseError& error) {
  utf8.clear();
  declaredEncoding.clear();
  auto startsWith = [&](std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
  };
  auto fromUtf16 = [&](const char* unitOrder, size_t bomLength) {
    if (!ConvertToUtf8(bytes.substr(bomLength), unitOrder, unitOrder, utf8, error, 0)) return false;
    declaredEncoding = std::string(FindDeclaredEncoding(utf8).name);
    return true;
  };

  if (startsWith("\xEF\xBB\xBF")) {
    utf8.assign(bytes.substr(3));
    declaredEncoding = std::string(FindDeclaredEncoding(utf8).name);
    return true;
  }
  if (startsWith(std::string_view("\xFF\xFE", 2))) return fromUtf16("UTF-16LE", 2);
  if (startsWith(std::string_view("\xFE\xFF", 2))) return fromUtf16("UTF-16BE", 2);
  // "<?" in 16-bit units without a byte-order mark.
  if (startsWith(std::string_view("<\0?\0", 4))) return fromUtf16("UTF-16LE", 0);
  if (startsWith(std::string_view("\0<\0?", 4))) return fromUtf16("UTF-16BE", 0);

  const DeclaredEncoding declared = FindDeclaredEncoding(bytes);
  declaredEncoding = std::string(declared.name);
  if (declared.name.empty() || IsUtf8Name(declared.name) || IsWideUnicodeName(declared.name)) {
    utf8.assign(bytes);
    return true;
  }
  if (!IsEncodingName(declared.name)) {
    FailDecode(
        error, kXmlErrorUnsupportedEncoding,
        "The encoding '" + declaredEncoding + "' named in the XML declaration is not supported.",
        bytes, declared.offset);
    return false;
  }
  return ConvertToUtf8(bytes, declaredEncoding, declaredEncoding, utf8, error, declared.offset);
}

namespace {

// The characters UTF-7 may write as themselves (its direct and optional direct characters),
// which its readers take as they stand.
bool IsUtf7Direct(char c) {
  return c == '\t' || c == '\n' || c == '\r' ||
         (c >= 0x20 && c <= 0x7E && c != '+' && c != '\\' && c != '~');
}

// The reason text that is to be saved is refused; `base` is the offset of `text` in the whole.
std::string NotUtf8Text(std::string_view text, size_t invalid, size_t base) {
  return "The text to save is not valid UTF-8: byte " +
         HexByte(static_cast<unsigned char>(text[invalid])) + " at byte offset " +
         std::to_string(base + invalid) + ".";
}

}  // namespace

struct XmlTextEncoder::State {
  State(const std::string& name, std::string& target)
      : encoding(name), bytes(target), out(target) {}
  std::string encoding;
  std::string& bytes;
  OutputBuffer out;
  std::unique_ptr<IconvHandle> handle;  // none for UTF-8, which is copied
  bool mapHoles = false;
  bool utf7 = false;
  bool shiftJis = false;
  size_t offset = 0;  // of the next piece in the whole text, for messages
};

XmlTextEncoder::XmlTextEncoder(const std::string& encoding, std::string& bytes)
    : state_(std::make_unique<State>(encoding, bytes)) {}

XmlTextEncoder::~XmlTextEncoder() = default;

bool XmlTextEncoder::Start(std::string& error) {
  State& state = *state_;
  const std::string& encoding = state.encoding;
  if (encoding.empty() || IsUtf8Name(encoding)) return true;
  const std::string unsupported = "The encoding '" + encoding + "' is not supported.";
  if (!IsEncodingName(encoding)) {
    error = unsupported;
    return false;
  }
  // glibc's own "UTF-16" output order is not fixed by the name; write the mark and order ourselves.
  const bool utf16WithMark = SquashedName(encoding) == "UTF16";
  state.handle =
      std::make_unique<IconvHandle>(utf16WithMark ? "UTF-16LE" : IconvName(encoding), "UTF-8");
  if (!state.handle->Valid()) {
    state.handle.reset();
    error = unsupported;
    return false;
  }
  state.mapHoles = IsWindows1252Name(encoding);
  state.utf7 = SquashedName(encoding) == "UTF7";
  state.shiftJis = IsShiftJisName(encoding);
  if (utf16WithMark) state.out.Append("\xFF\xFE");
  return true;
}

bool XmlTextEncoder::Append(std::string_view utf8, std::string& error) {
  if (const size_t invalid = FindInvalidUtf8(utf8); invalid != std::string_view::npos) {
    error = NotUtf8Text(utf8, invalid, state_->offset);
    state_->offset += utf8.size();
    return false;
  }
  return AppendValid(utf8, error);
}

bool XmlTextEncoder::AppendValid(std::string_view utf8, std::string& error) {
  State& state = *state_;
  const size_t base = state.offset;
  state.offset += utf8.size();
  if (!state.handle) {
    state.bytes.append(utf8);
    return true;
  }
  if (state.shiftJis) return ConvertShiftJis(utf8, base, error);
  if (!state.utf7) return Convert(utf8, base, error);
  // iconv writes UTF-7 with all markup in base64 ("<" as "+ADw-"), which leaves no readable
  // declaration: a saved page could not be loaded again. The characters that UTF-7 may write as
  // themselves are written so; the others go through iconv, a run at a time.
  for (size_t at = 0; at < utf8.size();) {
    size_t end = at;
    while (end < utf8.size() && IsUtf7Direct(utf8[end])) ++end;
    if (end > at) {
      state.out.Append(utf8.substr(at, end - at));
      at = end;
      continue;
    }
    while (end < utf8.size() && !IsUtf7Direct(utf8[end])) ++end;
    if (!Convert(utf8.substr(at, end - at), base + at, error)) return false;
    FlushShiftState(state.handle->Get(), state.out);
    at = end;
  }
  return true;
}

bool XmlTextEncoder::Convert(std::string_view utf8, size_t base, std::string& error) {
  State& state = *state_;
  const std::string& encoding = state.encoding;
  OutputBuffer& out = state.out;
  char* in = const_cast<char*>(utf8.data());  // iconv's signature; it does not write the input
  size_t inLeft = utf8.size();
  for (;;) {
    const int failure = ConvertSome(state.handle->Get(), &in, &inLeft, out);
    if (failure == 0) break;
    const size_t at = static_cast<size_t>(in - utf8.data());
    char32_t codePoint = 0;
    const size_t length = DecodeUtf8Char(utf8, at, codePoint);
    if (failure != EILSEQ || length == 0) {
      error = "The text could not be converted to the encoding '" + encoding + "' at byte offset " +
              std::to_string(base + at) + ".";
      out.Flush();
      return false;
    }
    if (state.mapHoles && codePoint >= 0x80 && codePoint <= 0xFF &&
        IsWindows1252Hole(static_cast<unsigned char>(codePoint))) {
      // The C1 control that reading such a file made of an undefined byte goes back to that
      // byte, so that a template is saved as it was read (a character reference would not be
      // the same text inside a comment).
      const char byte = static_cast<char>(codePoint);
      out.Append(std::string_view(&byte, 1));
      in += length;
      inLeft -= length;
      continue;
    }
    // The target lacks this character: a character reference says the same in ASCII.
    std::string reference = "&#" + std::to_string(static_cast<uint32_t>(codePoint)) + ";";
    char* refIn = reference.data();
    size_t refLeft = reference.size();
    if (ConvertSome(state.handle->Get(), &refIn, &refLeft, out) != 0) {
      error =
          "The encoding '" + encoding + "' cannot write the character reference " + reference + ".";
      out.Flush();
      return false;
    }
    in += length;
    inLeft -= length;
  }
  return true;
}

bool XmlTextEncoder::ConvertShiftJis(std::string_view utf8, size_t base, std::string& error) {
  // Code page 932 writes the yen sign and the overline as 0x5C and 0x7E, which read back as the
  // backslash and the tilde: they are written as references so that the page says what it held.
  static constexpr std::string_view kYen = "\xC2\xA5", kOverline = "\xE2\x80\xBE";
  size_t at = 0;
  for (;;) {
    const size_t yen = utf8.find(kYen, at), overline = utf8.find(kOverline, at);
    const size_t next = std::min(yen, overline);
    if (!Convert(utf8.substr(at, next - at), base + at, error)) return false;
    if (next == std::string_view::npos) return true;
    state_->out.Append(next == yen ? "&#165;" : "&#8254;");
    at = next + (next == yen ? kYen.size() : kOverline.size());
  }
}

void XmlTextEncoder::Finish() {
  State& state = *state_;
  if (state.handle) FlushShiftState(state.handle->Get(), state.out);
  state.out.Flush();
}

bool EncodeXmlText(std::string_view utf8, const std::string& encoding, std::string& bytes,
                   std::string& error) {
  bytes.clear();
  error.clear();
  bytes.reserve(utf8.size() + utf8.size() / 8);
  XmlTextEncoder encoder(encoding, bytes);
  if (!encoder.Start(error)) {
    // A text that is not UTF-8 is named before an encoding that is not known.
    if (const size_t invalid = FindInvalidUtf8(utf8); invalid != std::string_view::npos)
      error = NotUtf8Text(utf8, invalid, 0);
    return false;
  }
  if (!encoder.Append(utf8, error)) return false;
  encoder.Finish();
  return true;
}

namespace {

bool ForbiddenControl(unsigned char byte) {
  return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

}  // namespace

// One pass over the text, eight bytes at a time while they are all printable ASCII: every piece of
// a page passes here on its way out.
bool IsXmlText(std::string_view text) {
  const size_t size = text.size();
  for (size_t i = 0; i < size;) {
    if (i + 8 <= size) {
      uint64_t block;
      std::memcpy(&block, text.data() + i, 8);
      // A byte below 0x20 sets its high bit when 0x20 is taken from it; one from 0x80 up has it.
      if (((block | (block - 0x2020202020202020ULL)) & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (ForbiddenControl(byte)) return false;
      ++i;
      continue;
    }
    char32_t codePoint;
    const size_t length = DecodeUtf8Char(text, i, codePoint);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

namespace {

// The serialiser writes a control character of a text or an attribute value as a character
// reference ("&#01;"), which XML 1.0 forbids as much as the character itself: both become U+FFFD.
std::string WithoutForbiddenReferences(std::string_view text) {
  size_t at = text.find("&#");
  if (at == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  size_t copied = 0;
  for (; at != std::string_view::npos; at = text.find("&#", at + 2)) {
    size_t end = at + 2;
    unsigned value = 0;
    while (end < text.size() && end - at < 6 && text[end] >= '0' && text[end] <= '9') {
      value = value * 10 + static_cast<unsigned>(text[end] - '0');
      ++end;
    }
    if (end == at + 2 || end >= text.size() || text[end] != ';') continue;
    if (!ForbiddenControl(static_cast<unsigned char>(value < 0x20 ? value : 0x20))) continue;
    out.append(text, copied, at - copied);
    out += "\xEF\xBF\xBD";
    copied = end + 1;
  }
  out.append(text, copied, std::string_view::npos);
  return out;
}

// Where the markup that starts at `text` (a "<") keeps its content as written until a fixed
// text, that text: a comment, a CDATA section or a processing instruction. Empty for anything
// else (the document type ends by its own rules).
std::string_view FixedSectionEnd(std::string_view text) {
  if (text.starts_with("<!--")) return "-->";
  if (text.starts_with("<![CDATA[")) return "]]>";
  if (text.starts_with("<?")) return "?>";
  return {};
}

}  // namespace

namespace {

// Bytes that are not UTF-8 read as Latin-1, and forbidden control characters as U+FFFD.
std::string WithoutBadBytes(std::string text) {
  if (IsXmlText(text)) return text;
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    char32_t codePoint;
    const size_t length = DecodeUtf8Char(text, at, codePoint);
    if (length == 0) {  // not UTF-8: the byte as Latin-1
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
      ++at;
    } else if (length == 1 && ForbiddenControl(byte)) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++at;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return out;
}

}  // namespace

std::string ToXmlText(std::string_view given) { return ToXmlTextOf(std::string(given)); }

std::string ToXmlTextOf(std::string given) { return XmlTextCleaner().Clean(std::move(given)); }

std::string XmlTextCleaner::Clean(std::string piece) {
  // A reference is only one outside the sections that keep their text as written: "&#1;" in a
  // comment is four characters of the comment.
  if (piece.find("&#") == std::string::npos) {
    Walk(piece, nullptr);
    return WithoutBadBytes(std::move(piece));
  }
  std::string cleaned;
  cleaned.reserve(piece.size());
  Walk(piece, &cleaned);
  return WithoutBadBytes(std::move(cleaned));
}

// Follows `text` through the sections it opens and closes; with `cleaned`, appends the text to it
// with the references outside those sections made text.
void XmlTextCleaner::Walk(std::string_view text, std::string* cleaned) {
  for (size_t at = 0; at < text.size();) {
    if (inDoctype_ || !sectionEnd_.empty()) {
      const size_t end = EndOfSection(text, at);
      const size_t stop = end == std::string_view::npos ? text.size() : end;
      if (cleaned != nullptr) cleaned->append(text, at, stop - at);
      at = stop;
      continue;
    }
    size_t open = text.find('<', at);
    if (open == std::string_view::npos) open = text.size();
    if (cleaned != nullptr) *cleaned += WithoutForbiddenReferences(text.substr(at, open - at));
    if (open == text.size()) break;
    // Only "<!" and "<?" can open a section: a tag goes by with its "<".
    if (open + 1 < text.size() && text[open + 1] != '!' && text[open + 1] != '?') {
      if (cleaned != nullptr) *cleaned += '<';
      at = open + 1;
      continue;
    }
    const std::string_view markup = text.substr(open);
    sectionEnd_ = FixedSectionEnd(markup);
    inDoctype_ = markup.starts_with("<!DOCTYPE");
    // Past "<", "<!DOCTYPE" or the "<?" of "<?>", which does not end the instruction it starts.
    const size_t skip = inDoctype_ ? 9 : sectionEnd_.empty() ? 1 : 2;
    if (cleaned != nullptr) cleaned->append(text, open, skip);
    at = open + skip;
  }
}

// Just past the end of the section the text from `at` is in, or npos when it goes on after it.
size_t XmlTextCleaner::EndOfSection(std::string_view text, size_t at) {
  if (inDoctype_ && sectionEnd_.empty()) return EndOfDoctype(text, at);
  const size_t end = text.find(sectionEnd_, at);
  if (end == std::string_view::npos) return end;
  const size_t stop = end + sectionEnd_.size();
  sectionEnd_ = {};
  return stop;
}

// The document type ends at the first ">" outside its literals and its "[...]" subset; inside
// the subset, comments and instructions may hold any letters.
size_t XmlTextCleaner::EndOfDoctype(std::string_view text, size_t at) {
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (doctypeQuote_ != 0) {
      if (c == doctypeQuote_) doctypeQuote_ = 0;
    } else if (c == '"' || c == '\'') {
      doctypeQuote_ = c;
    } else if (c == '[') {
      inSubset_ = true;
    } else if (c == ']') {
      inSubset_ = false;
    } else if (c == '<' && inSubset_) {
      sectionEnd_ = FixedSectionEnd(text.substr(at));
      if (!sectionEnd_.empty()) {
        const size_t end = EndOfSection(text, at + 2);
        if (end == std::string_view::npos) return end;
        at = end - 1;
      }
    } else if (c == '>' && !inSubset_) {
      inDoctype_ = false;
      return at + 1;
    }
  }
  return std::string_view::npos;
}

}  // namespace platform
