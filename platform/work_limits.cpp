// The configured limits on work that grows with its input.
#include "platform/work_limits.h"

#include <cerrno>
#include <cstdlib>

#include "platform/config.h"

namespace platform {

std::uint64_t ConfiguredLimit(const char* key, std::uint64_t fallback) {
  const std::string value = ConfigSetting(key).Value();
  if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return fallback;
  errno = 0;
  const unsigned long long parsed = std::strtoull(value.c_str(), nullptr, 10);
  if (errno != 0 || parsed == 0) return fallback;
  return parsed;
}

std::string LimitText(const char* key, std::uint64_t limit) {
  return std::string(key) + " (" + std::to_string(limit) + ")";
}

}  // namespace platform
