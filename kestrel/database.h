// One opened data source: its connection, schema and type objects, and the queries that list
// rows. Artifacts, types and collections keep the database alive through shared pointers; the
// schema is held once here and never copied per artifact.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kestrel/cell.h"
#include "kestrel/kestrel_session.h"
#include "kestrel/schema.h"
#include "kestrel/sqlite_handle.h"

namespace kestrel {

class TypeObject;

// The table index of the root type "Database".
inline constexpr int kRootTable = -1;

// Rows of one table as one flat array: each row is the table's columns (NULL in BLOB columns)
// and, for a table located by rowid, the rowid after them.
struct RowSet {
  int table = 0;
  size_t width = 0;
  std::vector<Cell> cells;

  size_t Count() const { return width == 0 ? 0 : cells.size() / width; }
  const Cell& At(size_t row, int column) const { return cells[row * width + column]; }

  // What Database::RelatedRows learnt of one relationship of these rows: how many rows asked,
  // and once a second one did, the related rows of every row. Guarded by the connection's lock.
  struct Related {
    int relationship = 0;
    int asked = 0;
    std::vector<std::shared_ptr<const RowSet>> ofRow;
  };
  mutable std::vector<Related> related;
};

class Database : public std::enable_shared_from_this<Database> {
 public:
  // Opens the database read-only, reads its schema and applies the description file when
  // `descriptionPath` names an existing file. Throws ComError naming the file.
  static std::shared_ptr<Database> Open(const std::string& path, const std::string& dataSource,
                                        const std::string& descriptionPath);
  ~Database();

  const Schema& GetSchema() const { return schema_; }
  const Table& GetTable(int table) const { return schema_.tables[table]; }
  std::shared_ptr<ArtifactType> Type(int table);
  // The type of a table without a handle that keeps the database alive, for its rows' reads.
  const TypeObject& TypeOf(int table) const;
  std::vector<std::shared_ptr<ArtifactType>> Types();

  // The rows of the table whose columns `where` equal `values` (kRowid for the rowid) and that
  // pass `condition` (SQL with its own parameters; "" for none), in primary-key order, with
  // at most `limit` rows (0: all). One statement execution.
  std::shared_ptr<RowSet> Rows(int table, const std::vector<int>& where,
                               const std::vector<Cell>& values, const std::string& condition = "",
                               const std::vector<Cell>& conditionValues = {}, int limit = 0);

  // The rows that relationship `relationship` (an index into the table's relationships) of row
  // `row` leads to, as Rows gives them for the row's key. The first row of a set to ask costs
  // one statement; when a second one asks, the related rows of every row of the set are read at
  // once, a few hundred rows a statement, so that a walk over a set of N rows costs a few
  // statements rather than N. A set of one row reads them each time.
  std::shared_ptr<const RowSet> RelatedRows(const RowSet& rows, size_t row, int relationship);

  // The key cell of a row (kRowid for the rowid).
  static const Cell& KeyCell(const RowSet& rows, size_t row, int column);
  std::string Identifier(const RowSet& rows, size_t row) const;
  std::string RootIdentifier() const;

  // An artifact of the rows, sharing them.
  std::shared_ptr<Artifact> MakeArtifact(std::shared_ptr<const RowSet> rows, size_t row);
  std::shared_ptr<Artifact> RootArtifact();

  // The picture bytes of a row; nullopt for NULL.
  std::optional<std::string> PictureBytes(const RowSet& rows, size_t row);

 private:
  explicit Database(const std::string& path);
  std::vector<std::shared_ptr<const RowSet>> RelatedOfEvery(const RowSet& rows,
                                                            const Relationship& link);

  // The second connection of RelatedOfEvery, or null; used only under connection_'s lock.
  Connection* SecondConnection();

  Connection connection_;
  std::unique_ptr<Connection> second_;
  bool secondTried_ = false;
  Schema schema_;
  std::vector<std::unique_ptr<TypeObject>> types_;
  std::unique_ptr<TypeObject> rootType_;
};

// The index a collection item variant gives; throws ComError(kE_INVALIDARG) for one that is not
// a whole number in 0..count-1.
size_t CheckedIndex(const platform::Variant& index, size_t count);

// A collection over a vector of shared pointers.
template <class T>
class VectorCollection : public Collection<T> {
 public:
  explicit VectorCollection(std::vector<std::shared_ptr<T>> items) : items_(std::move(items)) {}
  int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
  std::shared_ptr<T> Item(const platform::Variant& index) const override {
    return items_[CheckedIndex(index, items_.size())];
  }

 private:
  std::vector<std::shared_ptr<T>> items_;
};

}  // namespace kestrel
