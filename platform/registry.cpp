#include "platform/registry.h"

#include <cstdlib>

#include "platform/ini_file.h"

namespace platform {
namespace {

// The key path without a leading root-key name.
std::string_view WithoutRootKey(std::string_view path) {
  constexpr std::string_view kRoots[] = {"HKEY_LOCAL_MACHINE\\", "HKLM\\"};
  for (std::string_view root : kRoots) {
    if (path.size() >= root.size() && IniNamesEqual(path.substr(0, root.size()), root)) {
      return path.substr(root.size());
    }
  }
  return path;
}

}  // namespace

std::optional<std::string> Registry::ReadLocalMachineString(std::string_view keyPath,
                                                            std::string_view valueName) {
  // Read at each call so that a test or a host may point it elsewhere between lookups.
  const char* file_path = std::getenv(kFileVariable);
  if (file_path == nullptr || *file_path == '\0') return std::nullopt;
  IniFile file;
  if (!file.Load(file_path)) return std::nullopt;

  std::string_view wanted = WithoutRootKey(keyPath);
  for (const IniSection& section : file.Sections()) {
    // The first section that names the key is the key.
    if (IniNamesEqual(WithoutRootKey(section.name), wanted)) return section.Value(valueName);
  }
  return std::nullopt;
}

}  // namespace platform
