#include "generate/marker_kind.h"

#include <array>
#include <string_view>

#include "commands/command_text.h"
#include "foundation/text_helpers.h"

namespace {

struct CommentLabels {
  MarkerKind kind;
  std::string_view startLabel;
  std::string_view endLabel;  // empty: the command has no end mark
};

// In the order of CommandKind.
constexpr std::array<CommentLabels, 6> kLabels = {{
    {MarkerKind::kOpen, "[OPEN", ""},
    {MarkerKind::kDisplay, "[DISPLAY", "[ENDDISP"},
    {MarkerKind::kMaster, "[MASTER", "[ENDMAST"},
    {MarkerKind::kRepeat, "[REPEAT", "[ENDREP"},
    {MarkerKind::kLimit, "[LIMIT", "[ENDLIM"},
    {MarkerKind::kLink, "[LINK", "[ENDLINK"},
}};

}  // namespace

MarkerKind ClassifyMarker(const std::string& commandText, const std::string& label) {
  const CommentLabels& form = kLabels[static_cast<std::size_t>(CommandKindOf(commandText))];
  if (label.empty() || label.starts_with(form.startLabel)) return form.kind;
  if (!form.endLabel.empty() && label.starts_with(form.endLabel)) return EndKindOf(form.kind);
  return MarkerKind::kMismatch;
}

MarkerKind EndKindOf(MarkerKind start) {
  const int value = static_cast<int>(start);
  if (value < static_cast<int>(MarkerKind::kDisplay) ||
      value > static_cast<int>(MarkerKind::kLink)) {
    return MarkerKind::kMismatch;
  }
  return static_cast<MarkerKind>(value + 5);
}

std::string CommandTextOf(const platform::DomNode& paragraph, const std::string& label) {
  const platform::DomNodeList children = paragraph.childNodes();
  if (children.length() <= 2) {
    const platform::DomNode last = paragraph.lastChild();
    return last ? last.text() : std::string();
  }
  std::string text = paragraph.text();
  if (label.empty()) return text;
  if (text.starts_with(label)) return text.substr(label.size());
  if (text.ends_with(label)) text.resize(text.size() - label.size());
  return text;
}

bool IsCommentReference(const platform::DomNode& node) {
  return node && node.nodeType() == platform::kDomElement && node.hasAttribute("class") &&
         node.getAttribute("class") == "MsoCommentReference";
}

bool IsParagraphElement(const platform::DomNode& node) {
  if (!node || node.nodeType() != platform::kDomElement) return false;
  const std::string name = LowercaseCopy(node.tagName());
  if (name == "p") return true;
  if (name.size() < 2 || name[0] != 'h') return false;
  bool positive = false;
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
    positive = positive || name[i] != '0';
  }
  return positive;
}
