// The values that DISPLAY commands write into the page: plain texts and lines.
#include <string>
#include <vector>

#include "commands/field.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/web_page_generator.h"
#include "platform/log.h"

namespace {

using platform::DomNode;

constexpr unsigned kValueFailed = 40090;
constexpr uint32_t kNothingFound = 54;

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

// One line: the element's text. Several: a span per line with a br between them, all inside the
// element, so the paragraph (or body) around it keeps its structure.
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

}  // namespace

bool WebPageGenerator::writeDisplayValue(QuireBindingList& context, const DomNode& element,
                                         const Field& field, const RequestTexts& /*request*/) {
  QuireStatus status;
  std::string linkText;
  QuireObject reached;
  const QuireAttributeValue value = field.evaluate(status, context, 0, linkText, reached);
  std::string shown;
  if (value.isUndefined() && !status.IsOk()) {
    if (status.Kind() != kNothingFound) {
      QuireStatus printStatus;
      platform::Log(
          HostString(kValueFailed) + " " + field.print(printStatus) + " (" + status.Text() + ")",
          platform::kLogError);
      setStatus(status);
      return false;
    }
  } else {
    shown = value.displayText();
  }
  WriteText(element, shown);
  return true;
}

void WebPageGenerator::rewriteTemplateHyperlinks(const DomNode& /*body*/,
                                                 const RequestTexts& /*request*/) {}
