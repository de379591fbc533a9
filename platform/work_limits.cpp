// The configured limits on work that grows with its input.
#include "platform/work_limits.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/config.h"

namespace platform {

namespace {

std::uint64_t LimitOf(const std::string& value, std::uint64_t fallback) {
  if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) return fallback;
  errno = 0;
  const unsigned long long parsed = std::strtoull(value.c_str(), nullptr, 10);
  if (errno != 0 || parsed == 0) return fallback;
  return parsed;
}

// A limit is asked for by every listing of a page, and reading the registry and the settings file
// each time costs several file reads per row. What they (or the environment) say is kept for a
// second; an init parameter, bound by the host, is looked at every time.
constexpr auto kKeptFor = std::chrono::seconds(1);

struct KeptSetting {
  std::chrono::steady_clock::time_point readAt;
  std::string value;
};

std::string SettingOf(const char* key) {
  static std::mutex mutex;
  static std::unordered_map<std::string, KeptSetting> kept;
  const auto now = std::chrono::steady_clock::now();
  {
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = kept.find(key);
    if (found != kept.end() && now - found->second.readAt < kKeptFor) return found->second.value;
  }
  std::string value = ConfigSetting(key).Value();
  std::lock_guard<std::mutex> lock(mutex);
  kept[key] = KeptSetting{now, value};
  return value;
}

}  // namespace

std::uint64_t ConfiguredLimit(const char* key, std::uint64_t fallback) {
  if (std::optional<std::string> bound = InitParameter(key); bound && !bound->empty()) {
    return LimitOf(*bound, fallback);
  }
  return LimitOf(SettingOf(key), fallback);
}

std::string LimitText(const char* key, std::uint64_t limit) {
  return std::string(key) + " (" + std::to_string(limit) + ")";
}

}  // namespace platform
