// The artifacts callers see: a table row, the data source's root, and the hierarchy's nodes.
#pragma once

#include <memory>
#include <string>

#include "kestrel/database.h"
#include "kestrel/kestrel_session.h"

namespace kestrel {

// One row of a RowSet; it shares the rows it was listed with.
class RowArtifact : public Artifact, public std::enable_shared_from_this<RowArtifact> {
 public:
  RowArtifact(std::shared_ptr<Database> database, std::shared_ptr<const RowSet> rows, size_t row)
      : database_(std::move(database)), rows_(std::move(rows)), row_(row) {}

  std::shared_ptr<ArtifactType> Type() const override;
  platform::Variant Value(const PropertyDefinition& property) const override;
  std::shared_ptr<Collection<Artifact>> Related(
      const RelationshipDefinition& relationship) const override;
  std::shared_ptr<Collection<Artifact>> Related(const RelationshipDefinition& relationship,
                                                const ArtifactFilter& filter) const override;
  std::string Name() const override;
  std::string Identifier() const override;
  std::shared_ptr<kestrel::Node> Node() const override;
  void ExportPicture(const PictureExportSettings& settings) const override;

  // The row the hierarchy's reference names, or null (top, NULL or dangling reference).
  std::shared_ptr<RowArtifact> HierarchyParent() const;

 private:
  std::shared_ptr<Collection<Artifact>> RelatedRows(const RelationshipDefinition& relationship,
                                                    const ArtifactFilter* filter) const;

  std::shared_ptr<Database> database_;
  std::shared_ptr<const RowSet> rows_;
  size_t row_;
};

// The root artifact "Database": its relationships list every row of each table.
class RootArtifact : public Artifact {
 public:
  explicit RootArtifact(std::shared_ptr<Database> database) : database_(std::move(database)) {}

  std::shared_ptr<ArtifactType> Type() const override;
  platform::Variant Value(const PropertyDefinition& property) const override;
  std::shared_ptr<Collection<Artifact>> Related(
      const RelationshipDefinition& relationship) const override;
  std::shared_ptr<Collection<Artifact>> Related(const RelationshipDefinition& relationship,
                                                const ArtifactFilter& filter) const override;
  std::string Name() const override;
  std::string Identifier() const override;
  std::shared_ptr<kestrel::Node> Node() const override;
  void ExportPicture(const PictureExportSettings& settings) const override;

 private:
  std::shared_ptr<Database> database_;
};

// The artifacts of a RowSet, made when asked for.
class RowCollection : public Collection<Artifact> {
 public:
  RowCollection(std::shared_ptr<Database> database, std::shared_ptr<const RowSet> rows)
      : database_(std::move(database)), rows_(std::move(rows)) {}
  int32_t Count() const override { return static_cast<int32_t>(rows_->Count()); }
  std::shared_ptr<Artifact> Item(const platform::Variant& index) const override;

 private:
  std::shared_ptr<Database> database_;
  std::shared_ptr<const RowSet> rows_;
};

}  // namespace kestrel
