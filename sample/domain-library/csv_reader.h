// CsvTable: a comma-separated file read whole, its first line naming the columns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct CsvTable {
  std::vector<std::string> columns;            // the names on the first line
  std::vector<std::vector<std::string>> rows;  // every later line, as many fields as columns
  std::vector<size_t> lines;                   // the line each row starts on, for messages

  // The column's index; -1 when the file has no such column.
  int column(const std::string& name) const;
};

// Reads `path` as UTF-8 text: fields separated by ",", a field in double quotes may hold commas,
// line breaks and doubled quotes (""); a byte-order mark at the start is skipped. Blank lines
// are skipped. Returns false with `error` ("<path>: <reason>") when the file cannot be read or a
// row has another number of fields than the first line.
bool ReadCsvFile(const std::string& path, CsvTable& table, std::string& error);
