#include "generate/page_formatting.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_text.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "generate/marker_kind.h"
#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"

using platform::DomNode;

namespace {

const std::string kCommandSpan = std::string("span[@") + kCommandAttribute + "]";
constexpr const char* kListPattern = "ol[@start >= 1 $and$ @type]";
constexpr double kDefaultTabInterval = 0.5;

bool IsElement(const DomNode& node) { return node.nodeType() == platform::kDomElement; }

bool HasTag(const DomNode& node, std::string_view tag) {
  return IsElement(node) && LowercaseCopy(node.tagName()) == tag;
}

bool IsCommand(const DomNode& node) {
  return IsElement(node) && node.hasAttribute(kCommandAttribute);
}

bool IsDisplayCommand(const DomNode& node) {
  return CommandKindOf(node.getAttribute(kCommandAttribute)) == CommandKind::kDisplay;
}

// Where `property` starts a declaration of `style` (at the start, after ";" or after a blank),
// so that "margin-left:" is not found inside Word's "mso-para-margin-left:".
size_t FindDeclaration(std::string_view style, std::string_view property) {
  size_t from = 0;
  while (from < style.size()) {
    const size_t at = style.find(property, from);
    if (at == std::string_view::npos) return at;
    if (at == 0 || style[at - 1] == ';' ||
        std::string_view(" \t\r\n").find(style[at - 1]) != std::string_view::npos)
      return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

size_t DeclarationEnd(std::string_view style, size_t start) {
  const size_t semicolon = style.find(';', start);
  return semicolon == std::string_view::npos ? style.size() : semicolon;
}

// A CSS length in inches: a decimal number with "in", "pt", "pc", "cm", "mm", "px" or no unit
// (read as inches). False for anything else.
bool ParseInches(std::string_view text, double& inches) {
  text = TrimmedBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || !std::isfinite(number)) return false;
  const std::string unit =
      LowercaseCopy(std::string(TrimmedBlanks(text.substr(end - text.data()))));
  double perInch = 0;
  if (unit.empty() || unit == "in") {
    perInch = 1;
  } else if (unit == "pt") {
    perInch = 72;
  } else if (unit == "pc") {
    perInch = 6;
  } else if (unit == "cm") {
    perInch = 2.54;
  } else if (unit == "mm") {
    perInch = 25.4;
  } else if (unit == "px") {
    perInch = 96;
  } else {
    return false;
  }
  inches = number / perInch;
  return true;
}

// The value of the declaration `property` ("name:") of `style`; false when there is none.
bool DeclarationValue(std::string_view style, std::string_view property, std::string_view& value) {
  const size_t at = FindDeclaration(style, property);
  if (at == std::string_view::npos) return false;
  const size_t start = at + property.size();
  value = style.substr(start, DeclarationEnd(style, start) - start);
  return true;
}

std::string InchesDeclaration(const char* property, double inches) {
  const int length = std::snprintf(nullptr, 0, "%s:%.2fin", property, inches);
  if (length <= 0) return std::string(property) + ":0.00in";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%s:%.2fin", property, inches);
  text.resize(static_cast<size_t>(length));
  return text;
}

void ReplaceAll(std::string& text, std::string_view what, std::string_view with) {
  // One pass from left to right: text made by a replacement is never searched again.
  if (what.empty()) return;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t at = text.find(what, from);
    if (at == std::string::npos) return;
    text.replace(at, what.size(), with);
    from = at + with.size();
  }
}

std::shared_ptr<platform::DomDocument> PageDocument(const DomNode& node) {
  std::shared_ptr<platform::DomDocument> document = node.ownerDocument();
  if (!document) throw platform::ComError(platform::kE_FAIL, "The page document has been released");
  return document;
}

// Puts a text node into a new span carrying its text, in its place; returns the span.
DomNode WrapInSpan(const DomNode& text) {
  const DomNode span = PageDocument(text)->createElement("span");
  span.setText(text.nodeValue());
  text.parentNode().replaceChild(span, text);
  return span;
}

bool IsTextLike(const DomNode& node) {
  const int32_t type = node.nodeType();
  return type == platform::kDomText || type == platform::kDomCData;
}

using ElementMark = void (*)(const DomNode&);

// The row and each of its cells: a span standing between rows would be moved out of the table
// by the browser, so a row is hidden on its own elements.
void MarkRow(const DomNode& row, ElementMark mark) {
  mark(row);
  for (const DomNode& child : row.childNodes()) {
    if (HasTag(child, "td") || HasTag(child, "th")) mark(child);
  }
}

void MarkRegionElements(const DomNode& element, ElementMark mark) {
  if (!IsElement(element)) return;
  // One pass over the region's elements, the element itself included: a plain element that
  // holds only its text has no other place where the marker could go. A text beside other nodes
  // cannot carry a style until it has an element of its own, a span, which takes the mark; a
  // text alone in its element, or in a script or style element, leaves the mark to that element.
  // Marks change styles only, so the elements can be judged as they come.
  for (const DomNode& node : element.descendantsOfType(platform::kDomElement, true)) {
    const std::string name = node.nodeName();
    const std::string lower = LowercaseCopy(name);
    const bool code = lower == "script" || lower == "style";  // text that is code
    const DomNode first = node.firstChild();
    const bool alone = first && first == node.lastChild();
    bool holdsText = false;  // what "*[text() != '']" selects once the loose texts have spans
    for (DomNode child = first; child;) {
      const DomNode next = child.nextSibling();
      if (IsTextLike(child) && !child.nodeValue().empty()) {
        if (alone || code) {
          holdsText = true;
        } else {
          mark(WrapInSpan(child));
        }
      }
      child = next;
    }
    // A command span ("span[@QuireQuery]", the name as written) is marked whatever it holds.
    if ((name == "span" && node.hasAttribute(kCommandAttribute)) || holdsText) mark(node);
    if (name == "tr") MarkRow(node, mark);
  }
}

// Whether a list shows: neither it, its ancestors up to `outer`, nor all of its items carry the
// generation marker.
bool ListShows(const DomNode& list, const DomNode& outer) {
  DomNode node = list;
  while (!node.isNull()) {
    if (IsHiddenByGeneration(node)) return false;
    if (node == outer) break;
    node = node.parentNode();
  }
  bool anyItem = false;
  for (const DomNode& child : list.childNodes()) {
    if (!HasTag(child, "li")) continue;
    if (!IsHiddenByGeneration(child)) return true;
    anyItem = true;
  }
  return !anyItem;
}

int ListStart(const DomNode& list) {
  const std::string start = list.getAttribute("start");
  const std::string_view text = TrimmedBlanks(start);
  double number = 0;
  const std::errc error = std::from_chars(text.data(), text.data() + text.size(), number).ec;
  if (error != std::errc() || !(number >= 1)) return 1;
  return number >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(number);
}

// The picture of a Word date or time field comment: after the keyword, the text between the
// first ";" (the end of the "&quot;" that opens the picture) and the next "&quot".
bool FieldPicture(const std::string& comment, std::string& picture) {
  const size_t date = comment.find("DATE");
  const size_t time = comment.find("TIME");
  const size_t keyword = std::min(date, time);
  if (keyword == std::string::npos) return false;
  const size_t semicolon = comment.find(';', keyword + 4);
  if (semicolon == std::string::npos) return false;
  const size_t close = comment.find("&quot", semicolon + 1);
  if (close == std::string::npos) return false;
  picture = comment.substr(semicolon + 1, close - semicolon - 1);
  return true;
}

// strftime into a buffer that grows as needed, within a bound. False when the text does not fit
// the bound.
bool FormatTime(const std::string& format, const std::tm& when, std::string& text) {
  // A leading character keeps an empty expansion (an empty "%p") apart from a short buffer.
  const std::string guarded = "|" + format;
  const size_t bound = 64 * guarded.size() + 1024;
  for (size_t size = 256; size <= bound; size *= 2) {
    std::string buffer(size, '\0');
    const size_t written = std::strftime(buffer.data(), buffer.size(), guarded.c_str(), &when);
    if (written > 0) {
      text = buffer.substr(1, written - 1);
      return true;
    }
  }
  return false;
}

bool LocalNow(std::tm& now) {
  const std::time_t seconds = std::time(nullptr);
#if defined(_WIN32)
  return localtime_s(&now, &seconds) == 0;
#else
  return localtime_r(&seconds, &now) != nullptr;
#endif
}

// Writes the field's text where Word shows the field's result: the node after the comment, else
// the comment's parent. A comment standing directly in `body` gets a text node after it instead,
// since the body's text would be the whole page.
void WriteFieldResult(const DomNode& comment, const std::string& result, const DomNode& body) {
  const DomNode next = comment.nextSibling();
  if (!next.isNull() && IsTextLike(next)) {
    next.setNodeValue(result);
  } else if (!next.isNull() && IsElement(next)) {
    next.setText(result);
  } else if (comment.parentNode() == body) {
    body.insertBefore(PageDocument(comment)->createTextNode(result), next);
  } else {
    comment.parentNode().setText(result);
  }
}

// What "./td[@style]" selects, without a query: it runs for every row of every copy.
std::vector<DomNode> StyledCells(const DomNode& row) {
  std::vector<DomNode> cells;
  for (DomNode child = row.firstChild(); child; child = child.nextSibling()) {
    if (IsElement(child) && child.nodeName() == "td" && child.hasAttribute("style")) {
      cells.push_back(child);
    }
  }
  return cells;
}

}  // namespace

