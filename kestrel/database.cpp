// Opening a data source and listing its rows.
#include "kestrel/database.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <thread>

#include "kestrel/description_file.h"
#include "kestrel/identifier.h"
#include "kestrel/sql_filter.h"
#include "kestrel/type_objects.h"
#include "platform/com_error.h"
#include "platform/thread.h"
#include "platform/work_limits.h"

namespace kestrel {

using platform::ComError;

size_t CheckedIndex(const platform::Variant& index, size_t count) {
  using platform::VariantType;
  const VariantType type = index.Type();
  const bool numeric = type == VariantType::kInt32 || type == VariantType::kInt16 ||
                       type == VariantType::kByte || type == VariantType::kDouble ||
                       type == VariantType::kFloat;
  const double value = numeric ? index.ChangeToDouble() : -1;
  if (!numeric || value != std::floor(value) || value < 0 || value >= static_cast<double>(count)) {
    throw ComError(platform::kE_INVALIDARG, "no item " + index.TryString().value_or("Null") +
                                                " in a collection of " + std::to_string(count));
  }
  return static_cast<size_t>(value);
}

std::shared_ptr<Database> Database::Open(const std::string& path, const std::string& dataSource,
                                         const std::string& descriptionPath) {
  std::shared_ptr<Database> database(new Database(path));
  auto lock = database->connection_.Lock();
  // Reading the schema is the first read of the file: it tells a database from other files.
  database->schema_ = ReadSchema(database->connection_, dataSource);
  std::error_code error;
  if (!descriptionPath.empty() && std::filesystem::is_regular_file(descriptionPath, error)) {
    ApplyDescriptionFile(descriptionPath, database->schema_);
  }
  RegisterFilterFunctions(database->connection_.Handle());
  for (int i = 0; i < static_cast<int>(database->schema_.tables.size()); ++i) {
    database->types_.push_back(std::make_unique<TypeObject>(*database, i));
  }
  database->rootType_ = std::make_unique<TypeObject>(*database, kRootTable);
  return database;
}

Database::Database(const std::string& path) : connection_(path) {}

Database::~Database() = default;

std::shared_ptr<ArtifactType> Database::Type(int table) {
  TypeObject* type = table == kRootTable ? rootType_.get() : types_[table].get();
  return std::shared_ptr<ArtifactType>(shared_from_this(), type);
}

const TypeObject& Database::TypeOf(int table) const {
  return table == kRootTable ? *rootType_ : *types_[static_cast<size_t>(table)];
}

std::vector<std::shared_ptr<ArtifactType>> Database::Types() {
  std::vector<std::shared_ptr<ArtifactType>> types;
  types.push_back(Type(kRootTable));
  for (int i = 0; i < static_cast<int>(types_.size()); ++i) types.push_back(Type(i));
  return types;
}

namespace {

std::string ColumnSql(const Table& table, int column) {
  return column == kRowid ? std::string("rowid") : QuoteName(table.columns[column].name);
}

// The columns a row set holds, each name after `prefix` (a table alias and its dot): BLOB
// columns as NULL (a picture is read alone, when it is exported), the rowid last if any.
std::string SelectedColumns(const Table& table, const std::string& prefix) {
  std::string list;
  for (const Column& column : table.columns) {
    if (!list.empty()) list += ", ";
    list +=
        column.kind == ColumnKind::kBlob ? std::string("NULL") : prefix + QuoteName(column.name);
  }
  if (table.HasRowid()) list += (list.empty() ? "" : ", ") + prefix + "rowid";
  return list;
}

// The order rows of `table` come in: by rowid, or by the key where there is no rowid.
std::string RowOrder(const Table& table, const std::string& prefix) {
  if (table.HasRowid()) return prefix + "rowid";
  std::string order;
  for (int column : table.key)
    order += (order.empty() ? "" : ", ") + prefix + ColumnSql(table, column);
  return order;
}

// The column whose order is the order rows of `table` come in when it is one integer: the rowid
// (last in a row set), or a one-column integer key. -1 when the key is anything else.
int IntegerOrderColumn(const Table& table) {
  if (table.HasRowid()) return static_cast<int>(table.columns.size());
  if (table.key.size() == 1 && table.columns[table.key[0]].kind == ColumnKind::kInteger) {
    return table.key[0];
  }
  return -1;
}

// SQLite's order of two values without a collation: NULL, then numbers, then texts by bytes.
bool CellLess(const Cell& a, const Cell& b) {
  auto rank = [](const Cell& cell) {
    if (std::holds_alternative<std::monostate>(cell)) return 0;
    return std::holds_alternative<std::string>(cell) ? 2 : 1;
  };
  const int left = rank(a);
  const int right = rank(b);
  if (left != right || left == 0) return left < right;
  if (left == 2) return std::get<std::string>(a) < std::get<std::string>(b);
  const auto* x = std::get_if<int64_t>(&a);
  const auto* y = std::get_if<int64_t>(&b);
  if (x != nullptr && y != nullptr) return *x < *y;
  return (x != nullptr ? static_cast<double>(*x) : std::get<double>(a)) <
         (y != nullptr ? static_cast<double>(*y) : std::get<double>(b));
}

// Puts the rows of `set` in the order of `column` and keeps the first `most`. Rows of one key
// usually come in that order already, so the common case only checks.
void KeepFirstInOrder(RowSet& set, int column, size_t most) {
  const size_t count = set.Count();
  const size_t width = set.width;
  auto cell = [&](size_t row) -> const Cell& {
    return set.cells[row * width + static_cast<size_t>(column)];
  };
  bool ordered = true;
  for (size_t row = 1; row < count && ordered; ++row) ordered = !CellLess(cell(row), cell(row - 1));
  if (!ordered) {
    std::vector<size_t> order(count);
    for (size_t row = 0; row < count; ++row) order[row] = row;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return CellLess(cell(a), cell(b)); });
    std::vector<Cell> cells;
    cells.reserve(std::min(count, most) * width);
    for (size_t i = 0; i < count && i < most; ++i) {
      const auto first = set.cells.begin() + static_cast<std::ptrdiff_t>(order[i] * width);
      cells.insert(cells.end(), std::make_move_iterator(first),
                   std::make_move_iterator(first + static_cast<std::ptrdiff_t>(width)));
    }
    set.cells = std::move(cells);
  }
  if (set.Count() > most) set.cells.resize(most * width);
}

}  // namespace

