// The library's own string table: the few numbered texts that must be known before the host's
// resource module is loaded (setting keys, the registry key, the module's file name and the two
// messages that report a missing module).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr unsigned kHomeKeyStringId = 57000;        // "VISTAFOLD_HOME"
inline constexpr unsigned kResourceKeyStringId = 57001;    // "VISTAFOLD_RESOURCE"
inline constexpr unsigned kRegistryKeyStringId = 57003;    // the key under HKEY_LOCAL_MACHINE
inline constexpr unsigned kResourceFileStringId = 57103;   // "Vistafold.rsc"
inline constexpr unsigned kCannotLoadStringId = 590;       // "%1 does not exist or ..."
inline constexpr unsigned kNoRegistryEntryStringId = 593;  // "Cannot find registry entry ..."

// The text of one of the library's own strings, or nullopt when the number is not one of them.
// The texts are constants of the program; any thread.
std::optional<std::string_view> OwnString(unsigned id);

// The same text as a string, empty for a number that is not one of the library's own.
std::string OwnStringText(unsigned id);

}  // namespace platform
