// The identifier text of an artifact: data source ":" table ":" then each key column "=" value
// joined by ",". In its parts, white space, backslash, ":", "," and "=" are written as "\x" and
// two upper-case hex digits.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {

std::string EscapeIdentifierPart(const std::string& text);

// Replaces each "\xHH" (either case of hex digit) by its byte; other text stays.
std::string DecodeEscapes(const std::string& text);

struct ParsedIdentifier {
  std::string dataSource;
  std::string type;
  std::vector<std::pair<std::string, std::string>> parameters;
};

// Splits an identifier or locator text at its structural ":", "," and "=" and decodes each part
// `decodeTimes` times (the ancestors query escapes a whole identifier once more). Nullopt when
// the text has not three ":"-separated parts or a parameter lacks its "=".
std::optional<ParsedIdentifier> ParseIdentifier(const std::string& text, int decodeTimes);

}  // namespace kestrel