std::shared_ptr<RowSet> Database::Rows(int table, const std::vector<int>& where,
                                       const std::vector<Cell>& values,
                                       const std::string& condition,
                                       const std::vector<Cell>& conditionValues, int limit) {
  const Table& own = schema_.tables[table];
  std::string sql = "SELECT " + SelectedColumns(own, "") + " FROM " + QuoteName(own.name);
  std::string conditions;
  std::vector<Cell> binds;
  for (size_t i = 0; i < where.size() && i < values.size(); ++i) {
    const std::string column = ColumnSql(own, where[i]);
    if (!conditions.empty()) conditions += " AND ";
    // A column without a type keeps what was stored: the number 12 or the text "12". A key
    // read from a locator as a number may be either.
    const bool number =
        std::holds_alternative<int64_t>(values[i]) || std::holds_alternative<double>(values[i]);
    if (number && where[i] != kRowid && own.columns[where[i]].kind == ColumnKind::kByStorage) {
      conditions += "(" + column + " = ? OR " + column + " = ?)";
      binds.push_back(values[i]);
      binds.push_back(CellText(values[i]));
    } else {
      conditions += column + " = ?";
      binds.push_back(values[i]);
    }
  }
  if (!condition.empty()) conditions += (conditions.empty() ? "" : " AND ") + condition;
  if (!conditions.empty()) sql += " WHERE " + conditions;
  sql += " ORDER BY " + RowOrder(own, "");
  if (limit > 0) sql += " LIMIT " + std::to_string(limit);

  auto rows = std::make_shared<RowSet>();
  rows->table = table;
  rows->width = own.columns.size() + (own.HasRowid() ? 1 : 0);
  auto lock = connection_.Lock();
  Statement statement = connection_.Prepare(sql);
  int parameter = 1;
  for (const Cell& value : binds) BindCell(statement, parameter++, value);
  for (const Cell& value : conditionValues) BindCell(statement, parameter++, value);
  // A listing never holds more rows than one REPEAT may list, and one more so that the walk sees
  // the limit passed and names it, before a runaway table fills the memory.
  const uint64_t cap = platform::ConfiguredLimit(platform::kMaxRepeatObjectsKey,
                                                 platform::kDefaultMaxRepeatObjects) +
                       1;
  for (uint64_t count = 0; count < cap && statement.Step(); ++count) {
    for (size_t i = 0; i < rows->width; ++i) rows->cells.push_back(ReadCell(statement, i));
  }
  rows->cells.shrink_to_fit();
  return rows;
}

