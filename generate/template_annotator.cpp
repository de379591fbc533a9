#include "generate/template_annotator.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "commands/command_text.h"
#include "commands/field.h"
#include "commands/master_command.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "generate/exception_status.h"
#include "generate/formatted_text.h"
#include "generate/template_comments.h"
#include "generate/vml_fallback_images.h"

using platform::DomNode;

namespace {

constexpr const char* kAnchorsPattern = "body/div//a[@class='msocomanchor']";
constexpr const char* kCommentTextsPattern = "body/div/div//div/p[@class='MsoCommentText']";
constexpr const char* kAnchorInSpanPattern = ".//span/a[@class='msocomanchor']";

DomNode Parent(const DomNode& node) { return node ? node.parentNode() : DomNode(); }

bool IsElement(const DomNode& node) { return node && node.nodeType() == platform::kDomElement; }

bool IsElementNamed(const DomNode& node, const std::string& lowercaseName) {
  return IsElement(node) && LowercaseCopy(node.nodeName()) == lowercaseName;
}

bool IsTextNode(const DomNode& node) {
  return node && (node.nodeType() == platform::kDomText || node.nodeType() == platform::kDomCData);
}

// Removed, created and copied nodes have no parent: only a node of the visible document reaches
// the document node.
bool IsAttached(const DomNode& node) {
  for (DomNode at = node; at; at = at.parentNode()) {
    if (at.nodeType() == platform::kDomDocument) return true;
  }
  return false;
}

DomNode NearestNamed(const DomNode& from, const std::string& lowercaseName) {
  for (DomNode at = from; at; at = at.parentNode()) {
    if (IsElementNamed(at, lowercaseName)) return at;
  }
  return {};
}

DomNode EnclosingCommentReference(const DomNode& anchor) {
  for (DomNode at = Parent(anchor); at; at = at.parentNode()) {
    if (IsCommentReference(at)) return at;
  }
  return {};
}

// An XPath string literal for any text (XPath has no escapes: quotes are joined with concat).
std::string XPathLiteral(const std::string& text) {
  if (text.find('\'') == std::string::npos) return "'" + text + "'";
  if (text.find('"') == std::string::npos) return "\"" + text + "\"";
  std::string joined = "concat(''";
  size_t start = 0;
  for (size_t quote = text.find('\''); quote != std::string::npos;
       start = quote + 1, quote = text.find('\'', start)) {
    joined += ", '" + text.substr(start, quote - start) + "', \"'\"";
  }
  return joined + ", '" + text.substr(start) + "')";
}

void RemoveIfPresent(const DomNode& holder, const DomNode& child) {
  if (child) holder.removeChild(child);
}

void AppendBreak(platform::DomDocument& document, const DomNode& holder) {
  holder.appendChild(document.createElement("br"));
}

// The ancestors of `node` from `top` down to the node's parent; empty when `top` is not above it.
std::vector<DomNode> PathDown(const DomNode& top, const DomNode& node) {
  std::vector<DomNode> path;
  for (DomNode at = Parent(node); at; at = at.parentNode()) {
    path.push_back(at);
    if (at == top) {
      std::reverse(path.begin(), path.end());
      return path;
    }
  }
  return {};
}

std::size_t DepthOf(DomNode node) {
  std::size_t depth = 0;
  for (; node; node = node.parentNode()) ++depth;
  return depth;
}

// Linear in the depth, however deep the page nests: the deeper node climbs to the level of the
// other, then both climb together until they meet (null when they are in different trees).
DomNode NearestCommonAncestor(const DomNode& a, const DomNode& b) {
  DomNode fromA = a;
  DomNode fromB = b;
  std::size_t depthA = DepthOf(a);
  std::size_t depthB = DepthOf(b);
  for (; depthA > depthB; --depthA) fromA = fromA.parentNode();
  for (; depthB > depthA; --depthB) fromB = fromB.parentNode();
  while (fromA && !(fromA == fromB)) {
    fromA = fromA.parentNode();
    fromB = fromB.parentNode();
  }
  return fromA;
}

// The child of `container` that is `node` or holds it.
DomNode ChildTowards(const DomNode& container, const DomNode& node) {
  for (DomNode at = node; at; at = at.parentNode()) {
    if (at.parentNode() == container) return at;
  }
  return {};
}

// The siblings from `first` to `last` inclusive; empty when `last` does not follow `first`.
std::vector<DomNode> SiblingRun(const DomNode& first, const DomNode& last) {
  std::vector<DomNode> run;
  for (DomNode at = first; at; at = at.nextSibling()) {
    run.push_back(at);
    if (at == last) return run;
  }
  return {};
}

// Drops the empty copies at the bottom of a chain of nested copies; null when all were empty.
DomNode Pruned(const std::vector<DomNode>& chain) {
  for (size_t level = chain.size(); level-- > 0;) {
    if (chain[level].hasChildNodes()) return chain[0];
    if (level > 0) chain[level - 1].removeChild(chain[level]);
  }
  return {};
}

// Cuts `top` (an ancestor of `mark`) after the mark: what follows the mark inside `top` moves into
// shallow copies of the elements on the way down, returned detached (null when nothing follows).
// Moving rather than copying keeps the identity of later marks in that content.
DomNode SplitAfter(const DomNode& top, const DomNode& mark) {
  const std::vector<DomNode> path = PathDown(top, mark);
  std::vector<DomNode> chain;
  for (size_t level = 0; level < path.size(); ++level) {
    chain.push_back(path[level].cloneNode(false));
    if (level > 0) chain[level - 1].appendChild(chain[level]);
  }
  for (size_t level = 0; level < path.size(); ++level) {
    const DomNode kept = level + 1 < path.size() ? path[level + 1] : mark;
    while (const DomNode next = kept.nextSibling()) chain[level].appendChild(next);
  }
  return Pruned(chain);
}

// As SplitAfter, for what precedes `mark` inside `top`.
DomNode SplitBefore(const DomNode& top, const DomNode& mark) {
  const std::vector<DomNode> path = PathDown(top, mark);
  std::vector<DomNode> chain;
  for (size_t level = 0; level < path.size(); ++level) {
    chain.push_back(path[level].cloneNode(false));
    const DomNode kept = level + 1 < path.size() ? path[level + 1] : mark;
    for (DomNode first = path[level].firstChild(); first && !(first == kept);
         first = path[level].firstChild()) {
      chain[level].appendChild(first);
    }
    if (level > 0) chain[level - 1].appendChild(chain[level]);
  }
  return Pruned(chain);
}

// A list item, or a DISPLAY element: moved whole, never cut by a region around it.
bool IsIndivisible(const DomNode& node) {
  if (IsElementNamed(node, "li")) return true;
  return IsElementNamed(node, "span") && node.hasAttribute(kCommandAttribute) &&
         CommandKindOf(node.getAttribute(kCommandAttribute)) == CommandKind::kDisplay;
}

// A list converted from Word carries the comment "list=true" first; its items move whole.
bool IsListContainer(const DomNode& container) {
  const DomNode marker = container.selectSingleNode(".//comment()");
  return marker && LowercaseCopy(marker.nodeValue()) == "list=true";
}

}  // namespace

