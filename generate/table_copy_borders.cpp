// TableCopyBorders: the bottom borders of a table MASTER's copies.
#include "generate/table_copy_borders.h"

#include "generate/page_formatting.h"

namespace {

using platform::DomNode;

// The first "tr" child of `node`.
DomNode ChildRow(const DomNode& node) {
  for (DomNode child = node.firstChild(); child; child = child.nextSibling()) {
    if (child.nodeType() == platform::kDomElement && child.nodeName() == "tr") return child;
  }
  return {};
}

}  // namespace

TableCopyBorders::TableCopyBorders(const DomNode& repeat, const DomNode& rowAbove,
                                   bool deeperLevels)
    : templateRow_(repeat.selectSingleNode("./tr")) {
  if (!templateRow_) return;
  lastBorders_ = RowBottomBorders(templateRow_);
  innerBorders_ = rowAbove ? RowBottomBorders(rowAbove) : lastBorders_;
  oneRow_ = !deeperLevels && repeat.descendantsNamed("tr").length() == 1;
}

void TableCopyBorders::placed(const DomNode& copy) {
  if (!templateRow_) return;
  if (previousRow_) {
    ApplyBottomBordersToRow(previousRow_, innerBorders_);
  } else if (previousCopy_) {
    ApplyRowBottomBorders(previousCopy_, innerBorders_);
  }
  bool borderless = borderless_;
  if (firstCopy_ == FirstCopy::kUnknown) {
    const std::string before = copy.xml();
    borderless = ApplyRowBottomBorders(copy, lastBorders_);
    firstCopy_ = copy.xml() == before ? FirstCopy::kKept : FirstCopy::kChanged;
    borderless_ = borderless;
  } else if (firstCopy_ == FirstCopy::kChanged) {
    borderless = ApplyRowBottomBorders(copy, lastBorders_);
  }
  if (borderless) MarkRowBorderless(copy);
  previousCopy_ = copy;
  previousRow_ = oneRow_ ? ChildRow(copy) : DomNode();
}