std::shared_ptr<const RowSet> Database::RelatedRows(const RowSet& rows, size_t row,
                                                    int relationship) {
  const Relationship& link = schema_.tables[rows.table].relationships[relationship];
  auto lock = connection_.Lock();
  RowSet::Related* known = nullptr;
  for (RowSet::Related& entry : rows.related) {
    if (entry.relationship == relationship) known = &entry;
  }
  if (known == nullptr) {
    rows.related.push_back(RowSet::Related{relationship, 0, {}});
    known = &rows.related.back();
  }
  if (!known->ofRow.empty()) return known->ofRow[row];
  // A set of one row is a located artifact, which the domain may keep between requests: its
  // related rows are read afresh each time, as before.
  if (++known->asked < 2 || rows.Count() < 2) {
    std::vector<Cell> key;
    for (int column : link.localColumns) key.push_back(KeyCell(rows, row, column));
    return Rows(link.target, link.remoteColumns, key, "", {}, link.many ? 0 : 1);
  }
  known->ofRow = RelatedOfEvery(rows, link);
  return known->ofRow[row];
}

namespace {

constexpr size_t kKeysPerStatement = 256;

// One statement of RelatedOfEvery joins a table of (row number, key) to the target table, so
// that each key is compared as Rows compares it (a bound value against the column), and the
// rows of each key are put in the order Rows gives them. When that order is one integer column,
// it is made here: ordering the join in SQL sorts every row it reads in a temporary tree.
struct RelatedJoin {
  std::string head;   // the statement up to its first key tuple
  std::string tuple;  // the placeholders of one key tuple
  std::string tail;   // the statement after its last key tuple
  const std::vector<int>* localColumns = nullptr;
  size_t width = 0;
  uint64_t most = 0;     // rows kept per key
  int orderColumn = -1;  // the integer column that orders the rows here; -1: SQL orders them
};

RelatedJoin MakeRelatedJoin(const Table& target, const Relationship& link, size_t width,
                            uint64_t most) {
  RelatedJoin join;
  join.localColumns = &link.localColumns;
  join.width = width;
  join.most = most;
  join.orderColumn = IntegerOrderColumn(target);
  std::string columns = "\"~keys\".\"~row\"";
  if (const std::string own = SelectedColumns(target, "t."); !own.empty()) columns += ", " + own;
  std::string keyNames = "\"~row\"";
  std::string on;
  for (size_t j = 0; j < link.remoteColumns.size(); ++j) {
    const std::string name = "\"~key" + std::to_string(j) + "\"";
    keyNames += ", " + name;
    on += (j > 0 ? " AND t." : "t.") + ColumnSql(target, link.remoteColumns[j]) + " = \"~keys\"." +
          name;
  }
  join.head = "WITH \"~keys\"(" + keyNames + ") AS (VALUES ";
  join.tuple = "(?";
  for (size_t j = 0; j < link.remoteColumns.size(); ++j) join.tuple += ", ?";
  join.tuple += ")";
  join.tail =
      ") SELECT " + columns + " FROM \"~keys\" JOIN " + QuoteName(target.name) + " AS t ON " + on;
  if (join.orderColumn < 0) join.tail += " ORDER BY \"~keys\".\"~row\", " + RowOrder(target, "t.");
  return join;
}

// Reads the related rows of the rows asking[begin, end) over `connection`, a statement per
// kKeysPerStatement of them, into their sets in `found`. The caller holds the connection's lock;
// each thread fills only the sets of its own rows.
void ReadRelated(Connection& connection, const RelatedJoin& join, const RowSet& rows,
                 const std::vector<size_t>& asking, size_t begin, size_t end,
                 std::vector<std::shared_ptr<RowSet>>& found) {
  const bool sqlOrders = join.orderColumn < 0;
  for (size_t start = begin; start < end; start += kKeysPerStatement) {
    const size_t count = std::min(kKeysPerStatement, end - start);
    std::string sql = join.head;
    for (size_t i = 0; i < count; ++i) sql += (i > 0 ? ", " : "") + join.tuple;
    sql += join.tail;
    Statement statement = connection.Prepare(sql);
    int parameter = 1;
    for (size_t i = start; i < start + count; ++i) {
      BindCell(statement, parameter++, Cell(static_cast<int64_t>(asking[i])));
      for (int column : *join.localColumns) {
        BindCell(statement, parameter++, Database::KeyCell(rows, asking[i], column));
      }
    }
    while (statement.Step()) {
      const Cell number = ReadCell(statement, 0);
      const auto* row = std::get_if<int64_t>(&number);
      if (row == nullptr || *row < 0 || static_cast<size_t>(*row) >= found.size()) continue;
      RowSet& into = *found[static_cast<size_t>(*row)];
      if (sqlOrders && into.Count() >= join.most) continue;
      for (size_t i = 0; i < join.width; ++i) {
        into.cells.push_back(ReadCell(statement, static_cast<int>(i) + 1));
      }
      // Unordered rows past the limit cannot be dropped as they come; trimming now and then
      // keeps a runaway key within twice the limit.
      if (!sqlOrders && into.Count() / 2 >= join.most) {
        KeepFirstInOrder(into, join.orderColumn, join.most);
      }
    }
    for (size_t i = start; i < start + count; ++i) {
      RowSet& set = *found[asking[i]];
      if (!sqlOrders) KeepFirstInOrder(set, join.orderColumn, join.most);
      set.cells.shrink_to_fit();
    }
  }
}

}  // namespace

