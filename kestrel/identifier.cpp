// Writing and reading identifier texts.
#include "kestrel/identifier.h"

#include <cctype>
#include <cstdio>

namespace kestrel {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<std::string> Split(const std::string& text, char separator, size_t maxParts) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (parts.size() + 1 < maxParts) {
    const size_t found = text.find(separator, start);
    if (found == std::string::npos) break;
    parts.push_back(text.substr(start, found - start));
    start = found + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string DecodeTimes(std::string text, int times) {
  for (int i = 0; i < times; ++i) text = DecodeEscapes(text);
  return text;
}

}  // namespace

std::string EscapeIdentifierPart(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isspace(byte) || c == '\\' || c == ':' || c == ',' || c == '=') {
      char buffer[5];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
      escaped += buffer;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string DecodeEscapes(const std::string& text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
      const int high = HexValue(text[i + 2]);
      const int low = HexValue(text[i + 3]);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
    }
    decoded += text[i];
  }
  return decoded;
}

std::optional<ParsedIdentifier> ParseIdentifier(const std::string& text, int decodeTimes) {
  const std::vector<std::string> parts = Split(text, ':', 3);
  if (parts.size() != 3) return std::nullopt;
  ParsedIdentifier parsed;
  parsed.dataSource = DecodeTimes(parts[0], decodeTimes);
  parsed.type = DecodeTimes(parts[1], decodeTimes);
  for (const std::string& parameter : Split(parts[2], ',', std::string::npos)) {
    const size_t equals = parameter.find('=');
    if (equals == std::string::npos) return std::nullopt;
    parsed.parameters.emplace_back(DecodeTimes(parameter.substr(0, equals), decodeTimes),
                                   DecodeTimes(parameter.substr(equals + 1), decodeTimes));
  }
  return parsed;
}

}  // namespace kestrel