TemplateAnnotator::TemplateAnnotator(std::shared_ptr<platform::DomDocument> document)
    : document_(std::move(document)) {}

bool TemplateAnnotator::annotateTemplate(QuireStatus& status) {
  status = QuireStatus();
  savedSpan_ = DomNode();
  tableMaster_ = false;
  count_ = 0;
  const bool runImageStep = annotateComments(status);
  if (runImageStep && document_) {
    try {
      WrapVmlFallbackImages(*document_);
    } catch (...) {
      if (status.IsOk()) status = CurrentExceptionStatus(":");
    }
  }
  anchors_ = platform::DomNodeList();
  commentTexts_ = platform::DomNodeList();
  savedSpan_ = DomNode();
  current_ = nullptr;
  return status.IsOk();
}

void TemplateAnnotator::markPlace(const DomNode& element) const {
  if (current_ != nullptr) MarkCommentPlace(element, *current_);
}

bool TemplateAnnotator::annotateComments(QuireStatus& status) {
  std::string label;
  try {
    const DomNode root = document_ ? document_->documentElement() : DomNode();
    if (!root) return true;
    anchors_ = root.selectNodes(kAnchorsPattern);
    commentTexts_ = root.selectNodes(kCommentTextsPattern);
    count_ = std::min(anchors_.length(), commentTexts_.length());
    // Read before any mark moves, so that the text near each mark is the author's.
    comments_ = ReadTemplateComments(anchors_, commentTexts_);
    for (size_t index = 0; index < count_; ++index) {
      current_ = &comments_.comments[index];
      label = anchors_.item(index).text();
      const std::string commandText = commandTextAt(index, label);
      const MarkerKind kind = ClassifyMarker(commandText, label);
      Mark mark;
      if (kind == MarkerKind::kMismatch || !locate(index, mark)) continue;
      switch (kind) {
        case MarkerKind::kOpen:
          annotateOpen(mark, commandText);
          break;
        case MarkerKind::kDisplay:
          if (!annotateDisplay(mark, commandText, status)) return false;
          break;
        case MarkerKind::kMaster:
        case MarkerKind::kRepeat:
        case MarkerKind::kLimit:
        case MarkerKind::kLink:
          annotateRegionStart(index, mark, commandText, kind);
          break;
        default:
          removeEndMark(mark, kind);
          break;
      }
      removeCommentEntry(commentTexts_.item(index));
    }
  } catch (...) {
    status = CurrentExceptionStatus(label + ":");
  }
  return true;
}