// The statements of a long set are shared with a thread of its own that reads the second half
// over a second connection, as the walk waits for the whole set: two cores read it in about
// half the time.
std::vector<std::shared_ptr<const RowSet>> Database::RelatedOfEvery(const RowSet& rows,
                                                                    const Relationship& link) {
  const Table& target = schema_.tables[link.target];
  const size_t width = target.columns.size() + (target.HasRowid() ? 1 : 0);
  const uint64_t most = link.many ? platform::ConfiguredLimit(platform::kMaxRepeatObjectsKey,
                                                              platform::kDefaultMaxRepeatObjects) +
                                        1
                                  : 1;
  std::vector<std::shared_ptr<RowSet>> found(rows.Count());
  std::vector<size_t> asking;  // rows whose key has no NULL; the others lead nowhere
  for (size_t row = 0; row < found.size(); ++row) {
    found[row] = std::make_shared<RowSet>();
    found[row]->table = link.target;
    found[row]->width = width;
    bool whole = true;
    for (int column : link.localColumns) {
      whole = whole && !std::holds_alternative<std::monostate>(KeyCell(rows, row, column));
    }
    if (whole) asking.push_back(row);
  }
  const RelatedJoin join = MakeRelatedJoin(target, link, width, most);

  const size_t statements = (asking.size() + kKeysPerStatement - 1) / kKeysPerStatement;
  const size_t split = (statements + 1) / 2 * kKeysPerStatement;
  Connection* second = statements >= 2 ? SecondConnection() : nullptr;
  platform::Thread reader;
  std::exception_ptr readerFailure;
  if (second != nullptr && !reader.Start([&] {
        try {
          auto lock = second->Lock();
          ReadRelated(*second, join, rows, asking, split, asking.size(), found);
        } catch (...) {
          readerFailure = std::current_exception();
        }
      })) {
    second = nullptr;
  }
  std::exception_ptr failure;
  try {
    ReadRelated(connection_, join, rows, asking, 0, second != nullptr ? split : asking.size(),
                found);
  } catch (...) {
    failure = std::current_exception();
  }
  reader.Join();
  if (!failure) failure = readerFailure;
  if (failure) std::rethrow_exception(failure);

  std::vector<std::shared_ptr<const RowSet>> result;
  result.reserve(found.size());
  for (auto& set : found) result.push_back(std::move(set));
  return result;
}