void HideElement(const DomNode& element) {
  if (!IsElement(element)) return;
  const std::string style = element.getAttribute("style");
  if (style.find(kWordHiddenStyle) != std::string::npos) return;
  element.setAttribute("style", std::string(kGenerationHiddenStyle) + ";" + style);
}

void ShowElement(const DomNode& element) {
  if (!IsElement(element)) return;
  std::string style = element.getAttribute("style");
  if (style.find(kGenerationHiddenStyle) == std::string::npos) return;
  ReplaceAll(style, std::string(kGenerationHiddenStyle) + ";", "");
  ReplaceAll(style, kGenerationHiddenStyle, "");
  // An element that had no style before generation hid it gets none back.
  if (style.empty()) {
    element.removeAttribute("style");
  } else {
    element.setAttribute("style", style);
  }
}

bool IsHiddenByGeneration(const DomNode& element) {
  return element.getAttribute("style").find(kGenerationHiddenStyle) != std::string::npos;
}

void HideRegion(const DomNode& element) { MarkRegionElements(element, HideElement); }

void ShowRegion(const DomNode& element) { MarkRegionElements(element, ShowElement); }

void MarkRegion(const DomNode& element, bool hide) {
  if (!IsElement(element)) return;
  const ElementMark mark = hide ? HideElement : ShowElement;
  // Depth-first in document order, without recursion: command elements nest as deep as the page.
  std::vector<DomNode> pending{element};
  while (!pending.empty()) {
    const DomNode current = pending.back();
    pending.pop_back();
    if (HasTag(current, "tr")) MarkRow(current, mark);
    std::vector<DomNode> walkNext;
    for (const DomNode& child : current.childNodes()) {
      if (IsTextLike(child)) {
        if (hide && !child.nodeValue().empty()) HideElement(WrapInSpan(child));
      } else if (IsCommand(child)) {
        if (IsDisplayCommand(child)) {
          mark(child);
        } else {
          walkNext.push_back(child);
        }
      } else if (IsElement(child)) {
        if (hide) {
          HideRegion(child);
        } else {
          ShowRegion(child);
        }
      }
    }
    pending.insert(pending.end(), walkNext.rbegin(), walkNext.rend());
  }
}

