#include "foundation/escaping.h"

#include <string_view>

namespace {

constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

bool IsAsciiAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The white space of the "C" locale; fixed here so that the result does not follow the locale.
bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

void AppendHexEscape(std::string& out, char c) {
  const auto byte = static_cast<unsigned char>(c);
  out += '\\';
  out += 'x';
  out += kUpperHexDigits[byte >> 4];
  out += kUpperHexDigits[byte & 0x0F];
}

template <class NeedsEscape>
std::string EscapeWhere(std::string_view text, NeedsEscape needs_escape) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (needs_escape(c)) {
      AppendHexEscape(out, c);
    } else {
      out += c;
    }
  }
  return out;
}

std::string EscapeNonAlphanumericView(std::string_view text) {
  return EscapeWhere(text, [](char c) { return !IsAsciiAlphanumeric(c); });
}

std::string EscapeBlanksView(std::string_view text) {
  return EscapeWhere(text, [](char c) { return IsAsciiSpace(c) || c == '\\'; });
}

std::string UnescapeView(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i++];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i == n) break;  // a lone backslash at the end escapes nothing
    const char next = text[i];
    // "\x" is an escape only with two hexadecimal digits after it, both inside the text.
    if (next == 'x' && i + 2 < n && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2])) {
      out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
      i += 3;
    } else if (IsDecimalDigit(next)) {
      unsigned value = 0;
      for (int digits = 0; digits < 3 && i < n && IsDecimalDigit(text[i]); ++digits, ++i) {
        value = value * 8 + static_cast<unsigned>(text[i] - '0');
      }
      out += static_cast<char>(value & 0xFF);
    } else {
      out += next;
      ++i;
    }
  }
  return out;
}

std::string_view ViewOf(const char* text) {
  return text == nullptr ? std::string_view() : std::string_view(text);
}

}  // namespace

std::string EscapeNonAlphanumeric(const char* text) {
  return EscapeNonAlphanumericView(ViewOf(text));
}

std::string EscapeNonAlphanumeric(const std::string& text) {
  return EscapeNonAlphanumericView(text);
}

std::string EscapeBlanks(const char* text) { return EscapeBlanksView(ViewOf(text)); }

std::string EscapeBlanks(const std::string& text) { return EscapeBlanksView(text); }

std::string Unescape(const char* text) { return UnescapeView(ViewOf(text)); }

std::string Unescape(const std::string& text) { return UnescapeView(text); }

int HexDigitValue(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  return 0;
}

std::string ShellWord(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}
