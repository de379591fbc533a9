// Encoding and decoding of query arguments.
#include "domains/query_argument_encoding.h"

namespace {

bool IsWhiteSpace(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

}  // namespace

std::string EncodeQueryArgument(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsWhiteSpace(byte) || c == '\\') {
      encoded += "\\x";
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    } else {
      encoded += c;
    }
  }
  return encoded;
}

std::string DecodeQueryArgument(const std::string& text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      decoded += text[i];
      continue;
    }
    const char next = text[i + 1];
    const bool twoMore = i + 3 < text.size();
    if (next == 'x' && twoMore && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
      decoded += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else if (twoMore && IsOctalDigit(next) && IsOctalDigit(text[i + 2]) &&
               IsOctalDigit(text[i + 3])) {
      decoded +=
          static_cast<char>((next - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
      i += 3;
    } else {
      // Any other escaped character stands for itself.
      decoded += next;
      i += 1;
    }
  }
  return decoded;
}
