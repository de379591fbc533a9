// Document encodings: the bytes of a file as loaded or saved, and the UTF-8 text that the document
// layer works on. Conversions go through iconv, one handle per call, so every function is safe on
// any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/utf8.h"
#include "platform/dom/dom_parse_error.h"

namespace platform {

// DomParseError::errorCode values of DecodeXmlBytes.
inline constexpr int32_t kXmlErrorUnsupportedEncoding = -1020;
inline constexpr int32_t kXmlErrorBadEncodedByte = -1021;

// Turns the bytes of an XML file into UTF-8 text. The encoding comes from a byte-order mark (UTF-8,
// removed; UTF-16 LE/BE, converted; it wins over the declaration), else from "<?" in 16-bit units,
// else from the encoding of an XML declaration at the very start, else UTF-8. A declared UTF-16 or
// UTF-32 on 8-bit bytes is read as UTF-8. UTF-8 bytes are copied once and not checked here
// (CheckWellFormed reports bad UTF-8). In windows-1252 the five bytes that code page leaves
// undefined become U+0081, U+008D, U+008F, U+0090 and U+009D. Shift_JIS (also "shift-jis",
// "sjis", "x-sjis", "MS_Kanji", "csShiftJIS"; any case) is read as the Windows code page 932, so
// 0x5C is the backslash and 0x7E the tilde. `declaredEncoding` receives the
// declaration's encoding as written (empty when none); the declaration stays in the text.
// On failure fills `error` (not url; the position is in the text decoded so far) and returns false.
bool DecodeXmlBytes(std::string_view bytes, std::string& utf8, std::string& declaredEncoding,
                    DomParseError& error);

// Turns UTF-8 text into `encoding`; a character the encoding lacks is written as "&#N;" (decimal)
// wherever it stands, so the caller keeps such characters out of names, comments and CDATA.
// Empty, "UTF-8" or "utf8" (any case): the text as it is. "UTF-16": a little-endian byte-order mark
// and little-endian units ("UTF-16LE"/"UTF-16BE": no mark). Shift_JIS is written as it is read
// (code page 932), so a page keeps the bytes it was read from; the yen sign and the overline,
// which that code page would write as 0x5C and 0x7E, are written as references. Returns false with
// a one-sentence `error` for an unknown encoding or text that is not valid UTF-8.
bool EncodeXmlText(std::string_view utf8, const std::string& encoding, std::string& bytes,
                   std::string& error);

// EncodeXmlText piece by piece, appending to `bytes`: the pieces give what one call gives for
// their concatenation, as long as no piece ends inside a UTF-8 sequence. Start first; it fails
// with the one-sentence `error` for an unknown encoding, and nothing else may be called then.
// Append fails for text that is not valid UTF-8 or a character the encoding cannot write even
// as a reference. Finish after the last piece.
class XmlTextEncoder {
 public:
  XmlTextEncoder(const std::string& encoding, std::string& bytes);
  ~XmlTextEncoder();
  XmlTextEncoder(const XmlTextEncoder&) = delete;
  XmlTextEncoder& operator=(const XmlTextEncoder&) = delete;

  bool Start(std::string& error);
  bool Append(std::string_view utf8, std::string& error);
  // Append for text known to be valid UTF-8 (what XmlTextCleaner gives), without checking it.
  bool AppendValid(std::string_view utf8, std::string& error);
  void Finish();

 private:
  // Converts one run through iconv; `base` is its offset in the whole text, for messages.
  bool Convert(std::string_view utf8, size_t base, std::string& error);
  // Convert for Shift_JIS, keeping the yen sign and the overline apart from 0x5C and 0x7E.
  bool ConvertShiftJis(std::string_view utf8, size_t base, std::string& error);

  struct State;
  std::unique_ptr<State> state_;
};

// Byte offset of the first byte of `text` that is not part of valid UTF-8 (overlong forms,
// surrogates and values past U+10FFFF are invalid), or std::string_view::npos when all is valid.
size_t FindInvalidUtf8(std::string_view text);

// Whether `text` is valid UTF-8 without the control characters that XML 1.0 forbids: what
// ToXmlText leaves as it is, unless the text holds references.
bool IsXmlText(std::string_view text);

// `text` as a document may hold it: every byte that is not part of valid UTF-8 is read as Latin-1
// (0xE9 becomes U+00E9), and every control character that XML 1.0 forbids (all below U+0020 but
// tab, line feed and carriage return) becomes U+FFFD. Text that is valid already is returned as it
// is. File names, data files and the output of scripts reach the page through this.
std::string ToXmlText(std::string_view text);
// As ToXmlText, taking the text over: a text that needs no change comes back without a copy.
// Both take serialised document text: the references that the serialiser writes for forbidden
// control characters in texts and attribute values ("&#01;") become U+FFFD too, while the same
// letters inside a comment, a CDATA section, a processing instruction or the document type,
// where they are text, stay as they are.
std::string ToXmlTextOf(std::string text);

// ToXmlText for a serialised document given in pieces, each cut just before a "<" (so that no
// reference and no markup is ever split): it remembers the section a piece ends in.
class XmlTextCleaner {
 public:
  std::string Clean(std::string piece);

 private:
  void Walk(std::string_view text, std::string* cleaned);
  size_t EndOfSection(std::string_view text, size_t at);
  size_t EndOfDoctype(std::string_view text, size_t at);

  bool inDoctype_ = false;
  std::string_view sectionEnd_;  // what ends the comment, CDATA section or instruction the text
                                 // is in (one inside the doctype's subset too); empty outside one
  char doctypeQuote_ = 0;        // the quote of the doctype's literal the text is in
  bool inSubset_ = false;        // inside the doctype's "[...]"
};

using ::DecodeUtf8Char;

}  // namespace platform
