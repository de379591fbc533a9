// Scanning the store folder and building databases from SQL scripts.
#include "kestrel/store.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

#include "kestrel/sqlite_handle.h"
#include "platform/com_error.h"
#include "platform/fault_injection.h"
#include "platform/folder_listing.h"

namespace kestrel {

namespace fs = std::filesystem;
using platform::ComError;

namespace {

bool IsDatabaseExtension(const std::string& extension) {
  return extension == ".db" || extension == ".sqlite" || extension == ".sqlite3" ||
         extension == ".db3";
}

}  // namespace

std::string DataSourceObject::TypeText() const {
  try {
    return Open()->GetSchema().typeText;
  } catch (const ComError&) {
    return "SQLite";
  }
}

std::shared_ptr<Collection<ArtifactType>> DataSourceObject::ArtifactTypes() const {
  return std::make_shared<VectorCollection<ArtifactType>>(Open()->Types());
}

std::shared_ptr<Database> DataSourceObject::Open() const {
  std::lock_guard lock(mutex_);
  if (database_) return database_;
  std::error_code error;
  if (!scriptPath_.empty() && !fs::exists(databasePath_, error)) {
    BuildDatabaseFromScript(scriptPath_, databasePath_);
  }
  database_ = Database::Open(databasePath_, name_, descriptionPath_);
  return database_;
}

std::vector<std::shared_ptr<DataSourceObject>> ScanStore(const std::string& folder) {
  std::vector<fs::path> databases;
  std::vector<fs::path> scripts;
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    if (!entry.regular) continue;
    const fs::path path = fs::path(folder) / entry.name;
    const std::string extension = path.extension().string();
    if (IsDatabaseExtension(extension)) databases.push_back(path);
    if (extension == ".sql") scripts.push_back(path);
  }
  std::sort(databases.begin(), databases.end());
  std::sort(scripts.begin(), scripts.end());
  std::map<std::string, std::shared_ptr<DataSourceObject>> byName;
  auto description = [](fs::path path) { return path.replace_extension(".kestrel").string(); };
  for (const fs::path& path : databases) {
    const std::string name = path.stem().string();
    if (byName.count(name) == 0) {
      byName[name] = std::make_shared<DataSourceObject>(name, path.string(), "", description(path));
    }
  }
  for (const fs::path& path : scripts) {
    const std::string name = path.stem().string();
    if (byName.count(name) == 0) {
      fs::path database = path;
      database.replace_extension(".db");
      byName[name] = std::make_shared<DataSourceObject>(name, database.string(), path.string(),
                                                        description(path));
    }
  }
  std::vector<std::shared_ptr<DataSourceObject>> sources;
  for (auto& [name, source] : byName) sources.push_back(std::move(source));
  return sources;
}

void BuildDatabaseFromScript(const std::string& scriptPath, const std::string& databasePath) {
  std::ifstream in(scriptPath, std::ios::binary);
  if (!in) throw ComError(platform::kE_FAIL, scriptPath + ": cannot be read");
  std::stringstream script;
  script << in.rdbuf();
  static std::atomic<int> counter{0};
  const std::string temporary =
      databasePath + ".building" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  sqlite3* database = nullptr;
  const int opened = sqlite3_open_v2(temporary.c_str(), &database,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  try {
    if (opened != SQLITE_OK) {
      throw ComError(platform::kE_FAIL, scriptPath + ": " + sqlite3_errmsg(database));
    }
    ExecuteScript(database, script.str(), scriptPath);
  } catch (...) {
    sqlite3_close_v2(database);
    std::remove(temporary.c_str());
    throw;
  }
  sqlite3_close_v2(database);
  // rename(2) itself: nothing between the build and the rename may throw and leave the
  // temporary file behind.
  int failure = 0;
  if (platform::InjectFault(platform::Seam::Rename)) {
    failure = EACCES;
  } else if (::rename(temporary.c_str(), databasePath.c_str()) != 0) {
    failure = errno;
  }
  if (failure != 0) {
    std::remove(temporary.c_str());
    throw ComError(platform::kE_FAIL, scriptPath + ": " + std::generic_category().message(failure));
  }
}

}  // namespace kestrel
