#include "generate/script_escaping.h"

namespace {

bool NeedsEscape(unsigned char byte) {
  switch (byte) {
    case '\\':
    case '\'':
    case '"':
    case '<':  // "</script>" would end an inline script block
    case '>':
    case '%':  // a browser percent-decodes a javascript: URL before running it
      return true;
    default:
      return byte < 0x20 || byte == 0x7F;
  }
}

}  // namespace

std::string EscapeScriptArgument(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size());
  for (const char character : text) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte == 0) continue;
    if (!NeedsEscape(byte)) {
      escaped += character;
      continue;
    }
    escaped += "\\x";
    escaped += kHex[byte >> 4];
    escaped += kHex[byte & 0x0F];
  }
  return escaped;
}
