// The configuration lookup that every layer uses: init parameters set by the host, then the
// registry, then the host's settings file; a ConfigSetting also consults the process environment.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Binds name to value in the process-wide init-parameter table (31 buckets, ELF hash, exact
// case-sensitive keys). The first binding of a name wins for the life of the library; later ones
// are ignored. Any thread.
void BindInitParameter(const std::string& name, const std::string& value);

// The value bound to name in the init-parameter table, if any (no registry, file or environment).
std::optional<std::string> InitParameter(const std::string& name);

// Empties the init-parameter table. Only for tests: the library itself never clears it.
void ClearInitParametersForTesting();

// The plain lookup: the init parameter, else the registry value under the key of string
// kRegistryKeyStringId; when that is still empty and the settings-file section (host string
// kSettingsSectionStringId) is known, the host settings file (found through the home folder, the
// user name and host string kSettingsFileStringId, else the data folder of the key in host string
// kDataFolderKeyStringId). The empty text when configured nowhere.
// Locating the settings file looks the home folder up through this same lookup; that nested
// lookup skips the settings file, so it never recurses without end. Any thread.
std::string GetConfigValue(const std::string& key);

// A key resolved through GetConfigValue and, failing that, the environment variable of exactly
// that name.
class ConfigSetting {
 public:
  ConfigSetting() = default;
  explicit ConfigSetting(const std::string& key) { Resolve(key); }

  // Resolves key unless it is empty or the one already held.
  void Resolve(const std::string& key);

  const std::string& Value() const { return value_; }
  // True when the value came from the configuration (not empty) or from an environment variable
  // of that name (which may be empty).
  bool Found() const { return found_; }

 private:
  std::string key_;
  std::string value_;
  bool found_ = false;
};

}  // namespace platform
