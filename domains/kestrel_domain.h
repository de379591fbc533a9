// QuireKestrelDomain: one data source of the data-source component as a domain. Artifact types
// become classes, their properties attributes, their relationship definitions relationships and
// artifacts objects (QuireKestrelObject). Failures of the component are written to the
// diagnostic stream and reported to the caller as kEvaluationError
// (host_message::kTemplateCommandFailed "for domain <name>\nPlease refer Quire log for details").
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "domains/alias_file.h"
#include "foundation/quire_status.h"
#include "kestrel/kestrel_session.h"
#include "model/quire_abstract_domain.h"

class QuireKestrelDomain : public QuireAbstractDomain {
 public:
  // The domain of `source` (named as the source), with the external-schema and conversion
  // flags; alias and AKA from the alias table's section of the domain. Classes load on first
  // need (or through loadClasses).
  QuireKestrelDomain(std::shared_ptr<kestrel::DataSource> source, std::string name,
                     std::string typeText, AliasFile aliases);

  // Builds the classes once; later calls give the first call's outcome. On failure the status
  // is kEvaluationError with "No classes loaded, domain", "theArtifactTypes is empty, domain" or
  // "theArtifactTypes is NULL, domain:" directly followed by the name, or the status of member
  // creation.
  bool loadClasses(QuireStatus& status);
  void loadSchema(QuireStatus& status) override;

  // "--- Domain refresh: remote domain <name>" on the diagnostic stream, then RefreshDomain.
  void refresh() override;
  // CleanDomain.
  void clean() override;
  // Drop the cached lookups of located artifacts; objects handed out stay valid.
  void RefreshDomain();
  void CleanDomain();

  // Not offered: kProcessingError "QuireKestrelDomain::getSelectedObject: " and
  // host_message::kNoSelectedObjects; empty results.
  QuireObjectList getSelectedObjects(QuireStatus& status, const std::string& selection) override;
  QuireObject getSelectedObject(QuireStatus& status, const QuireClass& cls,
                                const std::string& identifier) override;
  // OPEN: locates the artifact by the values (matched by name to the locator's parameters) and
  // makes its object.
  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                         QuireStatus& status, int completeness) override;
  // "Image": the artifact's picture exported as a PNG file (see ExportPictureFolder).
  QuireAttributeValue getGraphicAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                               const std::string& imageName,
                                               const QuireObject& local) override;
  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override;
  QuireObject getUnaryRelatedObject(QuireStatus& status, const QuireRelationship& relationship,
                                    const QuireObject& local) override;
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                             const QuireObject& local, QuireObjectList& result) override;
  std::unique_ptr<QuireQueryFilter> newQueryFilter() override;
  // The related objects that the data source itself keeps by the filter. A data source that
  // cannot evaluate the filter answers kNotImplemented with an empty list, so that the caller
  // filters the related objects locally.
  void getFilteredNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                                     const QuireObject& local, const QuireQueryFilter& filter,
                                     QuireObjectList& result) override;

  // The object of the artifact that an identifier or locator text names.
  QuireObject LocateArtifactByID(QuireStatus& status, const std::string& identifier);
  // The identifier of an object's artifact (for a GENERATE request).
  std::string GetObjectID(QuireStatus& status, const QuireObject& object);

  // The container class and key attribute of a data source's root container: "Tracklet"
  // TLDatabase/Name, "Needwise" Project/Path, "Quill" Model/Path, "Trialdesk" Project/Path, any
  // other data source Database/Name.
  static void RootContainerOf(const std::string& dataSource, std::string& className,
                              std::string& keyName);
  // Opens the root container whose key attribute has `value`, then reads the extension file
  // again for this domain (a failure there is written to the diagnostic stream only). False
  // with the status set when no container is found.
  bool openRootContainer(QuireStatus& status, const std::string& value, QuireObject& container);

  const std::string& typeText() const { return typeText_; }
  AliasFile& aliases() { return aliases_; }

  // The located-artifact cache: lookups of equal requests hit the same entry; each map stops
  // growing at kCacheLimit entries.
  static constexpr size_t kCacheLimit = 2048;
  size_t cachedLocations() const { return located_[0].size() + located_[1].size(); }

 private:
  struct Members {
    std::unordered_map<std::string, std::shared_ptr<kestrel::PropertyDefinition>> properties;
    std::map<std::string, std::shared_ptr<kestrel::RelationshipDefinition>> relationships;
  };

  std::vector<std::shared_ptr<kestrel::ArtifactType>> SortArtifactTypes(
      const kestrel::Collection<kestrel::ArtifactType>& types);
  QuireClass CreateClass(const kestrel::ArtifactType& type, QuireStatus& status);
  void CreateClassArgs(const QuireClass& cls);
  template <class Definition>
  std::vector<std::shared_ptr<Definition>> SortSelectors(
      const QuireClass& cls, const kestrel::Collection<Definition>& definitions);
  void CreateSelector(const QuireClass& cls, const std::shared_ptr<kestrel::PropertyDefinition>& p);
  void CreateSelector(const QuireClass& cls,
                      const std::shared_ptr<kestrel::RelationshipDefinition>& relationship);
  void createMembers(const QuireClass& cls, const kestrel::ArtifactType& type);

  std::shared_ptr<kestrel::Artifact> locateArtifact(
      const QuireClass& cls, const std::vector<std::pair<std::string, std::string>>& arguments,
      int32_t mode);
  QuireObject LoadArtifact(QuireStatus& status, const QuireClass& cls,
                           const std::shared_ptr<kestrel::Artifact>& artifact);
  QuireObject GetDynamicTypeContainer(QuireStatus& status, const std::string& className,
                                      const std::string& keyName, const std::string& value);
  std::shared_ptr<kestrel::PropertyDefinition> propertyFor(const QuireAttribute& attribute,
                                                           const kestrel::Artifact& artifact);
  std::shared_ptr<kestrel::RelationshipDefinition> relationshipFor(
      const QuireRelationship& relationship);
  bool takesInFilter(const QuireAttribute& attribute);
  QuireStatus failure(const char* ending = "") const;
  QuireObjectList relatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                                 const QuireObject& local, const kestrel::ArtifactFilter* filter);

  std::shared_ptr<kestrel::DataSource> source_;
  std::string typeText_;
  AliasFile aliases_;
  bool classesTried_ = false;
  QuireStatus classStatus_;
  std::unordered_map<const void*, Members> members_;  // by class record
  std::map<std::string, std::shared_ptr<kestrel::Artifact>> located_[2];
};
