// The store folder: each database file in it is one data source, named after the file without
// its extension; a "<name>.sql" file without a database of that name beside it is built into
// "<name>.db" when the data source is first used.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kestrel/database.h"
#include "kestrel/kestrel_session.h"

namespace kestrel {

class DataSourceObject : public DataSource {
 public:
  DataSourceObject(std::string name, std::string databasePath, std::string scriptPath,
                   std::string descriptionPath)
      : name_(std::move(name)),
        databasePath_(std::move(databasePath)),
        scriptPath_(std::move(scriptPath)),
        descriptionPath_(std::move(descriptionPath)) {}

  std::string Name() const override { return name_; }
  // The description file's type, or "SQLite" (also for a data source that cannot be read).
  std::string TypeText() const override;
  // Throws ComError naming the file when the data source cannot be read.
  std::shared_ptr<Collection<ArtifactType>> ArtifactTypes() const override;

  // The opened database (built from its script first when needed); throws ComError.
  std::shared_ptr<Database> Open() const;

 private:
  std::string name_;
  std::string databasePath_;
  std::string scriptPath_;  // "" unless the database is built from a script
  std::string descriptionPath_;
  mutable std::mutex mutex_;
  mutable std::shared_ptr<Database> database_;
};

// The data sources of the folder in name order: files with the extensions .db, .sqlite,
// .sqlite3 and .db3 (regular files only), then scripts (.sql) without such a database.
// When two files give the same name, the first in file-name order is taken.
std::vector<std::shared_ptr<DataSourceObject>> ScanStore(const std::string& folder);

// Builds the database from the SQL script: run into a temporary file beside it, then renamed,
// so that a failure leaves no half database. Throws ComError naming the script.
void BuildDatabaseFromScript(const std::string& scriptPath, const std::string& databasePath);

}  // namespace kestrel
