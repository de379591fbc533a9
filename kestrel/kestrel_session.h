// The data-source component's interface: what the data-source domains and the ancestors query
// ask of it. The component reads every SQLite database of its store folder as one data source;
// callers see only these interfaces, reached through the object registered under
// "KestrelCore.Session". Every call may throw platform::ComError.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/com_object.h"
#include "platform/variant.h"

namespace kestrel {

inline constexpr const char* kSessionProgId = "KestrelCore.Session";

// A list walked by zero-based index, as automation collections are. Item throws
// ComError(kE_INVALIDARG) for an index outside 0..Count()-1 or an index variant that is not a
// whole number.
template <class T>
class Collection {
 public:
  virtual ~Collection() = default;
  virtual int32_t Count() const = 0;
  virtual std::shared_ptr<T> Item(const platform::Variant& index) const = 0;
};

class ArtifactType;

class PropertyDefinition {
 public:
  virtual ~PropertyDefinition() = default;
  virtual std::string Name() const = 0;
  // True for a column that holds a password: its values are never shown.
  virtual bool IsSecret() const = 0;
};

class RelationshipDefinition {
 public:
  virtual ~RelationshipDefinition() = default;
  virtual std::string Name() const = 0;
  // The artifact type at the other end.
  virtual std::shared_ptr<ArtifactType> TargetType() const = 0;
  // False: at most one related artifact (a row's referenced row); true: a list.
  virtual bool IsMany() const = 0;
};

class PictureKind {
 public:
  virtual ~PictureKind() = default;
  virtual std::string Name() const = 0;
};

class ArtifactType {
 public:
  virtual ~ArtifactType() = default;
  virtual std::string Name() const = 0;
  // Null for a root type.
  virtual std::shared_ptr<ArtifactType> BaseType() const = 0;
  virtual std::shared_ptr<Collection<PropertyDefinition>> PropertyDefinitions() const = 0;
  virtual std::shared_ptr<Collection<RelationshipDefinition>> RelationshipDefinitions() const = 0;
  // Empty when artifacts of this type have no picture.
  virtual std::shared_ptr<Collection<PictureKind>> PictureKinds() const = 0;
  // True when this type is `other` or derives from it.
  virtual bool IsKindOf(const ArtifactType& other) const = 0;
};

// A node of the data source's hierarchy (a table's reference to itself).
class Node {
 public:
  virtual ~Node() = default;
  virtual std::string Text() const = 0;
  // Null at the top of the hierarchy.
  virtual std::shared_ptr<Node> Parent() const = 0;
};

// The settings of a picture export, in sections of keys: "File"/"Path", "Format"/"Format",
// "Format"/"Width", "Format"/"Height", "Format"/"UnitsPerInch".
class PictureExportSettings {
 public:
  void Set(const std::string& section, const std::string& key, const std::string& value) {
    sections_[section][key] = value;
  }
  // "" when absent.
  std::string Get(const std::string& section, const std::string& key) const {
    auto found = sections_.find(section);
    if (found == sections_.end()) return {};
    auto value = found->second.find(key);
    return value == found->second.end() ? std::string() : value->second;
  }

 private:
  std::map<std::string, std::map<std::string, std::string>> sections_;
};

// A condition tree that the data source evaluates itself when listing related artifacts.
// Operators: 0 "=", 1 "<>", 2 "<", 3 "<=", 4 ">", 5 ">=", 6 like, 7 not like (a like pattern
// is the foundation's search pattern, found anywhere in the text: "?" is any character and "*"
// repeats the item before it).
struct ArtifactFilter {
  enum class Kind { kAll, kAny, kCondition };
  Kind kind = Kind::kAll;
  std::vector<ArtifactFilter> children;  // kAll, kAny
  std::string property;                  // kCondition
  int32_t relationalOperator = 0;        // kCondition
  platform::Variant value;               // kCondition
};

class Artifact {
 public:
  virtual ~Artifact() = default;
  virtual std::shared_ptr<ArtifactType> Type() const = 0;
  // Empty for a NULL column. Integers that fit 32 bits are Int32, others are text; dates are
  // Date variants.
  virtual platform::Variant Value(const PropertyDefinition& property) const = 0;
  // The related artifacts in order (by the related type's primary key); a one-valued
  // relationship gives zero or one item.
  virtual std::shared_ptr<Collection<Artifact>> Related(
      const RelationshipDefinition& relationship) const = 0;
  // The same, keeping only the related artifacts the filter accepts.
  virtual std::shared_ptr<Collection<Artifact>> Related(const RelationshipDefinition& relationship,
                                                        const ArtifactFilter& filter) const = 0;
  virtual std::string Name() const = 0;
  // The artifact's locator text: data source ":" type ":" key "=" value joined by ",".
  virtual std::string Identifier() const = 0;
  // The artifact's node; a type without hierarchy gives a node without parent.
  virtual std::shared_ptr<kestrel::Node> Node() const = 0;
  // Writes the picture to the settings' "File"/"Path" in the asked format and size; throws
  // ComError when there is no picture or it cannot be read or written.
  virtual void ExportPicture(const PictureExportSettings& settings) const = 0;
};

class LocatorParameter {
 public:
  virtual ~LocatorParameter() = default;
  virtual std::string Name() const = 0;
  // The artifact type the parameter belongs to.
  virtual std::string ClassName() const = 0;
  virtual platform::Variant Value() const = 0;
  virtual void SetValue(const platform::Variant& value) = 0;
};

// Finds one artifact of a type by the values of its parameters.
class ArtifactLocator {
 public:
  virtual ~ArtifactLocator() = default;
  virtual std::shared_ptr<Collection<LocatorParameter>> Parameters() const = 0;
  // The identifier of the artifact the parameters name, or "" when they name none. `mode` is
  // the caller's lookup mode (0: exact).
  virtual std::string Identify(int32_t mode) const = 0;
};

class DataSource {
 public:
  virtual ~DataSource() = default;
  virtual std::string Name() const = 0;
  virtual std::string TypeText() const = 0;
  // Throws ComError naming the file when the data source cannot be read.
  virtual std::shared_ptr<Collection<ArtifactType>> ArtifactTypes() const = 0;
};

class Session : public platform::ComObject {
 public:
  virtual std::shared_ptr<Collection<DataSource>> DataSources() const = 0;
  // A fresh locator for artifacts of `typeName` in the data source.
  virtual std::shared_ptr<ArtifactLocator> Locator(const std::string& dataSourceName,
                                                   const std::string& typeName) const = 0;
  // The artifact an identifier (or a locator text, "\xHH" escapes decoded) names, or null.
  virtual std::shared_ptr<Artifact> ArtifactById(const std::string& identifier) const = 0;
};

}  // namespace kestrel
