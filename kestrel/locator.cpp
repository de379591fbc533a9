// Locating artifacts by parameter values.
#include "kestrel/locator.h"

#include "kestrel/identifier.h"

namespace kestrel {

using platform::Variant;
using platform::VariantType;

Cell CellFromVariant(const Variant& value) {
  switch (value.Type()) {
    case VariantType::kEmpty:
    case VariantType::kNull:
      return std::monostate();
    case VariantType::kBool:
      return Cell(int64_t{value.AsBool() ? 1 : 0});
    case VariantType::kInt32:
    case VariantType::kInt16:
    case VariantType::kByte:
      return Cell(int64_t{value.ChangeToInt32()});
    case VariantType::kDouble:
    case VariantType::kFloat:
      return Cell(value.ChangeToDouble());
    case VariantType::kDate:
      return Cell(value.ChangeToString());
    case VariantType::kString:
      return CellFromText(value.AsString());
  }
  return std::monostate();
}

std::shared_ptr<Artifact> FindArtifact(Database& database, int table,
                                       const std::vector<int>& columns,
                                       const std::vector<Cell>& values) {
  std::shared_ptr<const RowSet> rows = database.Rows(table, columns, values, "", {}, 1);
  if (rows->Count() == 0) return nullptr;
  return database.MakeArtifact(std::move(rows), 0);
}

LocatorObject::LocatorObject(std::shared_ptr<Database> database, int table)
    : database_(std::move(database)), table_(table) {
  if (table == kRootTable) {
    parameters_.push_back(std::make_shared<ParameterObject>("Name", "Database"));
    return;
  }
  const Table& own = database_->GetTable(table);
  columns_ = own.locator.empty() ? std::vector<int>{kRowid} : own.locator;
  for (int column : columns_) {
    parameters_.push_back(std::make_shared<ParameterObject>(
        column == kRowid ? std::string("rowid") : own.columns[column].name, own.name));
  }
}

std::shared_ptr<Collection<LocatorParameter>> LocatorObject::Parameters() const {
  return std::make_shared<VectorCollection<LocatorParameter>>(parameters_);
}

std::string LocatorObject::Identify(int32_t) const {
  if (table_ == kRootTable) {
    std::optional<std::string> name = parameters_.front()->Value().TryString();
    return name && *name == database_->GetSchema().dataSource ? database_->RootIdentifier()
                                                              : std::string();
  }
  std::vector<Cell> values;
  for (const auto& parameter : parameters_) {
    values.push_back(CellFromVariant(parameter->Value()));
    if (std::holds_alternative<std::monostate>(values.back())) return std::string();
  }
  std::shared_ptr<Artifact> found = FindArtifact(*database_, table_, columns_, values);
  return found ? found->Identifier() : std::string();
}

}  // namespace kestrel