std::vector<std::string> RowBottomBorders(const DomNode& templateRow) {
  std::vector<std::string> borders;
  const DomNode row =
      HasTag(templateRow, "tr") ? templateRow : templateRow.selectSingleNode("./tr");
  if (row.isNull()) return borders;
  for (const DomNode& cell : row.selectNodes("./td[@style]")) {
    const std::string style = cell.getAttribute("style");
    const size_t at = FindDeclaration(style, "border-bottom");
    borders.push_back(at == std::string::npos ? std::string()
                                              : style.substr(at, DeclarationEnd(style, at) - at));
  }
  return borders;
}

bool ApplyRowBottomBorders(const DomNode& table, const std::vector<std::string>& borders) {
  bool borderless = false;
  for (const DomNode& row : table.descendantsNamed("tr")) {
    if (ApplyBottomBordersToRow(row, borders)) borderless = true;
  }
  return borderless;
}

bool ApplyBottomBordersToRow(const DomNode& row, const std::vector<std::string>& borders) {
  bool borderless = false;
  size_t position = 0;
  for (const DomNode& cell : StyledCells(row)) {
    const size_t index = position++;
    std::string style = cell.getAttribute("style");
    if (FindDeclaration(style, "border:none") != std::string::npos) borderless = true;
    const size_t at = FindDeclaration(style, "border-bottom");
    // Cells beyond the template row's count keep their own border.
    if (at == std::string::npos || index >= borders.size()) continue;
    size_t end = DeclarationEnd(style, at);
    if (borders[index].empty() && end < style.size()) ++end;  // drop the ";" with it
    style.replace(at, end - at, borders[index]);
    cell.setAttribute("style", style);
  }
  return borderless;
}