// Opened at the first long set; a machine of one core, or a database that cannot be opened
// twice, reads every set over the first connection alone.
Connection* Database::SecondConnection() {
  if (secondTried_) return second_.get();
  secondTried_ = true;
  if (std::thread::hardware_concurrency() < 2) return nullptr;
  try {
    second_ = std::make_unique<Connection>(connection_.Path());
  } catch (const ComError&) {
    second_.reset();
  }
  return second_.get();
}

const Cell& Database::KeyCell(const RowSet& rows, size_t row, int column) {
  return rows.At(row, column == kRowid ? static_cast<int>(rows.width) - 1 : column);
}

std::string Database::Identifier(const RowSet& rows, size_t row) const {
  const Table& own = schema_.tables[rows.table];
  std::string text =
      EscapeIdentifierPart(schema_.dataSource) + ":" + EscapeIdentifierPart(own.name) + ":";
  if (own.HasRowid()) return text + "rowid=" + CellText(KeyCell(rows, row, kRowid));
  for (size_t i = 0; i < own.key.size(); ++i) {
    if (i > 0) text += ",";
    text += EscapeIdentifierPart(own.columns[own.key[i]].name) + "=" +
            EscapeIdentifierPart(CellText(rows.At(row, own.key[i])));
  }
  return text;
}

std::string Database::RootIdentifier() const {
  const std::string name = EscapeIdentifierPart(schema_.dataSource);
  return name + ":Database:Name=" + name;
}

std::optional<std::string> Database::PictureBytes(const RowSet& rows, size_t row) {
  const Table& own = schema_.tables[rows.table];
  if (own.pictureColumn < 0) return std::nullopt;
  std::string sql = "SELECT " + QuoteName(own.columns[own.pictureColumn].name) + " FROM " +
                    QuoteName(own.name) + " WHERE ";
  const std::vector<int> key = own.HasRowid() ? std::vector<int>{kRowid} : own.key;
  for (size_t i = 0; i < key.size(); ++i) {
    sql += (i > 0 ? " AND " : "") + ColumnSql(own, key[i]) + " = ?";
  }
  auto lock = connection_.Lock();
  Statement statement = connection_.Prepare(sql);
  for (size_t i = 0; i < key.size(); ++i) {
    BindCell(statement, static_cast<int>(i) + 1, KeyCell(rows, row, key[i]));
  }
  if (!statement.Step() || statement.ColumnType(0) == SQLITE_NULL) return std::nullopt;
  return statement.ColumnBlob(0);
}

}  // namespace kestrel
