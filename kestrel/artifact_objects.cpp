// Rows, the root artifact and the hierarchy's nodes.
#include "kestrel/artifact_objects.h"

#include <typeinfo>

#include "foundation/text_helpers.h"
#include "kestrel/picture_export.h"
#include "kestrel/sql_filter.h"
#include "kestrel/type_objects.h"
#include "platform/com_error.h"

namespace kestrel {

using platform::ComError;
using platform::Variant;

namespace {

// How many levels a node walks up at most: rows that refer to each other in a ring, or a
// hierarchy deeper than this, end there.
constexpr int kMaxHierarchyDepth = 10000;

// The identifiers of the rows a node's parent chain has passed, so that a ring in the data ends.
struct VisitedRows {
  std::string identifier;
  std::shared_ptr<const VisitedRows> next;
  int depth = 0;
};

class NodeObject : public Node {
 public:
  NodeObject(std::string text, std::shared_ptr<const RowArtifact> row,
             std::shared_ptr<const VisitedRows> visited)
      : text_(std::move(text)), row_(std::move(row)), visited_(std::move(visited)) {}

  std::string Text() const override { return text_; }

  std::shared_ptr<Node> Parent() const override {
    if (!row_ || (visited_ && visited_->depth >= kMaxHierarchyDepth)) return nullptr;
    std::shared_ptr<RowArtifact> parent = row_->HierarchyParent();
    if (!parent) return nullptr;
    const std::string identifier = parent->Identifier();
    for (const VisitedRows* seen = visited_.get(); seen != nullptr; seen = seen->next.get()) {
      if (seen->identifier == identifier) return nullptr;
    }
    auto visited = std::make_shared<VisitedRows>(
        VisitedRows{identifier, visited_, visited_ ? visited_->depth + 1 : 1});
    return std::make_shared<NodeObject>(parent->Name(), parent, std::move(visited));
  }

