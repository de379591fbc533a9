// Reading the description file and applying it to a schema.
#include "kestrel/description_file.h"

#include <fstream>
#include <istream>
#include <sstream>
#include <string>

#include "foundation/input_limits.h"
#include "foundation/text_helpers.h"
#include "platform/com_error.h"

namespace kestrel {
namespace {

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, ',')) {
    item = std::string(TrimmedBlanks(item));
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

// The next line without its line feed, read no further than kMaxTextLineBytes; false at the end.
// A longer line throws before the rest of it is read.
bool ReadBoundedLine(std::istream& in, std::string& line, bool& tooLong) {
  line.clear();
  tooLong = false;
  if (in.peek() == std::char_traits<char>::eof()) return false;
  for (int c = in.get(); c != std::char_traits<char>::eof() && c != '\n'; c = in.get()) {
    if (line.size() == kMaxTextLineBytes) {
      tooLong = true;
      return true;
    }
    line += static_cast<char>(c);
  }
  return true;
}

class DescriptionReader {
 public:
  DescriptionReader(const std::string& path, Schema& schema) : path_(path), schema_(schema) {}

  void Read() {
    std::ifstream in(path_, std::ios::binary);
    if (!in) Fail(0, "cannot be read");
    std::string line;
    while (ReadLine(in, line)) {
      ++lineNumber_;
      if (lineNumber_ == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
      line = std::string(TrimmedBlanks(line));
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      if (line[0] == '[') {
        StartSection(line);
      } else {
        ReadEntry(line);
      }
    }
    CheckBaseCycles();
  }

 private:
  bool ReadLine(std::istream& in, std::string& line) {
    bool tooLong = false;
    if (!ReadBoundedLine(in, line, tooLong)) return false;
    if (tooLong) {
      Fail(lineNumber_ + 1, "line longer than the limit of " + std::to_string(kMaxTextLineBytes) +
                                " bytes in a line");
    }
    return true;
  }

  [[noreturn]] void Fail(int line, const std::string& problem) const {
    throw platform::ComError(
        platform::kE_FAIL,
        path_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + problem);
  }

  void StartSection(const std::string& line) {
    if (line.back() != ']') Fail(lineNumber_, "section without \"]\"");
    const std::string name = std::string(TrimmedBlanks(line.substr(1, line.size() - 2)));
    table_ = -1;
    if (EqualsIgnoringCase(name, "DataSource")) {
      inDataSource_ = true;
      return;
    }
    inDataSource_ = false;
    if (name.size() > 6 && EqualsIgnoringCase(name.substr(0, 6), "Table ")) {
      const std::string tableName = std::string(TrimmedBlanks(name.substr(6)));
      table_ = schema_.TableIndex(tableName);
      if (table_ < 0) Fail(lineNumber_, "unknown table \"" + tableName + "\"");
      return;
    }
    Fail(lineNumber_, "unknown section \"" + name + "\"");
  }

  int Column(const std::string& name) const {
    const int index = schema_.tables[table_].ColumnIndex(name);
    if (index < 0) {
      Fail(lineNumber_,
           "unknown column \"" + name + "\" of table \"" + schema_.tables[table_].name + "\"");
    }
    return index;
  }

  void ReadEntry(const std::string& line) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) Fail(lineNumber_, "line without \"=\"");
    const std::string key = std::string(TrimmedBlanks(line.substr(0, equals)));
    std::string value = std::string(TrimmedBlanks(line.substr(equals + 1)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (inDataSource_) {
      if (!EqualsIgnoringCase(key, "Type")) Fail(lineNumber_, "unknown key \"" + key + "\"");
      schema_.typeText = value;
      return;
    }
    if (table_ < 0) Fail(lineNumber_, "key \"" + key + "\" outside a section");
    Table& table = schema_.tables[table_];
    if (EqualsIgnoringCase(key, "BaseType")) {
      const int base = schema_.TableIndex(value);
      if (base < 0) Fail(lineNumber_, "unknown table \"" + value + "\"");
      table.base = base;
      baseLines_.resize(schema_.tables.size());
      baseLines_[table_] = lineNumber_;
    } else if (EqualsIgnoringCase(key, "NameColumn")) {
      table.nameColumn = Column(value);
    } else if (EqualsIgnoringCase(key, "PictureColumn")) {
      table.pictureColumn = value.empty() ? -1 : Column(value);
      if (table.pictureColumn >= 0 &&
          table.columns[table.pictureColumn].kind != ColumnKind::kBlob) {
        Fail(lineNumber_, "column \"" + value + "\" is not a BLOB column");
      }
    } else if (EqualsIgnoringCase(key, "LocatorColumns")) {
      table.locator.clear();
      for (const std::string& name : SplitList(value)) table.locator.push_back(Column(name));
      if (table.locator.empty()) table.locator = table.key;
    } else if (EqualsIgnoringCase(key, "SecretColumns")) {
      for (const std::string& name : SplitList(value)) table.columns[Column(name)].secret = true;
    } else if (EqualsIgnoringCase(key, "Hierarchy")) {
      const int column = Column(value);
      int found = -1;
      for (int i = 0; i < static_cast<int>(table.relationships.size()); ++i) {
        const Relationship& relationship = table.relationships[i];
        if (!relationship.many && relationship.target == table_ &&
            relationship.localColumns.front() == column) {
          found = i;
        }
      }
      if (found < 0) {
        Fail(lineNumber_,
             "column \"" + value + "\" is no reference of \"" + table.name + "\" to itself");
      }
      table.hierarchy = found;
    } else {
      Fail(lineNumber_, "unknown key \"" + key + "\"");
    }
  }

  void CheckBaseCycles() const {
    const int count = static_cast<int>(schema_.tables.size());
    for (int start = 0; start < count; ++start) {
      int current = schema_.tables[start].base;
      for (int steps = 0; current >= 0; ++steps) {
        if (current == start || steps > count) {
          Fail(baseLines_[start],
               "base types form a cycle through \"" + schema_.tables[start].name + "\"");
        }
        current = schema_.tables[current].base;
      }
    }
  }

  const std::string& path_;
  Schema& schema_;
  int lineNumber_ = 0;
  bool inDataSource_ = false;
  int table_ = -1;
  std::vector<int> baseLines_;
};

}  // namespace

void ApplyDescriptionFile(const std::string& path, Schema& schema) {
  DescriptionReader(path, schema).Read();
}

}  // namespace kestrel
