// MasterCommand (MASTER): the region whose copies the REPEAT inside it makes. Text: "M:", a name,
// then optionally the table information ("TABLEINFO:A:" and a flag): the copies then go into the
// table the region holds, as its rows when the flag is "1".
#pragma once

#include <string>

class MasterCommand {
 public:
  explicit MasterCommand(const std::string& text);

  // From the marker to the end of the text; empty when the text carries none after its start.
  const std::string& tableInformation() const { return tableInformation_; }
  bool hasTable() const { return !tableInformation_.empty(); }
  bool repeatsTableRows() const;
  // The text without its table information: a copy of the MASTER made for a deeper recursion
  // level takes no table.
  const std::string& textWithoutTable() const { return textWithoutTable_; }

 private:
  std::string textWithoutTable_;
  std::string tableInformation_;
};
