// The schema objects of a data source.
#include "kestrel/type_objects.h"

#include "foundation/text_helpers.h"
#include "kestrel/database.h"

namespace kestrel {

std::shared_ptr<ArtifactType> RelationshipObject::TargetType() const {
  return database_.Type(target_);
}

TypeObject::TypeObject(Database& database, int table) : database_(database), table_(table) {
  const Schema& schema = database.GetSchema();
  if (table == kRootTable) {
    name_ = "Database";
    properties_.push_back(std::make_unique<PropertyObject>("Name", false, -1));
    for (int i = 0; i < static_cast<int>(schema.tables.size()); ++i) {
      relationships_.push_back(std::make_unique<RelationshipObject>(
          database, kRootTable, i, schema.tables[i].name, i, true));
    }
    return;
  }
  const kestrel::Table& own = schema.tables[table];
  name_ = own.name;
  for (int column : own.properties) {
    properties_.push_back(std::make_unique<PropertyObject>(own.columns[column].name,
                                                           own.columns[column].secret, column));
  }
  for (int i = 0; i < static_cast<int>(own.relationships.size()); ++i) {
    const Relationship& relationship = own.relationships[i];
    relationships_.push_back(std::make_unique<RelationshipObject>(
        database, table, i, relationship.name, relationship.target, relationship.many));
  }
  if (own.pictureColumn >= 0) pictureKind_ = std::make_unique<PictureKindObject>();
}

std::shared_ptr<ArtifactType> TypeObject::BaseType() const {
  if (table_ == kRootTable) return nullptr;
  const int base = database_.GetTable(table_).base;
  return base < 0 ? nullptr : database_.Type(base);
}

namespace {

// Pointers to members of the database that keep the whole database alive.
template <class Interface, class Object>
std::shared_ptr<Collection<Interface>> Aliased(
    const std::shared_ptr<Database>& owner, const std::vector<std::unique_ptr<Object>>& objects) {
  std::vector<std::shared_ptr<Interface>> items;
  items.reserve(objects.size());
  for (const auto& object : objects) items.emplace_back(owner, object.get());
  return std::make_shared<VectorCollection<Interface>>(std::move(items));
}

}  // namespace

std::shared_ptr<Collection<PropertyDefinition>> TypeObject::PropertyDefinitions() const {
  return Aliased<PropertyDefinition>(database_.shared_from_this(), properties_);
}

std::shared_ptr<Collection<RelationshipDefinition>> TypeObject::RelationshipDefinitions() const {
  return Aliased<RelationshipDefinition>(database_.shared_from_this(), relationships_);
}

std::shared_ptr<Collection<PictureKind>> TypeObject::PictureKinds() const {
  std::vector<std::shared_ptr<PictureKind>> kinds;
  if (pictureKind_) kinds.emplace_back(database_.shared_from_this(), pictureKind_.get());
  return std::make_shared<VectorCollection<PictureKind>>(std::move(kinds));
}

bool TypeObject::IsKindOf(const ArtifactType& other) const {
  const auto* otherType = dynamic_cast<const TypeObject*>(&other);
  if (otherType == nullptr || &otherType->database_ != &database_) return false;
  int current = table_;
  for (size_t steps = 0; steps <= database_.GetSchema().tables.size(); ++steps) {
    if (current == otherType->table_) return true;
    if (current == kRootTable) return false;
    current = database_.GetTable(current).base;
    if (current < 0) return false;
  }
  return false;
}

const PropertyObject* TypeObject::FindProperty(const std::string& name) const {
  for (const auto& property : properties_) {
    if (property->Name() == name) return property.get();
  }
  for (const auto& property : properties_) {
    if (EqualsIgnoringCase(property->Name(), name)) return property.get();
  }
  return nullptr;
}

bool TypeObject::Owns(const PropertyObject& property) const {
  for (const auto& own : properties_) {
    if (own.get() == &property) return true;
  }
  return false;
}

const RelationshipObject* TypeObject::FindRelationship(const std::string& name) const {
  for (const auto& relationship : relationships_) {
    if (relationship->Name() == name) return relationship.get();
  }
  for (const auto& relationship : relationships_) {
    if (EqualsIgnoringCase(relationship->Name(), name)) return relationship.get();
  }
  return nullptr;
}

}  // namespace kestrel