 private:
  std::string text_;
  std::shared_ptr<const RowArtifact> row_;  // null: a node without parent
  std::shared_ptr<const VisitedRows> visited_;
};

const PropertyObject* OwnProperty(const TypeObject& type, const PropertyDefinition& property) {
  // The type's own objects are told by their exact type, which is final.
  const auto* own = typeid(property) == typeid(PropertyObject)
                        ? static_cast<const PropertyObject*>(&property)
                        : nullptr;
  if (own != nullptr && type.Owns(*own)) return own;
  return type.FindProperty(property.Name());
}

const RelationshipObject& OwnRelationship(const TypeObject& type,
                                          const RelationshipDefinition& relationship) {
  const auto* own = dynamic_cast<const RelationshipObject*>(&relationship);
  if (own == nullptr || own->Owner() != type.Table()) {
    own = type.FindRelationship(relationship.Name());
  }
  if (own == nullptr) {
    throw ComError(platform::kE_INVALIDARG,
                   type.Name() + " has no relationship \"" + relationship.Name() + "\"");
  }
  return *own;
}

}  // namespace

std::shared_ptr<Artifact> RowCollection::Item(const Variant& index) const {
  return database_->MakeArtifact(rows_, CheckedIndex(index, rows_->Count()));
}

std::shared_ptr<Artifact> Database::MakeArtifact(std::shared_ptr<const RowSet> rows, size_t row) {
  return std::make_shared<RowArtifact>(shared_from_this(), std::move(rows), row);
}

std::shared_ptr<Artifact> Database::RootArtifact() {
  return std::make_shared<kestrel::RootArtifact>(shared_from_this());
}

std::shared_ptr<ArtifactType> RowArtifact::Type() const { return database_->Type(rows_->table); }

Variant RowArtifact::Value(const PropertyDefinition& property) const {
  const TypeObject& type = database_->TypeOf(rows_->table);
  const PropertyObject* own = OwnProperty(type, property);
  if (own == nullptr) return Variant();
  const Column& column = database_->GetTable(rows_->table).columns[own->ColumnIndex()];
  return CellToVariant(rows_->At(row_, own->ColumnIndex()), column.kind);
}

std::shared_ptr<Collection<Artifact>> RowArtifact::RelatedRows(
    const RelationshipDefinition& relationship, const ArtifactFilter* filter) const {
  const TypeObject& type = database_->TypeOf(rows_->table);
  const RelationshipObject& own = OwnRelationship(type, relationship);
  const Relationship& link = database_->GetTable(rows_->table).relationships[own.Index()];
  std::vector<Cell> values;
  for (int column : link.localColumns) {
    values.push_back(Database::KeyCell(*rows_, row_, column));
    if (std::holds_alternative<std::monostate>(values.back())) {
      auto none = std::make_shared<RowSet>();
      none->table = link.target;
      return std::make_shared<RowCollection>(database_, std::move(none));
    }
  }
  if (filter == nullptr) {
    return std::make_shared<RowCollection>(database_,
                                           database_->RelatedRows(*rows_, row_, own.Index()));
  }
  std::vector<Cell> conditionValues;
  const std::string condition =
      FilterSql(database_->GetTable(link.target), *filter, conditionValues);
  return std::make_shared<RowCollection>(
      database_, database_->Rows(link.target, link.remoteColumns, values, condition,
                                 conditionValues, link.many ? 0 : 1));
}

std::shared_ptr<Collection<Artifact>> RowArtifact::Related(
    const RelationshipDefinition& relationship) const {
  return RelatedRows(relationship, nullptr);
}

std::shared_ptr<Collection<Artifact>> RowArtifact::Related(
    const RelationshipDefinition& relationship, const ArtifactFilter& filter) const {
  return RelatedRows(relationship, &filter);
}

std::string RowArtifact::Name() const {
  const Table& table = database_->GetTable(rows_->table);
  if (table.nameColumn >= 0) {
    const Cell& cell = rows_->At(row_, table.nameColumn);
    if (!std::holds_alternative<std::monostate>(cell)) {
      std::optional<std::string> text =
          CellToVariant(cell, table.columns[table.nameColumn].kind).TryString();
      if (text) return *text;
    }
  }
  return Identifier();
}

std::string RowArtifact::Identifier() const { return database_->Identifier(*rows_, row_); }

std::shared_ptr<kestrel::Node> RowArtifact::Node() const {
  std::shared_ptr<const RowArtifact> self;
  if (database_->GetTable(rows_->table).hierarchy >= 0) self = shared_from_this();
  auto visited = std::make_shared<VisitedRows>(VisitedRows{Identifier(), nullptr, 0});
  return std::make_shared<NodeObject>(Name(), std::move(self), std::move(visited));
}

std::shared_ptr<RowArtifact> RowArtifact::HierarchyParent() const {
  const Table& table = database_->GetTable(rows_->table);
  if (table.hierarchy < 0) return nullptr;
  const Relationship& link = table.relationships[table.hierarchy];
  std::vector<Cell> values;
  for (int column : link.localColumns) {
    values.push_back(Database::KeyCell(*rows_, row_, column));
    if (std::holds_alternative<std::monostate>(values.back())) return nullptr;
  }
  std::shared_ptr<const RowSet> parents =
      database_->Rows(link.target, link.remoteColumns, values, "", {}, 1);
  if (parents->Count() == 0) return nullptr;
  return std::make_shared<RowArtifact>(database_, std::move(parents), 0);
}

void RowArtifact::ExportPicture(const PictureExportSettings& settings) const {
  std::optional<std::string> bytes = database_->PictureBytes(*rows_, row_);
  if (!bytes) throw ComError(platform::kE_FAIL, Identifier() + ": no picture");
  ExportPictureBytes(*bytes, settings, Identifier());
}

std::shared_ptr<ArtifactType> RootArtifact::Type() const { return database_->Type(kRootTable); }

Variant RootArtifact::Value(const PropertyDefinition& property) const {
  return EqualsIgnoringCase(property.Name(), "Name") ? Variant(database_->GetSchema().dataSource)
                                                     : Variant();
}

std::shared_ptr<Collection<Artifact>> RootArtifact::Related(
    const RelationshipDefinition& relationship) const {
  const int table = database_->GetSchema().TableIndex(relationship.Name());
  if (table < 0) {
    throw ComError(platform::kE_INVALIDARG,
                   "Database has no relationship \"" + relationship.Name() + "\"");
  }
  return std::make_shared<RowCollection>(database_, database_->Rows(table, {}, {}));
}

std::shared_ptr<Collection<Artifact>> RootArtifact::Related(
    const RelationshipDefinition& relationship, const ArtifactFilter& filter) const {
  const int table = database_->GetSchema().TableIndex(relationship.Name());
  if (table < 0) {
    throw ComError(platform::kE_INVALIDARG,
                   "Database has no relationship \"" + relationship.Name() + "\"");
  }
  std::vector<Cell> values;
  const std::string condition = FilterSql(database_->GetTable(table), filter, values);
  return std::make_shared<RowCollection>(database_,
                                         database_->Rows(table, {}, {}, condition, values));
}

std::string RootArtifact::Name() const { return database_->GetSchema().dataSource; }

std::string RootArtifact::Identifier() const { return database_->RootIdentifier(); }

std::shared_ptr<kestrel::Node> RootArtifact::Node() const {
  return std::make_shared<NodeObject>(Name(), nullptr, nullptr);
}

void RootArtifact::ExportPicture(const PictureExportSettings&) const {
  throw ComError(platform::kE_FAIL, Identifier() + ": no picture");
}

}  // namespace kestrel
