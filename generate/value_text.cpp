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
  // What each byte is to the serialiser's text: 0 written as it is, 1 a control character (the
  // text needs nodes of its own), else the reference written for it.
  static constexpr auto kKinds = [] {
    std::array<unsigned char, 256> kinds{};
    for (int c = 0; c < 0x20; ++c) kinds[c] = 1;
    kinds['&'] = 2;
    kinds['<'] = 3;
    kinds['>'] = 4;
    return kinds;
  }();
  static constexpr std::string_view kReferences[] = {"", "", "&amp;", "&lt;", "&gt;"};
  if (text.empty()) return false;
  bool plain = true;
  unsigned char high = 0;
  for (const char c : text) {
    const unsigned char kind = kKinds[static_cast<unsigned char>(c)];
    if (kind == 1) return false;
    plain = plain && kind == 0;
    high |= static_cast<unsigned char>(c);
  }
  ascii = high < 0x80;
  if (plain) {
    out += text;
    return true;
  }
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char kind = kKinds[static_cast<unsigned char>(text[i])];
    if (kind == 0) continue;
    out.append(text, copied, i - copied);
    out += kReferences[kind];
    copied = i + 1;
  }
  out.append(text, copied);
  return true;
}
