// Reading a data source's schema from the database itself.
#include <algorithm>
#include <cctype>
#include <map>

#include "foundation/text_helpers.h"
#include "kestrel/schema.h"
#include "kestrel/sqlite_handle.h"
#include "platform/log.h"

namespace kestrel {
namespace {

bool IsOneOf(std::string_view name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(),
                     [&](const char* candidate) { return EqualsIgnoringCase(name, candidate); });
}

struct ForeignKeyRow {
  int id = 0;
  std::string table;
  std::string from;
  std::string to;  // empty: the referenced table's primary key
};

void ReadColumns(Connection& connection, Table& table) {
  Statement columns = connection.Prepare("SELECT name, type, pk FROM pragma_table_info(?)");
  columns.BindText(1, table.name);
  std::vector<std::pair<int64_t, int>> keyOrder;
  while (columns.Step()) {
    Column column;
    column.name = columns.ColumnText(0);
    column.declaredType = columns.ColumnText(1);
    column.kind = KindOfDeclaredType(column.declaredType);
    column.secret = EqualsIgnoringCase(column.name, "password");
    if (columns.ColumnInt64(2) > 0) {
      keyOrder.emplace_back(columns.ColumnInt64(2), static_cast<int>(table.columns.size()));
    }
    table.columns.push_back(std::move(column));
  }
  std::sort(keyOrder.begin(), keyOrder.end());
  for (const auto& [order, index] : keyOrder) table.key.push_back(index);
  table.locator = table.key;
  for (int i = 0; i < static_cast<int>(table.columns.size()); ++i) {
    if (table.columns[i].kind != ColumnKind::kBlob) table.properties.push_back(i);
  }
}

std::vector<ForeignKeyRow> ReadForeignKeys(Connection& connection, const std::string& table) {
  Statement keys = connection.Prepare(
      "SELECT id, \"table\", \"from\", \"to\" FROM pragma_foreign_key_list(?) ORDER BY id, seq");
  keys.BindText(1, table);
  std::vector<ForeignKeyRow> rows;
  while (keys.Step()) {
    rows.push_back({static_cast<int>(keys.ColumnInt64(0)), keys.ColumnText(1), keys.ColumnText(2),
                    keys.ColumnType(3) == SQLITE_NULL ? std::string() : keys.ColumnText(3)});
  }
  return rows;
}

void ApplyDefaults(Table& table) {
  for (const char* candidate : {"name", "title"}) {
    table.nameColumn = table.ColumnIndex(candidate);
    if (table.nameColumn >= 0) break;
  }
  for (int i = 0; i < static_cast<int>(table.columns.size()); ++i) {
    const Column& column = table.columns[i];
    if (column.kind == ColumnKind::kBlob &&
        IsOneOf(column.name, {"picture", "image", "photo", "logo"})) {
      table.pictureColumn = i;
      break;
    }
  }
}

// Adds the relationships of one foreign key: the one-valued one to the table it references and
// the many-valued one back.
void AddForeignKey(Schema& schema, int from, const std::vector<ForeignKeyRow>& parts,
                   bool severalToSameTable) {
  const int target = schema.TableIndex(parts.front().table);
  Table& source = schema.tables[from];
  if (target < 0) {
    // A reference to a missing table relates nothing; the rest of the schema stays usable.
    platform::Log("Data source " + schema.dataSource + ": column " + source.name + "." +
                      parts.front().from + " references the missing table " + parts.front().table +
                      "; it gets no relationship",
                  platform::kLogCriticalError);
    return;
  }
  const Table& referenced = schema.tables[target];
  Relationship one;
  one.name = parts.front().from;
  one.target = target;
  for (size_t i = 0; i < parts.size(); ++i) {
    const int local = source.ColumnIndex(parts[i].from);
    int remote = kRowid;
    if (!parts[i].to.empty()) {
      remote = referenced.ColumnIndex(parts[i].to);
    } else if (i < referenced.key.size()) {
      remote = referenced.key[i];
    }
    if (local < 0 || (remote < 0 && remote != kRowid)) return;
    one.localColumns.push_back(local);
    one.remoteColumns.push_back(remote);
  }
  Relationship many;
  many.name = severalToSameTable ? source.name + "_" + one.name : source.name;
  many.many = true;
  many.target = from;
  many.localColumns = one.remoteColumns;
  many.remoteColumns = one.localColumns;
  source.relationships.push_back(std::move(one));
  if (source.hierarchy < 0 && target == from) {
    source.hierarchy = static_cast<int>(source.relationships.size()) - 1;
  }
  schema.tables[target].relationships.push_back(std::move(many));
}

}  // namespace

