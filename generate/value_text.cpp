#include "generate/value_text.h"

#include <array>
#include <vector>

#include "platform/dom/dom_document.h"

namespace {

using platform::DomNode;

// The lines of a text broken at "\r\n", "\n" or "\r".
std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

}  // namespace

void WriteText(const DomNode& element, const std::string& text) {
  if (text.find_first_of("\r\n") == std::string::npos) {
    element.setText(text);
    return;
  }
  const auto document = element.ownerDocument();
  element.setText("");
  const std::vector<std::string> lines = LinesOf(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) element.appendChild(document->createElement("br"));
    const DomNode span = document->createElement("span");
    span.setText(lines[i]);
    element.appendChild(span);
  }
}

bool AppendTextMarkup(std::string& out, std::string_view text, bool& ascii) {
  // What each byte is to the serialiser's text, as flags gathered over the whole text in one
  // branch-free pass: a control character (the text needs nodes of its own), a character
  // written as a reference, a byte of a multi-byte character.
  constexpr unsigned char kControl = 1;
  constexpr unsigned char kReference = 2;
  constexpr unsigned char kHigh = 4;
  static constexpr auto kFlags = [] {
    std::array<unsigned char, 256> flags{};
    for (int c = 0; c < 0x20; ++c) flags[c] = kControl;
    flags['&'] = flags['<'] = flags['>'] = kReference;
    for (int c = 0x80; c < 0x100; ++c) flags[c] = kHigh;
    return flags;
  }();
  if (text.empty()) return false;
  unsigned char found = 0;
  for (const char c : text) found |= kFlags[static_cast<unsigned char>(c)];
  if ((found & kControl) != 0) return false;
  ascii = (found & kHigh) == 0;
  if ((found & kReference) == 0) {
    out += text;
    return true;
  }
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const std::string_view reference = c == '&'   ? "&amp;"
                                       : c == '<' ? "&lt;"
                                       : c == '>' ? "&gt;"
                                                  : "";
    if (reference.empty()) continue;
    out.append(text, copied, i - copied);
    out += reference;
    copied = i + 1;
  }
  out.append(text, copied);
  return true;
}
