// The log file behind the standard error stream, kept to a size limit: before a line would take
// it past the limit, it becomes "<name>.1" (replacing the previous one) and a new file is begun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The setting that limits the log file's size in bytes, read through the configuration lookup.
inline constexpr const char* kLogMaxBytesKey = "LogMaxBytes";
// The limit when "LogMaxBytes" is not set to a positive whole number: 10 MiB.
inline constexpr std::uint64_t kDefaultLogMaxBytes = std::uint64_t{10} << 20;

// "LogMaxBytes" as configured (init parameter, registry, settings file or environment), or
// kDefaultLogMaxBytes when it is not a positive whole number of bytes.
std::uint64_t ConfiguredLogMaxBytes();

// From now on the log writer keeps the file at `path` below `maxBytes`. The file must be the one
// that the standard error stream writes into; when it is rotated, a new file is opened at `path`
// and put in place of descriptor 2, of descriptor 1 when that wrote into the same file, and of
// `descriptor` (another descriptor of the file that its owner keeps; -1 for none). Any thread.
void WatchLogFile(const std::string& path, int descriptor, std::uint64_t maxBytes);

// The log writer leaves the file alone from now on.
void StopWatchingLogFile();

// Rotates the watched file when writing `lineBytes` more would take it past its limit; nothing
// when no file is watched, when standard error no longer writes into it, or when it is empty (a
// single longer line is still written whole). Called by the log writer before each line.
void RotateLogFileIfFull(std::size_t lineBytes);

}  // namespace platform
