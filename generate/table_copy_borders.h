// The bottom borders of a table MASTER's copies: the row written last carries the table's
// bottom border, the rows before it the border of the row above the template (the template's own
// when there is none).
#pragma once

#include <string>
#include <vector>

#include "platform/dom/dom_node.h"

class TableCopyBorders {
 public:
  // For the copies of `repeat`, below `rowAbove` (the row before the template, or null);
  // `deeperLevels` when each copy gets a deeper level of its own. Nothing to do when the
  // template holds no row.
  TableCopyBorders(const platform::DomNode& repeat, const platform::DomNode& rowAbove,
                   bool deeperLevels);

  // A new copy was placed: the copy before it takes the inner border, this one the last.
  void placed(const platform::DomNode& copy);
  // Formatted text entered the copy placed last, which may have brought rows of its own.
  void copyGrew() { previousRow_ = platform::DomNode(); }

 private:
  enum class FirstCopy { kUnknown, kChanged, kKept };

  platform::DomNode templateRow_;
  std::vector<std::string> lastBorders_;
  std::vector<std::string> innerBorders_;
  // A template that holds no row but its own, without deeper levels, makes copies that keep
  // that one row after their commands are done: only the row takes the inner border then.
  bool oneRow_ = false;
  platform::DomNode previousCopy_;  // its row had the last border until the next copy came
  platform::DomNode previousRow_;   // that copy's one row, when it is known to have one
  // The copies of one MASTER are all made alike, so what the last border does to the first it
  // does to each: when it changes nothing there, the later copies are not walked for it.
  FirstCopy firstCopy_ = FirstCopy::kUnknown;
  bool borderless_ = false;  // what the first copy said
};
