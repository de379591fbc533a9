// Reading a template's Word comments and keeping each command element's place in the template.
#include "generate/template_comments.h"

#include <algorithm>
#include <cctype>

#include "commands/command_text.h"
#include "foundation/text_helpers.h"

using platform::DomNode;

namespace {

constexpr const char* kAnchorsPattern = "body/div//a[@class='msocomanchor']";
constexpr const char* kCommentTextsPattern = "body/div/div//div/p[@class='MsoCommentText']";
constexpr std::size_t kNearTextLimit = 60;

bool IsElement(const DomNode& node) { return node && node.nodeType() == platform::kDomElement; }

// The block an author reads the mark in: a paragraph or heading, else a cell or list item.
bool IsTextBlock(const DomNode& node) {
  if (!IsElement(node)) return false;
  if (IsParagraphElement(node)) return true;
  const std::string name = LowercaseCopy(node.nodeName());
  return name == "td" || name == "th" || name == "li" || name == "body";
}

void EraseAll(std::string& text, const std::string& part) {
  if (part.empty()) return;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
    text.erase(at, part.size());
}

// Blanks, line ends and no-break spaces become one blank; none at the ends.
std::string Collapsed(const std::string& text) {
  std::string out;
  bool blank = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    bool space = std::isspace(c) != 0;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xA0) {
      space = true;
      ++i;
    }
    if (space) {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace

TemplateComments ReadTemplateComments(const platform::DomDocument& document) {
  const DomNode root = document.documentElement();
  if (!root) return {};
  return ReadTemplateComments(root.selectNodes(kAnchorsPattern),
                              root.selectNodes(kCommentTextsPattern));
}

TemplateComments ReadTemplateComments(const platform::DomNodeList& anchors,
                                      const platform::DomNodeList& commentTexts) {
  TemplateComments result;
  result.anchorCount = anchors.length();
  result.textCount = commentTexts.length();
  const std::size_t count = std::min(result.anchorCount, result.textCount);
  result.comments.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    TemplateComment comment;
    comment.order = i + 1;
    comment.label = anchors.item(i).text();
    comment.nearText = NearTextOf(anchors.item(i));
    comment.commandText = CommandTextOf(commentTexts.item(i), comment.label);
    comment.kind = ClassifyMarker(comment.commandText, comment.label);
    result.comments.push_back(std::move(comment));
  }
  return result;
}

TemplateComments ReadCommandElements(const platform::DomDocument& document) {
  TemplateComments result;
  result.fromElements = true;
  const DomNode root = document.documentElement();
  if (!root) return result;
  for (const DomNode& element : root.selectNodes(std::string("//*[@") + kCommandAttribute + "]")) {
    TemplateComment comment;
    comment.order = result.comments.size() + 1;
    comment.commandText = element.getAttribute(kCommandAttribute);
    comment.nearText = ShortenedText(Collapsed(element.text()), kNearTextLimit);
    comment.kind = ClassifyMarker(comment.commandText, "");
    result.comments.push_back(std::move(comment));
  }
  return result;
}

std::string NearTextOf(const DomNode& anchor) {
  DomNode block = anchor ? anchor.parentNode() : DomNode();
  while (block && !IsTextBlock(block)) block = block.parentNode();
  if (!block) return {};
  std::string text = block.text();
  // Labels of the marks in the block are Word's, not the author's text.
  for (const DomNode& mark : block.selectNodes(".//a[@class='msocomanchor']"))
    EraseAll(text, mark.text());
  return ShortenedText(Collapsed(text), kNearTextLimit);
}

std::string ShortenedText(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  // Not inside a multibyte character: back up over continuation bytes.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

std::string DescribePlace(const std::string& label, const std::string& nearText) {
  const std::string shown = label.empty() ? std::string("(no label)") : label;
  if (nearText.empty()) return shown;
  return shown + " near \"" + nearText + "\"";
}

void MarkCommentPlace(const DomNode& element, const TemplateComment& comment) {
  element.setAttribute(kCommentLabelAttribute, std::to_string(comment.order) + " " + comment.label);
  if (!comment.nearText.empty()) element.setAttribute(kCommentNearAttribute, comment.nearText);
}

CommentPlace CommentPlaceOf(const DomNode& element) {
  for (DomNode at = element; at; at = at.parentNode()) {
    if (!IsElement(at) || !at.hasAttribute(kCommentLabelAttribute)) continue;
    const std::string value = at.getAttribute(kCommentLabelAttribute);
    const std::size_t blank = value.find(' ');
    CommentPlace place;
    if (blank != std::string::npos) {
      for (std::size_t i = 0; i < blank; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(value[i]))) break;
        place.order = place.order * 10 + static_cast<std::size_t>(value[i] - '0');
      }
    }
    const std::string label = blank == std::string::npos ? value : value.substr(blank + 1);
    place.description = DescribePlace(label, at.getAttribute(kCommentNearAttribute));
    return place;
  }
  return {};
}

void ForgetCommentPlace(const DomNode& element) {
  element.removeAttribute(kCommentLabelAttribute);
  element.removeAttribute(kCommentNearAttribute);
}

void ForgetCommentPlaces(const DomNode& root) {
  if (!root) return;
  // A plain walk of the page: an XPath query over a page of many copies costs more than the
  // walk that made them.
  if (IsElement(root) && root.hasAttribute(kCommentLabelAttribute)) ForgetCommentPlace(root);
  for (const DomNode& element : root.descendantsWithAttribute(kCommentLabelAttribute)) {
    ForgetCommentPlace(element);
  }
}
