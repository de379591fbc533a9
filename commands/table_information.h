// The table information that a MASTER or REPEAT text may end with: "TABLEINFO:A:" and a flag
// that says whether the copies are the rows of a table ("1").
#pragma once

#include <cstddef>
#include <string_view>

inline constexpr std::string_view kTableInformationMarker = "TABLEINFO:A:";

// Where the table information begins in `text`; npos when there is none.
inline std::size_t FindTableInformation(std::string_view text) {
  return text.find(kTableInformationMarker);
}

// Whether table information (the marker and what follows it) asks for repeated table rows.
inline bool TableInformationRepeatsRows(std::string_view information) {
  return information.size() > kTableInformationMarker.size() &&
         information.starts_with(kTableInformationMarker) &&
         information[kTableInformationMarker.size()] == '1';
}
