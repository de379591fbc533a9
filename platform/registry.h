// The read-only machine registry: an INI-style text file whose path is the value of the
// environment variable VISTAFOLD_REGISTRY_FILE. Each section is a key path under
// HKEY_LOCAL_MACHINE, each "name=value" line a string value of that key:
//
//   ; machine settings of a test installation
//   [SOFTWARE\NORVANE SOFTWARE\VISTAFOLD]
//   VISTAFOLD_HOME = /opt/vistafold/home
//   debugLevel = 3
//
//   [HKLM\SOFTWARE\Other Vendor\Other Product]
//   Path = "/srv/other"
//
// A section name may start with "HKEY_LOCAL_MACHINE\" or "HKLM\"; key paths and value names
// compare without regard to ASCII case, backslashes as written. The INI rules of ini_file.h apply
// (blanks trimmed, one pair of quotes dropped, ";" comment lines, first matching section and
// value win). A missing variable or file is an empty registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Registry {
 public:
  static constexpr const char* kFileVariable = "VISTAFOLD_REGISTRY_FILE";

  // The string value valueName of the key keyPath under HKEY_LOCAL_MACHINE, or nullopt when the
  // key or the value is missing. Reads the variable and the file at each call; any thread.
  static std::optional<std::string> ReadLocalMachineString(std::string_view keyPath,
                                                           std::string_view valueName);
};

}  // namespace platform
