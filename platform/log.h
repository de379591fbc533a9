// The process-wide diagnostic log: one line per message on the standard error stream (which the
// agent redirects into logs/xmlagent.log when logging is enabled).
//
// A line is the 19-character time stamp ("Sun Dec  6 10:21:22"), the level word with its blanks
// (" Debug: ") and the message. A message is written when its level is at most the threshold,
// which is read once from the configuration value "debugLevel" (default 1) at the first message.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

namespace platform {

enum LogLevel : int {
  kLogInformational = 0,
  kLogCriticalError = 1,
  kLogError = 2,
  kLogWarning = 3,
  kLogNotice = 4,
  kLogDebug = 5,
};

// The longest message written whole: a longer one (it echoes some input) is cut there and ends in
// "… (<full length> bytes)".
inline constexpr size_t kMaxLogMessageBytes = 500;

// Writes the message at that level when the threshold lets it through. Any thread; each line is
// written with one call, so lines of two threads never mix within a line. A log file watched
// through platform/log_file.h is rotated before a line would take it past its limit.
void Log(const std::string& message, int level);

// Whether a message of that level would be written: lets a caller skip building a message that
// the threshold drops (a debug line per value of a page, say).
bool LogEnabled(int level);

// The first 19 characters of asctime() of the local time t: weekday, month, day (blank-padded)
// and the time of day, without the year.
std::string LogTimeStamp(std::time_t t);

// Makes the next message read "debugLevel" again. Only for tests.
void ResetLogThresholdForTesting();

}  // namespace platform