void MarkRowBorderless(const DomNode& row) {
  const platform::DomNodeList rows =
      HasTag(row, "tr") ? row.selectNodes("self::tr") : row.selectNodes("./tr");
  for (const DomNode& each : rows) {
    for (const DomNode& cell : StyledCells(each)) {
      const std::string style = cell.getAttribute("style");
      if (style.rfind("border:none;", 0) == 0) continue;
      cell.setAttribute("style", "border:none;" + style);
    }
  }
}

void RenumberLists(const DomNode& body) {
  // Most pages have no numbered list right inside a copy: a walk finds that out without the
  // queries below, which look at every command span of the page.
  bool candidate = false;
  for (const DomNode& list : body.descendantsWithAttribute("start", "ol")) {
    const DomNode span = list.parentNode();
    const DomNode outer = span ? span.parentNode() : DomNode();
    if (HasTag(span, "span") && span.hasAttribute(kCommandAttribute) && HasTag(outer, "span") &&
        outer.hasAttribute(kCommandAttribute)) {
      candidate = true;
      break;
    }
  }
  if (!candidate) return;
  const std::string nested = ".//" + kCommandSpan + "/" + kCommandSpan + "/" + kListPattern;
  DomNode first;
  for (const DomNode& list : body.selectNodes(nested)) {
    if (ListShows(list, list.parentNode())) {
      first = list;
      break;
    }
  }
  if (first.isNull()) return;
  int running = ListStart(first);
  const std::string inSibling =
      std::string("./") + kListPattern + " | .//" + kCommandSpan + "/" + kListPattern;
  for (DomNode sibling = first.parentNode().nextSibling(); !sibling.isNull();
       sibling = sibling.nextSibling()) {
    if (!IsElement(sibling)) continue;
    for (const DomNode& list : sibling.selectNodes(inSibling)) {
      if (!ListShows(list, sibling)) continue;
      if (running < INT_MAX) ++running;
      list.setAttribute("start", std::to_string(running));
    }
  }
}

