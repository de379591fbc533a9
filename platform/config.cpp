#include "platform/config.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "foundation/cx_elf_hash.h"
#include "foundation/cx_table.h"
#include "foundation/host_hooks.h"
#include "platform/ini_file.h"
#include "platform/own_strings.h"
#include "platform/registry.h"
#include "platform/resource_module.h"

namespace platform {
namespace {

constexpr size_t kSettingsBufferSize = 4096;
// The Windows user-name limit (UNLEN); a longer name counts as unknown.
constexpr size_t kMaxUserNameLength = 256;

using InitParameterTable = CX_TTable<std::string, std::string, 31>;

// The host binds parameters on its own threads while the command and consumer threads look them
// up, so every access takes the lock.
class InitParameters {
 public:
  bool Bind(const std::string& name, const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    return table_.Bind(name, value);
  }

  std::optional<std::string> Find(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string* value = table_.ValueOf(name);
    return value != nullptr ? std::optional<std::string>(*value) : std::nullopt;
  }

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    table_ = InitParameterTable(&CX_ElfHash);
  }

 private:
  mutable std::mutex mutex_;
  InitParameterTable table_{&CX_ElfHash};
};

// Never destroyed: a thread still looking a key up while the process exits must find it alive.
InitParameters& TheInitParameters() {
  static InitParameters& parameters = *new InitParameters;
  return parameters;
}

// Set while this thread locates the settings file; the lookups made meanwhile skip the settings
// file, which is what stops a home folder configured nowhere from recursing without end.
thread_local bool t_locating_settings_file = false;

class LocatingSettingsFile {
 public:
  LocatingSettingsFile() : previous_(t_locating_settings_file) { t_locating_settings_file = true; }
  ~LocatingSettingsFile() { t_locating_settings_file = previous_; }
  LocatingSettingsFile(const LocatingSettingsFile&) = delete;
  LocatingSettingsFile& operator=(const LocatingSettingsFile&) = delete;

 private:
  bool previous_;
};

std::string ReadRegistry(const std::string& key) {
  return Registry::ReadLocalMachineString(OwnStringText(kRegistryKeyStringId), key).value_or("");
}

// The name of the user the process runs as, or nullopt when it cannot be told.
std::optional<std::string> ProcessUserName() {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  std::string name;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_name != nullptr) {
    name = found->pw_name;
  } else {
    char login[kMaxUserNameLength + 2] = {};
    if (getlogin_r(login, sizeof login) == 0) name = login;
  }
  if (name.empty() || name.size() > kMaxUserNameLength) return std::nullopt;
  return name;
}

// Whether the file can be opened for reading and writing (a folder cannot).
bool OpensReadWrite(const std::string& path) {
  int descriptor = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (descriptor < 0) return false;
  close(descriptor);
  return true;
}

// The host settings file: home/user/NAME when it opens read-write (home/NAME when the user is
// unknown), else DATA/NAME. nullopt when neither folder is configured: a settings file at the
// root of the file system is not the installation's.
std::optional<std::string> LocateSettingsFile() {
  const std::string file_name = HostString(kSettingsFileStringId);
  if (file_name.empty()) return std::nullopt;

  LocatingSettingsFile locating;
  const std::string home = GetConfigValue(OwnStringText(kHomeKeyStringId));
  if (!home.empty()) {
    std::optional<std::string> user = ProcessUserName();
    std::string candidate = home + "/" + (user ? *user + "/" : std::string()) + file_name;
    if (OpensReadWrite(candidate)) return candidate;
  }
  const std::string data = GetConfigValue(HostString(kDataFolderKeyStringId));
  if (data.empty()) return std::nullopt;
  return data + "/" + file_name;
}

}  // namespace

void BindInitParameter(const std::string& name, const std::string& value) {
  TheInitParameters().Bind(name, value);
}

std::optional<std::string> InitParameter(const std::string& name) {
  return TheInitParameters().Find(name);
}

void ClearInitParametersForTesting() { TheInitParameters().Clear(); }

std::string GetConfigValue(const std::string& key) {
  std::optional<std::string> bound = TheInitParameters().Find(key);
  std::string result = bound ? std::move(*bound) : ReadRegistry(key);
  // An init parameter bound to "" hides the registry but not the settings file.
  if (!result.empty() || t_locating_settings_file) return result;

  const std::string section = HostString(kSettingsSectionStringId);
  if (section.empty()) return result;
  if (std::optional<std::string> path = LocateSettingsFile()) {
    result = GetPrivateProfileString(section, key, "", *path, kSettingsBufferSize);
  }
  return result;
}

void ConfigSetting::Resolve(const std::string& key) {
  if (key.empty() || key == key_) return;
  key_ = key;
  value_ = GetConfigValue(key);
  found_ = !value_.empty();
  if (found_) return;
  // A variable that exists counts as found even when its text is empty. No variable name holds
  // "=" (getenv would match a prefix of another variable).
  if (key.find('=') != std::string::npos) return;
  if (const char* variable = std::getenv(key.c_str())) {
    value_ = variable;
    found_ = true;
  }
}

}  // namespace platform
