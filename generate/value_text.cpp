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

bool AppendTextMarkup(std::string& out, std::string_view text, bool& ascii) {
  // What the bytes are to the serialiser's text, gathered over the whole text in one
  // branch-free pass that the compiler turns into vector compares: a control character (the
  // text needs nodes of its own), a character written as a reference, a byte of a multi-byte
  // character.
  if (text.empty()) return false;
  unsigned char control = 0;
  unsigned char ampersand = 0;
  unsigned char angle = 0;
  unsigned char high = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    control |= static_cast<unsigned char>(byte < 0x20);
    ampersand |= static_cast<unsigned char>(byte == '&');
    angle |= static_cast<unsigned char>((byte == '<') | (byte == '>'));
    high |= static_cast<unsigned char>(byte >> 7);
  }
  if (control != 0) return false;
  ascii = high == 0;
  if ((ampersand | angle) == 0) {
    out += text;
    return true;
  }
  std::size_t copied = 0;
  if (angle == 0) {
    // Ampersands alone, the common case of prose: a search jumps from one to the next.
    for (std::size_t at = text.find('&'); at != std::string_view::npos;
         at = text.find('&', at + 1)) {
      out.append(text, copied, at - copied);
      out += "&amp;";
      copied = at + 1;
    }
    out.append(text, copied);
    return true;
  }
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
