// The shape of one data source as the component sees it: tables with their columns, keys,
// relationships, names, pictures and hierarchy, read from the database and its description file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrel {

class Connection;

// How a column's values become variants; chosen from the column's declared type.
enum class ColumnKind {
  kByStorage,  // no or an unknown declared type: the value's own storage class decides
  kInteger,    // Int32 when the value fits, else its decimal text
  kInt16,      // Int16 when the value fits, else as kInteger
  kReal,       // Double
  kBool,       // Bool, non-zero is true
  kDate,       // Date, from ISO text, a julian-day real or unix seconds
  kText,       // String
  kBlob,       // bytes: a picture candidate, not a property
};

ColumnKind KindOfDeclaredType(std::string_view declaredType);

struct Column {
  std::string name;
  std::string declaredType;
  ColumnKind kind = ColumnKind::kByStorage;
  bool secret = false;
};

// The rowid in place of a column index: tables without a declared primary key are located by it.
inline constexpr int kRowid = -1;

// A relationship lists the rows of `target` whose `remoteColumns` equal the values of the
// source row's `localColumns` (kRowid for the rowid).
struct Relationship {
  std::string name;
  bool many = false;
  int target = 0;
  std::vector<int> localColumns;
  std::vector<int> remoteColumns;
};

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<int> key;      // primary-key columns in key order; empty: the rowid
  std::vector<int> locator;  // the locator's columns; empty: the rowid
  std::vector<Relationship> relationships;
  std::vector<int> properties;  // the columns that are properties (all but BLOB columns)
  int nameColumn = -1;          // -1: the identifier text names a row
  int pictureColumn = -1;       // -1: no picture
  int hierarchy = -1;           // index of the one-valued relationship to the table itself
  int base = -1;                // the base type's table

  bool HasRowid() const { return key.empty(); }
  int ColumnIndex(std::string_view columnName) const;  // any case; -1 when absent
};

struct Schema {
  std::string dataSource;
  std::string typeText = "SQLite";
  std::vector<Table> tables;

  int TableIndex(std::string_view tableName) const;  // exact, else any case; -1 when absent
};

// Reads the tables (views are left out), columns, primary keys and foreign keys of the database
// and applies the default names, pictures, hierarchy and secret columns.
Schema ReadSchema(Connection& connection, const std::string& dataSource);

}  // namespace kestrel