ColumnKind KindOfDeclaredType(std::string_view declaredType) {
  std::string type = UppercaseCopy(std::string(declaredType.substr(0, declaredType.find('('))));
  while (!type.empty() && type.back() == ' ') type.pop_back();
  while (!type.empty() && type.front() == ' ') type.erase(0, 1);
  if (type.empty()) return ColumnKind::kByStorage;
  if (type == "SMALLINT") return ColumnKind::kInt16;
  if (type == "BOOL" || type == "BOOLEAN") return ColumnKind::kBool;
  if (type == "DATE" || type == "DATETIME" || type == "TIMESTAMP" || type == "TIME") {
    return ColumnKind::kDate;
  }
  if (type == "NUMERIC" || type == "DECIMAL") return ColumnKind::kReal;
  // The remaining names by SQLite's own affinity rules.
  if (type.find("INT") != std::string::npos) return ColumnKind::kInteger;
  if (type.find("CHAR") != std::string::npos || type.find("CLOB") != std::string::npos ||
      type.find("TEXT") != std::string::npos) {
    return ColumnKind::kText;
  }
  if (type.find("BLOB") != std::string::npos) return ColumnKind::kBlob;
  if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
      type.find("DOUB") != std::string::npos) {
    return ColumnKind::kReal;
  }
  return ColumnKind::kByStorage;
}

int Table::ColumnIndex(std::string_view columnName) const {
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    if (columns[i].name == columnName) return i;
  }
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    if (EqualsIgnoringCase(columns[i].name, columnName)) return i;
  }
  return -1;
}

int Schema::TableIndex(std::string_view tableName) const {
  for (int i = 0; i < static_cast<int>(tables.size()); ++i) {
    if (tables[i].name == tableName) return i;
  }
  for (int i = 0; i < static_cast<int>(tables.size()); ++i) {
    if (EqualsIgnoringCase(tables[i].name, tableName)) return i;
  }
  return -1;
}

Schema ReadSchema(Connection& connection, const std::string& dataSource) {
  Schema schema;
  schema.dataSource = dataSource;
  {
    Statement tables = connection.Prepare(
        "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
        "ESCAPE '\\' ORDER BY name");
    while (tables.Step()) {
      Table table;
      table.name = tables.ColumnText(0);
      schema.tables.push_back(std::move(table));
    }
  }
  for (Table& table : schema.tables) {
    ReadColumns(connection, table);
    ApplyDefaults(table);
  }
  for (int from = 0; from < static_cast<int>(schema.tables.size()); ++from) {
    std::map<int, std::vector<ForeignKeyRow>> keys;
    for (ForeignKeyRow& row : ReadForeignKeys(connection, schema.tables[from].name)) {
      keys[row.id].push_back(std::move(row));
    }
    std::map<std::string, int> keysPerTarget;
    for (const auto& [id, parts] : keys) ++keysPerTarget[UppercaseCopy(parts.front().table)];
    // In the order they are declared: SQLite numbers a table's foreign keys from the last one.
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
      const std::vector<ForeignKeyRow>& parts = key->second;
      AddForeignKey(schema, from, parts, keysPerTarget[UppercaseCopy(parts.front().table)] > 1);
    }
  }
  return schema;
}

}  // namespace kestrel
