// The session: the store's data sources, locators and lookups by identifier; and its
// registration with the component factory.
#include <mutex>

#include "foundation/text_helpers.h"
#include "kestrel/identifier.h"
#include "kestrel/locator.h"
#include "kestrel/session_registration.h"
#include "kestrel/store.h"
#include "platform/com_error.h"
#include "platform/com_factory.h"

namespace kestrel {
namespace {

using platform::ComError;

class SessionObject : public Session {
 public:
  explicit SessionObject(std::string folder) : folder_(std::move(folder)) {}

  std::shared_ptr<Collection<DataSource>> DataSources() const override {
    std::vector<std::shared_ptr<DataSource>> items;
    for (const auto& source : Sources()) items.push_back(source);
    return std::make_shared<VectorCollection<DataSource>>(std::move(items));
  }

  std::shared_ptr<ArtifactLocator> Locator(const std::string& dataSourceName,
                                           const std::string& typeName) const override {
    const std::shared_ptr<DataSourceObject> source = Find(dataSourceName);
    if (!source) {
      throw ComError(platform::kE_INVALIDARG, "no data source \"" + dataSourceName + "\"");
    }
    std::shared_ptr<Database> database = source->Open();
    int table = database->GetSchema().TableIndex(typeName);
    if (table < 0 && EqualsIgnoringCase(typeName, "Database")) table = kRootTable;
    if (table < 0 && !EqualsIgnoringCase(typeName, "Database")) {
      throw ComError(platform::kE_INVALIDARG,
                     "no artifact type \"" + typeName + "\" in " + dataSourceName);
    }
    return std::make_shared<LocatorObject>(std::move(database), table);
  }

  std::shared_ptr<Artifact> ArtifactById(const std::string& identifier) const override {
    // Escapes are decoded in each part once; a text that was escaped once more on its way (the
    // ancestors query escapes blanks and backslashes of the whole text) is tried decoded twice.
    std::shared_ptr<Artifact> found = Lookup(identifier, 1);
    if (!found && DecodeEscapes(identifier) != DecodeEscapes(DecodeEscapes(identifier))) {
      found = Lookup(identifier, 2);
    }
    // A text whose ":", "," or "=" were escaped too is read decoded as a whole.
    if (!found && DecodeEscapes(identifier) != identifier) {
      found = Lookup(DecodeEscapes(identifier), 0);
    }
    return found;
  }

 private:
  const std::vector<std::shared_ptr<DataSourceObject>>& Sources() const {
    std::lock_guard lock(mutex_);
    if (!scanned_) {
      sources_ = ScanStore(folder_);
      scanned_ = true;
    }
    return sources_;
  }

  std::shared_ptr<DataSourceObject> Find(const std::string& name) const {
    for (const auto& source : Sources()) {
      if (source->Name() == name) return source;
    }
    for (const auto& source : Sources()) {
      if (EqualsIgnoringCase(source->Name(), name)) return source;
    }
    return nullptr;
  }

  std::shared_ptr<Artifact> Lookup(const std::string& identifier, int decodeTimes) const {
    std::optional<ParsedIdentifier> parsed = ParseIdentifier(identifier, decodeTimes);
    if (!parsed) return nullptr;
    const std::shared_ptr<DataSourceObject> source = Find(parsed->dataSource);
    if (!source) return nullptr;
    std::shared_ptr<Database> database = source->Open();
    const Schema& schema = database->GetSchema();
    int table = schema.TableIndex(parsed->type);
    if (EqualsIgnoringCase(parsed->type, "Database") && parsed->parameters.size() == 1 &&
        EqualsIgnoringCase(parsed->parameters.front().first, "Name") &&
        (table < 0 || schema.tables[table].ColumnIndex("Name") < 0)) {
      return parsed->parameters.front().second == schema.dataSource ? database->RootArtifact()
                                                                    : nullptr;
    }
    if (table < 0) return nullptr;
    const Table& own = schema.tables[table];
    std::vector<int> columns;
    std::vector<Cell> values;
    for (const auto& [name, value] : parsed->parameters) {
      int column = own.ColumnIndex(name);
      if (column < 0) {
        if (!own.HasRowid() || !EqualsIgnoringCase(name, "rowid")) return nullptr;
        column = kRowid;
      }
      columns.push_back(column);
      values.push_back(CellFromText(value));
    }
    return FindArtifact(*database, table, columns, values);
  }

  std::string folder_;
  mutable std::mutex mutex_;
  mutable bool scanned_ = false;
  mutable std::vector<std::shared_ptr<DataSourceObject>> sources_;
};

}  // namespace

std::shared_ptr<Session> MakeSession(const std::string& storeFolder) {
  return std::make_shared<SessionObject>(storeFolder);
}

void RegisterSession(const std::string& storeFolder) {
  platform::ComFactory::Register(
      kSessionProgId,
      [storeFolder]() -> std::shared_ptr<platform::ComObject> { return MakeSession(storeFolder); });
}

}  // namespace kestrel
