// Strict XML 1.0 well-formedness checking of UTF-8 text, ahead of the lenient parser: the document
// layer refuses a load when this check fails, with the reason, line and position of the first
// fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/dom/dom_parse_error.h"

namespace platform {

// DomParseError::errorCode values, one per class of fault (the reason text says which fault).
inline constexpr int32_t kXmlErrorInvalidCharacter = -1001;  // bad UTF-8 or a forbidden character
inline constexpr int32_t kXmlErrorUndefinedEntity = -1002;   // "&nbsp;" without a declaration
inline constexpr int32_t kXmlErrorBadReference = -1003;      // raw "&", bad character reference
inline constexpr int32_t kXmlErrorBadAttribute = -1004;      // unquoted value, missing "=", "<"
inline constexpr int32_t kXmlErrorDuplicateAttribute = -1005;
inline constexpr int32_t kXmlErrorTagMismatch = -1006;  // wrong end tag, end tag with no start
inline constexpr int32_t kXmlErrorUnclosedElement = -1007;
inline constexpr int32_t kXmlErrorMisplacedContent = -1008;  // two roots, text outside the root
inline constexpr int32_t kXmlErrorBadComment = -1009;        // "--" inside a comment
inline constexpr int32_t kXmlErrorBadName = -1010;
inline constexpr int32_t kXmlErrorBadDeclaration = -1011;  // XML declaration or DOCTYPE
inline constexpr int32_t kXmlErrorUnterminated = -1012;    // comment, CDATA, PI, tag, value
inline constexpr int32_t kXmlErrorNestingTooDeep = -1013;  // past kMaxElementNesting

// Checks that `utf8` (no byte-order mark; a leading U+FEFF is skipped) is a well-formed XML 1.0
// document. Returns true when it is; otherwise fills errorCode, reason, line, linepos, filepos and
// srcText of `error` (url is left alone) and returns false. Pure function: safe on any thread.
// Namespace prefixes are not checked; general entities declared in an internal DTD subset are
// accepted by name (their replacement text is neither expanded nor checked).
bool CheckWellFormed(std::string_view utf8, DomParseError& error);

// Fills line, linepos (1-based, in characters), filepos (0-based, in characters) and srcText (the
// line holding `byteOffset`, without its line end; at most 200 characters around the position,
// bad bytes and controls shown as U+FFFD) of `error` for the byte at `byteOffset` of `text`
// (clamped to its end). LF, CR LF and a lone CR each end a line; filepos counts CR LF as two.
void LocateXmlError(std::string_view text, size_t byteOffset, DomParseError& error);

}  // namespace platform
