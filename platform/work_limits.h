// The limits on work that grows with its input: the generated page, the objects of one REPEAT
// and the bytes read from one data file. Each is a configuration key with a default far above
// any real page, so that only a runaway template or a wrong file meets it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The generated page's size in bytes (estimated while it grows); default 128 MiB.
inline constexpr const char* kMaxPageBytesKey = "MaxPageBytes";
inline constexpr std::uint64_t kDefaultMaxPageBytes = std::uint64_t{128} << 20;

// The objects that one REPEAT lists; default 1,000,000.
inline constexpr const char* kMaxRepeatObjectsKey = "MaxRepeatObjects";
inline constexpr std::uint64_t kDefaultMaxRepeatObjects = 1000000;

// The bytes read from one data file (a record file, the text of a file); default 64 MiB.
inline constexpr const char* kMaxDataFileBytesKey = "MaxDataFileBytes";
inline constexpr std::uint64_t kDefaultMaxDataFileBytes = std::uint64_t{64} << 20;

// The value of `key` as configured (init parameter, registry, settings file or environment), or
// `fallback` when it is not a positive whole number. An init parameter counts at once; what the
// registry, the settings file or the environment say is read at most once a second.
std::uint64_t ConfiguredLimit(const char* key, std::uint64_t fallback);

// How a message names a limit: "MaxPageBytes (134217728)".
std::string LimitText(const char* key, std::uint64_t limit);

}  // namespace platform
