// A small in-memory stand-in for the data-source component, for what real databases cannot
// show: a data source without artifact types, and the "Tracklet" locator's own parameters.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kestrel/kestrel_session.h"
#include "platform/com_error.h"

namespace fake_data_source {

template <class T>
class List : public kestrel::Collection<T> {
 public:
  explicit List(std::vector<std::shared_ptr<T>> items = {}) : items_(std::move(items)) {}
  int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
  std::shared_ptr<T> Item(const platform::Variant& index) const override {
    const int32_t at = index.AsInt32();
    if (at < 0 || at >= Count()) throw platform::ComError(platform::kE_INVALIDARG, "index");
    return items_[at];
  }

 private:
  std::vector<std::shared_ptr<T>> items_;
};

class Property : public kestrel::PropertyDefinition {
 public:
  explicit Property(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  bool IsSecret() const override { return false; }

 private:
  std::string name_;
};

class Type : public kestrel::ArtifactType {
 public:
  explicit Type(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  std::shared_ptr<kestrel::ArtifactType> BaseType() const override { return nullptr; }
  std::shared_ptr<kestrel::Collection<kestrel::PropertyDefinition>> PropertyDefinitions()
      const override {
    return std::make_shared<List<kestrel::PropertyDefinition>>(
        std::vector<std::shared_ptr<kestrel::PropertyDefinition>>{
            std::make_shared<Property>("Name")});
  }
  std::shared_ptr<kestrel::Collection<kestrel::RelationshipDefinition>> RelationshipDefinitions()
      const override {
    return std::make_shared<List<kestrel::RelationshipDefinition>>();
  }
  std::shared_ptr<kestrel::Collection<kestrel::PictureKind>> PictureKinds() const override {
    return nullptr;
  }
  bool IsKindOf(const kestrel::ArtifactType& other) const override { return other.Name() == name_; }

 private:
  std::string name_;
};

class Artifact : public kestrel::Artifact {
 public:
  Artifact(std::shared_ptr<kestrel::ArtifactType> type, std::string identifier)
      : type_(std::move(type)), identifier_(std::move(identifier)) {}
  std::shared_ptr<kestrel::ArtifactType> Type() const override { return type_; }
  platform::Variant Value(const kestrel::PropertyDefinition&) const override {
    return platform::Variant(identifier_);
  }
  std::shared_ptr<kestrel::Collection<kestrel::Artifact>> Related(
      const kestrel::RelationshipDefinition&) const override {
    return std::make_shared<List<kestrel::Artifact>>();
  }
  std::shared_ptr<kestrel::Collection<kestrel::Artifact>> Related(
      const kestrel::RelationshipDefinition& relationship,
      const kestrel::ArtifactFilter&) const override {
    return Related(relationship);
  }
  std::string Name() const override { return identifier_; }
  std::string Identifier() const override { return identifier_; }
  std::shared_ptr<kestrel::Node> Node() const override { return nullptr; }
  void ExportPicture(const kestrel::PictureExportSettings&) const override {
    throw platform::ComError(platform::kE_FAIL, "no picture");
  }

 private:
  std::shared_ptr<kestrel::ArtifactType> type_;
  std::string identifier_;
};

// The values that the last locator's parameters were given, by parameter name.
inline std::map<std::string, platform::Variant>& LastParameterValues() {
  static std::map<std::string, platform::Variant> values;
  return values;
}

class Parameter : public kestrel::LocatorParameter {
 public:
  Parameter(std::string name, std::string className)
      : name_(std::move(name)), className_(std::move(className)) {}
  std::string Name() const override { return name_; }
  std::string ClassName() const override { return className_; }
  platform::Variant Value() const override { return LastParameterValues()[name_]; }
  void SetValue(const platform::Variant& value) override { LastParameterValues()[name_] = value; }

 private:
  std::string name_;
  std::string className_;
};

// "Name" of the type, and also "MinimizeSpace" for "TLDatabase", "Format" for "Document";
// identifies "<ds>:<type>:Name=..".
class Locator : public kestrel::ArtifactLocator {
 public:
  Locator(std::string dataSource, std::string type)
      : dataSource_(std::move(dataSource)), type_(std::move(type)) {
    LastParameterValues().clear();
  }
  std::shared_ptr<kestrel::Collection<kestrel::LocatorParameter>> Parameters() const override {
    std::vector<std::shared_ptr<kestrel::LocatorParameter>> parameters{
        std::make_shared<Parameter>("Name", type_)};
    if (type_ == "TLDatabase")
      parameters.push_back(std::make_shared<Parameter>("MinimizeSpace", type_));
    if (type_ == "Document") parameters.push_back(std::make_shared<Parameter>("Format", type_));
    return std::make_shared<List<kestrel::LocatorParameter>>(parameters);
  }
  std::string Identify(int32_t) const override {
    auto name = LastParameterValues().find("Name");
    if (name == LastParameterValues().end()) return "";
    return dataSource_ + ":" + type_ + ":Name=" + name->second.ChangeToString();
  }

 private:
  std::string dataSource_;
  std::string type_;
};

class DataSource : public kestrel::DataSource {
 public:
  // `types` null: the data source answers no collection at all.
  DataSource(std::string name, std::shared_ptr<List<kestrel::ArtifactType>> types)
      : name_(std::move(name)), types_(std::move(types)) {}
  std::string Name() const override { return name_; }
  std::string TypeText() const override { return "Fake"; }
  std::shared_ptr<kestrel::Collection<kestrel::ArtifactType>> ArtifactTypes() const override {
    return types_;
  }

 private:
  std::string name_;
  std::shared_ptr<List<kestrel::ArtifactType>> types_;
};

// Data sources: "Tracklet" (type "TLDatabase"), "Word" (type "Document"), "Hollow" (no types),
// "Nothing" (no collection).
class Session : public kestrel::Session {
 public:
  std::shared_ptr<kestrel::Collection<kestrel::DataSource>> DataSources() const override {
    return std::make_shared<List<kestrel::DataSource>>(
        std::vector<std::shared_ptr<kestrel::DataSource>>{
            std::make_shared<DataSource>(
                "Tracklet", std::make_shared<List<kestrel::ArtifactType>>(
                                std::vector<std::shared_ptr<kestrel::ArtifactType>>{tracklet_})),
            std::make_shared<DataSource>(
                "Word", std::make_shared<List<kestrel::ArtifactType>>(
                            std::vector<std::shared_ptr<kestrel::ArtifactType>>{document_})),
            std::make_shared<DataSource>("Hollow", std::make_shared<List<kestrel::ArtifactType>>()),
            std::make_shared<DataSource>("Nothing", nullptr)});
  }
  std::shared_ptr<kestrel::ArtifactLocator> Locator(const std::string& dataSource,
                                                    const std::string& type) const override {
    return std::make_shared<fake_data_source::Locator>(dataSource, type);
  }
  std::shared_ptr<kestrel::Artifact> ArtifactById(const std::string& identifier) const override {
    if (identifier.rfind("Tracklet:TLDatabase:", 0) == 0)
      return std::make_shared<Artifact>(tracklet_, identifier);
    if (identifier.rfind("Word:Document:", 0) == 0)
      return std::make_shared<Artifact>(document_, identifier);
    return nullptr;
  }

 private:
  std::shared_ptr<kestrel::ArtifactType> tracklet_ = std::make_shared<Type>("TLDatabase");
  std::shared_ptr<kestrel::ArtifactType> document_ = std::make_shared<Type>("Document");
};

}  // namespace fake_data_source
