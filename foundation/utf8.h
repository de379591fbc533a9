// Reading UTF-8, the encoding of every text in the program, one character at a time.
#pragma once

#include <cstddef>
#include <string_view>

// Decodes the UTF-8 sequence starting at text[at] into `codePoint` and returns its length (1 to 4),
// or 0 when the bytes there are not a valid shortest-form sequence (or `at` is at the end).
inline size_t DecodeUtf8Char(std::string_view text, size_t at, char32_t& codePoint) {
  if (at >= text.size()) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data()) + at;
  const size_t left = text.size() - at;
  const unsigned char b0 = s[0];
  if (b0 < 0x80) {
    codePoint = b0;
    return 1;
  }
  auto continuation = [&](size_t i) { return i < left && (s[i] & 0xC0) == 0x80; };
  if (b0 < 0xC2) return 0;  // a stray continuation byte or an overlong two-byte form
  if (b0 < 0xE0) {
    if (!continuation(1)) return 0;
    codePoint = (char32_t{b0} & 0x1F) << 6 | (s[1] & 0x3F);
    return 2;
  }
  if (b0 < 0xF0) {
    if (!continuation(1) || !continuation(2)) return 0;
    const char32_t c = (char32_t{b0} & 0x0F) << 12 | (char32_t{s[1]} & 0x3F) << 6 | (s[2] & 0x3F);
    if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    codePoint = c;
    return 3;
  }
  if (b0 < 0xF5) {
    if (!continuation(1) || !continuation(2) || !continuation(3)) return 0;
    const char32_t c = (char32_t{b0} & 0x07) << 18 | (char32_t{s[1]} & 0x3F) << 12 |
                       (char32_t{s[2]} & 0x3F) << 6 | (s[3] & 0x3F);
    if (c < 0x10000 || c > 0x10FFFF) return 0;
    codePoint = c;
    return 4;
  }
  return 0;
}
