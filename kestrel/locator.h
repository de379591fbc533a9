// The locator of one artifact type: parameters named as the type's locator columns (the primary
// key, the rowid, or the description file's choice; "Name" for the root type "Database").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kestrel/database.h"
#include "kestrel/kestrel_session.h"

namespace kestrel {

class ParameterObject : public LocatorParameter {
 public:
  ParameterObject(std::string name, std::string className)
      : name_(std::move(name)), className_(std::move(className)) {}
  std::string Name() const override { return name_; }
  std::string ClassName() const override { return className_; }
  platform::Variant Value() const override { return value_; }
  void SetValue(const platform::Variant& value) override { value_ = value; }

 private:
  std::string name_;
  std::string className_;
  platform::Variant value_;
};

class LocatorObject : public ArtifactLocator {
 public:
  LocatorObject(std::shared_ptr<Database> database, int table);
  std::shared_ptr<Collection<LocatorParameter>> Parameters() const override;
  std::string Identify(int32_t mode) const override;

 private:
  std::shared_ptr<Database> database_;
  int table_;
  std::vector<int> columns_;
  std::vector<std::shared_ptr<LocatorParameter>> parameters_;
};

// The value a locator parameter compares with a column; NULL (monostate) for Empty and Null.
Cell CellFromVariant(const platform::Variant& value);

// The artifact whose columns (kRowid: the rowid) equal the values, the first in key order; null
// when none does.
std::shared_ptr<Artifact> FindArtifact(Database& database, int table,
                                       const std::vector<int>& columns,
                                       const std::vector<Cell>& values);

}  // namespace kestrel
