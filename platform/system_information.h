// Facts about the running system and process: the identification record read from environment
// variables, the processor times of this process, and the characters that names may not hold.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace platform {

// The identification record; a variable that is not set gives the empty text.
struct SystemInformation {
  std::string os;       // "OS"
  std::string node;     // "USERDOMAIN"
  std::string release;  // "NTVersion"
  std::string version;  // "WinVersion"
  std::string machine;  // "PROCESSOR_ARCHITECTURE"
  std::string user;     // "USERNAME"
};

// Reads the record from the environment now. Any thread that does not change the environment
// at the same time.
SystemInformation ReadSystemInformation();

struct ProcessorTimes {
  std::chrono::microseconds user{0};    // spent running this process's own code
  std::chrono::microseconds kernel{0};  // spent in the system on its behalf
};

// The processor times this process has used so far (all its threads). False, with
// "error in GetProcessTimes: <errno>" on the error stream and zero times, when they cannot be read.
bool ReadProcessorTimes(ProcessorTimes& times);

// Characters that a simple name (one file name) may not hold.
inline constexpr std::string_view kSimpleNameForbidden = "\\/:*?\"<>|";
// Characters that a path may not hold. "/" separates folders here and a backslash is accepted as
// one too, so neither is forbidden; the colon is allowed as in any path.
inline constexpr std::string_view kPathForbidden = "*?\"<>|";

// Whether name is not empty and holds none of kSimpleNameForbidden.
bool IsValidSimpleName(std::string_view name);

// Whether path is not empty and holds none of kPathForbidden.
bool IsValidPath(std::string_view path);

}  // namespace platform