bool TemplateAnnotator::locate(size_t index, Mark& mark) const {
  mark.anchor = anchors_.item(index);
  mark.label = mark.anchor.text();
  if (!IsAttached(mark.anchor)) {
    // An OPEN that shared its place with further marks moved them into the saved span.
    if (!savedSpan_ || !IsAttached(savedSpan_)) return false;
    mark.anchor = savedSpan_.selectSingleNode(kAnchorInSpanPattern);
    if (!mark.anchor) return false;
  }
  mark.around = mark.anchor.parentNode();
  mark.reference = Parent(mark.around);
  mark.parent = Parent(mark.reference);
  if (mark.parent && !IsCommentReference(mark.reference)) {
    mark.reference = mark.parent;
    mark.parent = Parent(mark.reference);
  }
  return mark.reference && mark.parent;
}

std::string TemplateAnnotator::commandTextAt(size_t index, const std::string& label) const {
  return CommandTextOf(commentTexts_.item(index), label);
}

void TemplateAnnotator::annotateOpen(const Mark& mark, const std::string& commandText) {
  const DomNode& reference = mark.reference;
  if (mark.around.childNodes().length() > 3) {
    // Further marks share the place: keep them in a copy, without this OPEN's own mark.
    const DomNode copy = reference.cloneNode(true);
    mark.parent.insertBefore(copy, reference.nextSibling());
    if (const DomNode first = copy.selectSingleNode(kAnchorInSpanPattern)) {
      const DomNode around = first.parentNode();
      RemoveIfPresent(around, first.previousSibling());
      RemoveIfPresent(around, first.nextSibling());
      around.removeChild(first);
    }
    savedSpan_ = copy;
  }
  reference.removeAttribute("class");
  reference.setAttribute(kCommandAttribute, commandText);
  markPlace(reference);
  RemoveIfPresent(reference, reference.firstChild());
  const DomNode holder = reference.parentNode();
  if (holder && holder.childNodes().length() == 1) AppendBreak(*document_, holder);
}

