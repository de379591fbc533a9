// Reading a CSV file into a CsvTable.
#include "csv_reader.h"

#include <fstream>
#include <sstream>

int CsvTable::column(const std::string& name) const {
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i] == name) return static_cast<int>(i);
  }
  return -1;
}

bool ReadCsvFile(const std::string& path, CsvTable& table, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be opened";
    return false;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  std::string text = buffer.str();
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);

  table = CsvTable();
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;      // inside a quoted field
  bool rowStarted = false;  // the current row has at least one character
  size_t line = 1;
  size_t rowLine = 1;

  // Ends the current row: the first row names the columns, the others must match it.
  auto endRow = [&]() -> bool {
    row.push_back(field);
    field.clear();
    if (table.columns.empty()) {
      table.columns = row;
    } else if (row.size() != table.columns.size()) {
      error = path + ":" + std::to_string(rowLine) + ": " + std::to_string(row.size()) +
              " fields where the first line names " + std::to_string(table.columns.size());
      return false;
    } else {
      table.rows.push_back(row);
      table.lines.push_back(rowLine);
    }
    row.clear();
    return true;
  };

  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (!rowStarted) rowLine = line;
    if (c == '"') {
      quoted = true;
      rowStarted = true;
    } else if (c == ',') {
      row.push_back(field);
      field.clear();
      rowStarted = true;
    } else if (c == '\r') {
      // Windows line ends: the "\n" that follows ends the row.
    } else if (c == '\n') {
      ++line;
      if (rowStarted && !endRow()) return false;
      rowStarted = false;
    } else {
      field += c;
      rowStarted = true;
    }
  }
  if (quoted) {
    error = path + ":" + std::to_string(rowLine) + ": a quoted field is not closed";
    return false;
  }
  if (rowStarted && !endRow()) return false;
  if (table.columns.empty()) {
    error = path + ": the file is empty";
    return false;
  }
  return true;
}
