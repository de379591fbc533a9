#include "generate/link_texts.h"

#include <array>
#include <string_view>

#include "commands/modifier_flags.h"

namespace {

constexpr std::size_t kAnchorLength = 39;
constexpr std::string_view kNoName = "No Name";
constexpr std::string_view kNotNamed = "-Not-Named-";

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  const char upper = UpperAscii(c);
  if (upper >= 'A' && upper <= 'F') return upper - 'A' + 10;
  return -1;
}

// The byte coded by the two hexadecimal digits at text[at], or -1.
int HexByteAt(const std::string& text, std::size_t at) {
  if (at + 1 >= text.size()) return -1;
  const int high = HexValue(text[at]);
  const int low = HexValue(text[at + 1]);
  return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// The part of `text` before its first ":", upper-cased; empty without a ":".
std::string SchemeOf(const std::string& text) {
  const std::size_t colon = text.find(':');
  return colon == std::string::npos ? std::string()
                                    : Upper(std::string_view(text).substr(0, colon));
}

bool IsKnownScheme(const std::string& upperScheme) {
  static constexpr std::array<std::string_view, 5> kSchemes = {"HTTP", "HTTPS", "FILE", "FTP",
                                                               "MAILTO"};
  for (std::string_view scheme : kSchemes) {
    if (upperScheme == scheme) return true;
  }
  return false;
}

}  // namespace

std::string AnchorNameOf(const std::string& text) {
  std::string name;
  bool started = false;
  for (char c : text) {
    started = started || IsLetter(c);
    if (started && (IsLetter(c) || IsDigit(c))) name += c;
  }
  if (name.size() > kAnchorLength) name.erase(0, name.size() - kAnchorLength);
  std::size_t first = 0;
  while (first < name.size() && !IsLetter(name[first])) ++first;
  return name.substr(first);
}

std::string DecodeReference(const std::string& text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    int code = -1;
    std::size_t length = 0;
    if (text[i] == '%') {
      code = HexByteAt(text, i + 1);
      length = 3;
    } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
      code = HexByteAt(text, i + 2);
      length = 4;
    }
    if (code >= 1) {
      decoded += static_cast<char>(code);
      i += length - 1;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::string NormaliseUrl(const std::string& text) {
  if (IsKnownScheme(SchemeOf(text))) return text;
  const std::size_t dot = text.rfind('.');
  const std::string extension =
      dot == std::string::npos ? std::string() : Upper(text.substr(dot + 1));
  if (extension == "HTML" || extension == "HTM") return "file://" + text;
  if (!extension.empty() && text.find('@') != std::string::npos) return "mailto:" + text;
  return "file://" + text;
}

bool IsUrlValue(const std::string& text) { return IsKnownScheme(SchemeOf(text)); }

std::string ShownUrlText(const std::string& url) {
  const std::size_t colon = url.find(':');
  std::string rest = colon == std::string::npos ? url : url.substr(colon + 1);
  std::string shown;
  if (SchemeOf(url) == "MAILTO") {
    shown = url.substr(0, url.find('@'));  // the scheme stays: "mailto:ann"
  } else {
    if (rest.starts_with("//")) rest.erase(0, 2);
    const std::size_t separator = rest.find_last_of("/\\");
    shown = separator == std::string::npos ? rest : rest.substr(separator + 1);
    const std::size_t dot = shown.rfind('.');
    if (dot != std::string::npos) shown.erase(dot);
  }
  return shown.empty() ? std::string(kNoName) : shown;
}

std::string ShownValueText(std::string valueText, const std::string& linkText, uint8_t flags) {
  if (IsUrlValue(valueText)) return ShownUrlText(valueText);
  if ((flags & modifier_flags::kShowsReference) == 0) return valueText;
  const std::string reference = DecodeReference(linkText);
  const std::size_t first = reference.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string(kNotNamed);
  return reference.substr(first, reference.find_last_not_of(" \t\r\n") + 1 - first);
}

bool IsScriptUrl(const std::string& url) {
  std::string squeezed;
  for (char c : url) {
    if (static_cast<unsigned char>(c) <= ' ') continue;
    squeezed += UpperAscii(c);
    if (squeezed.size() > 11) break;
  }
  return squeezed.starts_with("JAVASCRIPT:") || squeezed.starts_with("VBSCRIPT:");
}