bool TemplateAnnotator::annotateDisplay(const Mark& mark, const std::string& commandText,
                                        QuireStatus& status) {
  DomNode reference = mark.reference;
  DomNode parent = mark.parent;
  while (parent && !IsCommentReference(reference)) {
    reference = parent;
    parent = reference.parentNode();
  }
  if (!parent || !IsCommentReference(reference)) {
    status = QuireStatus(kProcessingError, host_message::kDisplayMarkOutsideReference, mark.label);
    return false;
  }
  const bool graphic = NamesGraphicModifier(commandText);

  // The placeholder follows the mark; inside a bookmark span it may follow the bookmark.
  DomNode next = reference.nextSibling();
  if (!next && parent.getAttribute("style").find("mso-bookmark:") != std::string::npos) {
    next = parent.nextSibling();
  }

  DomNode element;
  if (IsTextNode(next)) {
    const DomNode holder = next.parentNode();
    element = document_->createElement("span");
    holder.insertBefore(element, next);
    element.setText(next.text());
    if (next.text() == "<") {
      // Word split the placeholder into runs: gather them up to the run that closes it, a text
      // or a run of formatting (a span) whose text ends with ">".
      std::vector<DomNode> runs;
      bool closed = false;
      for (DomNode at = next; at && !closed; at = at.nextSibling()) {
        runs.push_back(at);
        closed = at != next && (IsTextNode(at) || IsElement(at)) && at.text().ends_with(">");
      }
      if (!closed) runs.resize(1);
      for (const DomNode& run : runs) element.appendChild(run);
    } else {
      holder.removeChild(next);
    }
  } else if (IsElement(next) && graphic &&
             (IsElementNamed(next, "v:shape") || IsElementNamed(next, "v:shapetype"))) {
    const DomNode holder = next.parentNode();
    element = reference.cloneNode(false);
    element.removeAttribute("class");
    holder.insertBefore(element, next);
    element.appendChild(next);
    if (IsElementNamed(next, "v:shapetype")) {
      if (const DomNode shape = element.nextSibling()) element.appendChild(shape);
    }
    // The picture's fallback image goes along with the shape.
    if (const DomNode image = element.nextSibling(); IsElementNamed(image, "img")) {
      element.appendChild(image);
    }
  } else if (IsElement(next)) {
    std::string placeholder = next.text();
    if (placeholder.starts_with("<") && !placeholder.ends_with(">")) {
      // The rest of the placeholder sits in the following runs, up to the one closing it.
      std::vector<DomNode> runs;
      std::string joined = placeholder;
      bool closed = false;
      for (DomNode at = next.nextSibling(); at && !closed; at = at.nextSibling()) {
        if (!IsElement(at) && !IsTextNode(at)) break;
        runs.push_back(at);
        joined += at.text();
        closed = joined.ends_with(">");
      }
      if (closed) {
        placeholder = joined;
        for (const DomNode& run : runs) next.parentNode().removeChild(run);
      }
    }
    if (!placeholder.empty()) {
      element = next.selectSingleNode(".//span[. = " + XPathLiteral(placeholder) + "]");
    }
    if (!element) element = next;
  } else {
    // Nothing to stand in for: the value goes where the mark was.
    element = document_->createElement("span");
    (next ? next.parentNode() : parent).insertBefore(element, next);
  }

  if (graphic) {
    const DomNode image = element.selectSingleNode(".//img");
    if (image && image.parentNode()) element = image.parentNode();
  }
  element.setAttribute(kCommandAttribute, commandText);
  markPlace(element);

  const bool blockLevel =
      IsAnchorLinkDisplay(commandText) || (!graphic && yieldsFormattedText(commandText));
  const DomNode before = mark.anchor.previousSibling();
  if (blockLevel && IsElement(before) && element.parentNode()) {
    const DomNode wrapper = before.cloneNode(false);
    wrapper.removeAttribute("style");
    element.parentNode().insertBefore(wrapper, element);
    wrapper.appendChild(element);
  }
  parent.removeChild(reference);
  return true;
}

void TemplateAnnotator::annotateRegionStart(size_t index, const Mark& mark,
                                            const std::string& commandText, MarkerKind kind) {
  if (kind == MarkerKind::kMaster && MasterCommand(commandText).hasTable()) tableMaster_ = true;
  DomNode parent = mark.parent;
  DomNode tableRow;
  if (kind == MarkerKind::kRepeat && tableMaster_) {
    const DomNode cell = NearestNamed(parent, "td");
    if (Parent(cell)) parent = tableRow = cell.parentNode();
  }

  const DomNode element = mark.reference.cloneNode(false);
  element.removeAttribute("class");
  element.setAttribute(kCommandAttribute, commandText);
  markPlace(element);
  encloseCommand(index, commandText, kind, element, mark.reference, tableRow);

  if (kind == MarkerKind::kRepeat && HasRepeatKindFlag(commandText)) {
    const DomNode before = mark.anchor.previousSibling();
    if (before && Parent(parent)) {
      const DomNode copy = before.cloneNode(false);
      if (IsElement(copy)) copy.removeAttribute("style");
      parent.parentNode().insertBefore(copy, parent);
    }
  }
  removeMark(mark, true);
  if (kind == MarkerKind::kRepeat) tableMaster_ = false;
}

