// The schema objects callers see: artifact types, property and relationship definitions and
// picture kinds. They live inside their Database and are handed out as pointers that keep it
// alive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kestrel/kestrel_session.h"

namespace kestrel {

class Database;

class PropertyObject final : public PropertyDefinition {
 public:
  PropertyObject(std::string name, bool secret, int column)
      : name_(std::move(name)), secret_(secret), column_(column) {}
  std::string Name() const override { return name_; }
  bool IsSecret() const override { return secret_; }
  int ColumnIndex() const { return column_; }

 private:
  std::string name_;
  bool secret_;
  int column_;  // -1: the root's "Name"
};

class RelationshipObject : public RelationshipDefinition {
 public:
  RelationshipObject(Database& database, int owner, int index, std::string name, int target,
                     bool many)
      : database_(database),
        owner_(owner),
        index_(index),
        name_(std::move(name)),
        target_(target),
        many_(many) {}
  std::string Name() const override { return name_; }
  std::shared_ptr<ArtifactType> TargetType() const override;
  bool IsMany() const override { return many_; }
  int Owner() const { return owner_; }
  int Index() const { return index_; }  // in the owner's relationships

 private:
  Database& database_;
  int owner_;
  int index_;
  std::string name_;
  int target_;
  bool many_;
};

class PictureKindObject : public PictureKind {
 public:
  std::string Name() const override { return "Picture"; }
};

class TypeObject : public ArtifactType {
 public:
  // The type of a table, or the root type "Database" for kRootTable.
  TypeObject(Database& database, int table);
  std::string Name() const override { return name_; }
  std::shared_ptr<ArtifactType> BaseType() const override;
  std::shared_ptr<Collection<PropertyDefinition>> PropertyDefinitions() const override;
  std::shared_ptr<Collection<RelationshipDefinition>> RelationshipDefinitions() const override;
  std::shared_ptr<Collection<PictureKind>> PictureKinds() const override;
  bool IsKindOf(const ArtifactType& other) const override;

  int Table() const { return table_; }
  const PropertyObject* FindProperty(const std::string& name) const;
  // True when `property` is one of this type's own objects.
  bool Owns(const PropertyObject& property) const;
  const RelationshipObject* FindRelationship(const std::string& name) const;

 private:
  Database& database_;
  int table_;
  std::string name_;
  std::vector<std::unique_ptr<PropertyObject>> properties_;
  std::vector<std::unique_ptr<RelationshipObject>> relationships_;
  std::unique_ptr<PictureKindObject> pictureKind_;
};

}  // namespace kestrel
