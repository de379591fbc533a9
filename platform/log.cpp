#include "platform/log.h"

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/config.h"
#include "platform/log_file.h"

namespace platform {
namespace {

constexpr int kThresholdNotRead = 6;
constexpr int kDefaultThreshold = kLogCriticalError;
constexpr const char* kDebugLevelKey = "debugLevel";

std::atomic<int> g_threshold{kThresholdNotRead};
// Serialises the reading of "debugLevel", so that a thread never logs by a half-read threshold.
std::mutex g_threshold_reading;
// Set while this thread reads "debugLevel": a message logged meanwhile uses the default.
thread_local bool t_reading_threshold = false;

constexpr const char* kLevelWords[] = {
    " Informational: ", " Critical error: ", " Error: ", " Warning: ", " Notice: ", " Debug: "};

// atol's reading (blanks, sign, leading digits; none gives 0), without its undefined overflow.
int ThresholdOf(const std::string& value) {
  long parsed = std::strtol(value.c_str(), nullptr, 10);
  if (parsed > INT_MAX) return INT_MAX;
  if (parsed < INT_MIN) return INT_MIN;
  return static_cast<int>(parsed);
}

// The message as written: one longer than kMaxLogMessageBytes (a path, a value or a command text
// from the input) keeps its start, cut before a UTF-8 sequence, then "…" and its full length.
void AppendMessage(std::string& line, const std::string& message) {
  if (message.size() <= kMaxLogMessageBytes) {
    line += message;
    return;
  }
  size_t cut = kMaxLogMessageBytes;
  while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
  line.append(message, 0, cut);
  line += "\xE2\x80\xA6 (" + std::to_string(message.size()) + " bytes)";
}

void WriteLine(const std::string& message, int level) {
  std::string line = LogTimeStamp(std::time(nullptr));
  if (level >= kLogInformational && level <= kLogDebug) line += kLevelWords[level];
  AppendMessage(line, message);
  line += '\n';
  // The log file is rotated before the line would take it past its limit.
  RotateLogFileIfFull(line.size());
  // One call per line: the stream's own lock keeps lines of two threads apart.
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

// Reads "debugLevel" when no thread has yet; gives the threshold to log by.
int ReadThreshold() {
  if (t_reading_threshold) return kDefaultThreshold;
  std::lock_guard<std::mutex> lock(g_threshold_reading);
  int threshold = g_threshold.load();
  if (threshold != kThresholdNotRead) return threshold;

  std::string value;
  t_reading_threshold = true;
  try {
    value = GetConfigValue(kDebugLevelKey);
  } catch (...) {
    // Logging must not fail: a lookup that throws leaves the default.
  }
  t_reading_threshold = false;
  if (value.empty()) {
    g_threshold.store(kDefaultThreshold);
    return kDefaultThreshold;
  }
  threshold = ThresholdOf(value);
  // Written directly: a configured 6 would otherwise re-read the value without end. The next
  // message still reads it again, as a threshold of 6 means "not read yet". The threshold is
  // published only afterwards, so that no other thread's line comes before the announcement.
  if (kLogInformational <= threshold) {
    WriteLine("Setting debug level to " + value, kLogInformational);
  }
  g_threshold.store(threshold);
  return threshold;
}

}  // namespace

void Log(const std::string& message, int level) {
  int threshold = g_threshold.load();
  if (threshold == kThresholdNotRead) threshold = ReadThreshold();
  if (level > threshold) return;
  WriteLine(message, level);
}

bool LogEnabled(int level) {
  int threshold = g_threshold.load();
  if (threshold == kThresholdNotRead) threshold = ReadThreshold();
  return level <= threshold;
}

std::string LogTimeStamp(std::time_t t) {
  static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
  // asctime's layout by hand: asctime itself is not thread-safe and undefined for odd years.
  if (localtime_r(&t, &local) == nullptr || local.tm_wday < 0 || local.tm_wday > 6 ||
      local.tm_mon < 0 || local.tm_mon > 11) {
    return "??? ??? ?? ??:??:??";
  }
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%.3s %.3s%3d %.2d:%.2d:%.2d", kWeekdays[local.tm_wday],
                kMonths[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return std::string(stamp).substr(0, 19);
}

void ResetLogThresholdForTesting() { g_threshold.store(kThresholdNotRead); }

}  // namespace platform
