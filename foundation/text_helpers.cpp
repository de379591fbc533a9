#include "foundation/text_helpers.h"

#include <utility>

namespace {

// Head gets text[0, cut), the text keeps what follows the separator at `cut`. Built in locals
// first so that passing the same string as text and head cannot corrupt the cut.
bool CutAt(std::string& text, std::string& head, std::string::size_type cut) {
  if (cut == std::string::npos) {
    std::string whole = std::move(text);
    text.clear();
    head = std::move(whole);
    return false;
  }
  std::string before = text.substr(0, cut);
  std::string after = text.substr(cut + 1);
  head = std::move(before);
  text = std::move(after);
  return true;
}

}  // namespace

bool SplitHead(std::string& text, std::string& head, char separator) {
  return CutAt(text, head, text.find(separator));
}

bool SplitTail(std::string& text, std::string& head, char separator) {
  return CutAt(text, head, text.rfind(separator));
}

std::string CX_Copy(const char* text) {
  return text == nullptr ? std::string() : std::string(text);
}

std::string CX_Copy(const std::string& text) { return text; }

void CX_ApplyUppercase(std::string& text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

void CX_ApplyLowercase(std::string& text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

std::string UppercaseCopy(const std::string& text) {
  std::string copy = CX_Copy(text);
  CX_ApplyUppercase(copy);
  return copy;
}

std::string LowercaseCopy(const std::string& text) {
  std::string copy = CX_Copy(text);
  CX_ApplyLowercase(copy);
  return copy;
}

std::string_view TrimmedBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}