std::string DatePictureFormat(const std::string& picture, int month, int day) {
  std::string format = picture;
  ReplaceAll(format, "%", "%%");
  static constexpr std::string_view kCodes[][2] = {
      {"MMMM", "%B"}, {"MMM", "%b"},   {"MM", "%m"}, {"yyyy", "%Y"}, {"yy", "%y"}, {"dddd", "%A"},
      {"dd", "%d"},   {"am/pm", "%p"}, {"h", "%I"},  {"HH", "%H"},   {"mm", "%M"}, {"ss", "%S"},
  };
  for (const auto& code : kCodes) ReplaceAll(format, code[0], code[1]);
  const auto replaceSingle = [&format](char letter, int number) {
    const size_t at = format.find(letter);
    if (at == std::string::npos || (at > 0 && format[at - 1] == '%')) return;
    format.replace(at, 1, std::to_string(number));
  };
  replaceSingle('M', month);
  replaceSingle('d', day);
  return format;
}

bool HasDateFieldsOrNumberedLists(const DomNode& region) {
  if (region.descendantsWithAttribute("start", "ol").length() > 0) return true;
  for (const DomNode& comment : region.descendantsOfType(platform::kDomComment)) {
    std::string picture;
    if (FieldPicture(comment.nodeValue(), picture) && !picture.empty()) return true;
  }
  return false;
}

void ConvertDateFields(const DomNode& body, QuireStatus& status) {
  status = QuireStatus();
  std::tm now{};
  const bool haveNow = LocalNow(now);
  std::string failure;
  try {
    for (const DomNode& comment : body.descendantsOfType(platform::kDomComment)) {
      std::string picture;
      if (!FieldPicture(comment.nodeValue(), picture) || picture.empty()) continue;
      // A field whose place went with an earlier field's result is not there any more.
      if (comment.parentNode().isNull()) continue;
      std::string result;
      if (!haveNow ||
          !FormatTime(DatePictureFormat(picture, now.tm_mon + 1, now.tm_mday), now, result)) {
        failure = "picture \"" + picture.substr(0, 80) + "\"";
        continue;
      }
      WriteFieldResult(comment, result, body);
    }
  } catch (const platform::ComError& error) {
    failure = error.Description();
  }
  if (failure.empty()) return;
  status = QuireStatus(kEvaluationError, host_message::kDateFieldUnformatted);
  platform::Log(status.Text() + " (" + failure + ")", platform::kLogError);
}

double TabInterval(const DomNode& body) {
  std::string_view value;
  const std::string style = body.getAttribute("style");
  double inches = 0;
  if (!DeclarationValue(style, "tab-interval:", value) || !ParseInches(value, inches) ||
      !(inches > 0)) {
    return kDefaultTabInterval;
  }
  return inches;
}

void IndentLevel(const DomNode& element, double tabIntervalInches) {
  if (!IsElement(element)) return;
  if (!std::isfinite(tabIntervalInches)) tabIntervalInches = kDefaultTabInterval;
  for (const DomNode& node : element.selectNodes("descendant-or-self::*")) {
    if (!IsParagraphElement(node)) continue;
    std::string style = node.getAttribute("style");
    // Only a missing or empty style counts as none; any other style without a margin gets the
    // declaration appended after a ";" of its own, whatever it already ends with.
    if (style.empty()) {
      node.setAttribute("style", InchesDeclaration("margin-left", tabIntervalInches));
      continue;
    }
    const size_t at = FindDeclaration(style, "margin-left:");
    if (at == std::string::npos) {
      node.setAttribute("style", style + ";" + InchesDeclaration("margin-left", tabIntervalInches));
      continue;
    }
    const size_t start = at + std::string_view("margin-left:").size();
    const size_t end = DeclarationEnd(style, start);
    double margin = 0;
    if (!ParseInches(std::string_view(style).substr(start, end - start), margin)) margin = 0;
    style.replace(at, end - at, InchesDeclaration("margin-left", margin + tabIntervalInches));
    node.setAttribute("style", style);
  }
}