void TemplateAnnotator::removeEndMark(const Mark& mark, MarkerKind kind) {
  // A paragraph left empty keeps its line only after the ends of repeated and limited regions.
  const bool breakEmptyParagraph = kind == MarkerKind::kEndRepeat ||
                                   kind == MarkerKind::kEndLimit || kind == MarkerKind::kEndLink;
  removeMark(mark, breakEmptyParagraph);
}

void TemplateAnnotator::encloseCommand(size_t startIndex, const std::string& commandText,
                                       MarkerKind startKind, const DomNode& commandElement,
                                       const DomNode& startMark, const DomNode& tableRow) {
  const MarkerKind endKind = EndKindOf(startKind);
  DomNode endMark;
  for (size_t j = startIndex + 1; j < count_; ++j) {
    const DomNode anchor = anchors_.item(j);
    const std::string label = anchor.text();
    const std::string text = commandTextAt(j, label);
    // Like commands nest without counting: an end closes the start with the identical text.
    if (ClassifyMarker(text, label) != endKind || text != commandText) continue;
    endMark = EnclosingCommentReference(anchor);
    break;
  }
  if (!endMark || !IsAttached(endMark) || !IsAttached(startMark)) return;
  if (tableRow && encloseRows(commandElement, tableRow, endMark)) return;
  encloseRange(commandElement, startMark, endMark);
}

bool TemplateAnnotator::encloseRows(const DomNode& commandElement, const DomNode& startRow,
                                    const DomNode& endMark) {
  const DomNode endRow = NearestNamed(endMark, "tr");
  if (!endRow || !(Parent(endRow) == Parent(startRow))) return false;
  const std::vector<DomNode> rows = SiblingRun(startRow, endRow);
  if (rows.empty()) return false;
  startRow.parentNode().insertBefore(commandElement, startRow);
  for (const DomNode& row : rows) commandElement.appendChild(row);
  return true;
}

void TemplateAnnotator::encloseRange(const DomNode& commandElement, const DomNode& startMark,
                                     const DomNode& endMark) {
  DomNode container = NearestCommonAncestor(startMark, endMark);
  if (!container || container == startMark || container == endMark) return;
  while (container && IsIndivisible(container)) container = container.parentNode();
  if (!IsElement(container)) return;

  const DomNode first = ChildTowards(container, startMark);
  const DomNode last = ChildTowards(container, endMark);
  const std::vector<DomNode> run = SiblingRun(first, last);
  if (run.empty()) return;
  if (run.size() == 1 || IsListContainer(container)) {
    container.insertBefore(commandElement, first);
    for (const DomNode& node : run) commandElement.appendChild(node);
    return;
  }
  const DomNode head = SplitAfter(first, startMark);
  const DomNode tail = SplitBefore(last, endMark);
  container.insertBefore(commandElement, first.nextSibling());
  if (head) commandElement.appendChild(head);
  for (size_t i = 1; i + 1 < run.size(); ++i) commandElement.appendChild(run[i]);
  if (tail) commandElement.appendChild(tail);
}

void TemplateAnnotator::removeMark(const Mark& mark, bool breakEmptyParagraph) {
  const DomNode around = mark.anchor.parentNode();
  if (!around) return;
  RemoveIfPresent(around, mark.anchor.previousSibling());
  RemoveIfPresent(around, mark.anchor.nextSibling());
  around.removeChild(mark.anchor);
  if (around.hasChildNodes()) return;
  const DomNode holder = mark.reference.parentNode();
  if (!holder) return;
  holder.removeChild(mark.reference);
  if (breakEmptyParagraph && !holder.hasChildNodes() && IsParagraphElement(holder)) {
    AppendBreak(*document_, holder);
  }
}

void TemplateAnnotator::removeCommentEntry(const DomNode& commentText) {
  const DomNode entry = Parent(Parent(commentText));
  const DomNode list = Parent(entry);
  if (!list) return;
  list.removeChild(entry);
  // The separator line is all that is left once the last comment is gone.
  if (list.childNodes().length() == 1) list.removeChild(list.firstChild());
}

bool TemplateAnnotator::yieldsFormattedText(const std::string& commandText) const {
  QuireStatus parsed;
  const Field field(commandText, parsed);
  return parsed.IsOk() && IsFormattedText(field.attribute());
}
