// MasterCommand: the MASTER text split into its name part and its table information.
#include "commands/master_command.h"

#include "commands/table_information.h"

MasterCommand::MasterCommand(const std::string& text) : textWithoutTable_(text) {
  const std::size_t marker = FindTableInformation(text);
  if (marker == std::string::npos || marker == 0) return;
  tableInformation_ = text.substr(marker);
  textWithoutTable_.erase(marker);
}

bool MasterCommand::repeatsTableRows() const {
  return TableInformationRepeatsRows(tableInformation_);
}
