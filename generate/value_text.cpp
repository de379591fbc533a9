#include "generate/value_text.h"

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

bool AppendTextMarkup(std::string& out, std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* reference = nullptr;
    switch (text[i]) {
      case '&':
        reference = "&amp;";
        break;
      case '<':
        reference = "&lt;";
        break;
      case '>':
        reference = "&gt;";
        break;
      default:
        continue;
    }
    out.append(text, copied, i - copied);
    out += reference;
    copied = i + 1;
  }
  out.append(text, copied);
  return true;
}
