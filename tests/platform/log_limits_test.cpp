// The log's bounds: the length of a line and the size of a watched log file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/log.h"
#include "platform/log_file.h"
#include "test_support.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;

using LogLimits = test_support::OwnStringsSandbox;

// The text of the one line that logging `message` writes, after its time stamp and level word.
std::string LineOf(const std::string& message) {
  std::string line = test_support::CapturedStderr([&] { Log(message, kLogInformational); });
  const std::string start = " Informational: ";
  EXPECT_GE(line.size(), 19 + start.size());
  EXPECT_EQ(line.substr(19, start.size()), start);
  EXPECT_EQ(line.back(), '\n');
  return line.substr(19 + start.size(), line.size() - 20 - start.size());
}

TEST_F(LogLimits, LongMessageIsCutWithItsFullLength) {
  const std::string fits(kMaxLogMessageBytes, 'a');
  EXPECT_EQ(LineOf(fits), fits);
  const std::string echoed = "Template " + std::string(5000, 'x') + " generated";
  EXPECT_EQ(LineOf(echoed), echoed.substr(0, kMaxLogMessageBytes) + "\xE2\x80\xA6 (" +
                                std::to_string(echoed.size()) + " bytes)");
  // The cut falls before a UTF-8 sequence, never inside one.
  std::string accented;
  while (accented.size() < 2 * kMaxLogMessageBytes) accented += "\xC3\xA9";
  const std::string kept = LineOf("x" + accented);
  const size_t ellipsis = kept.find("\xE2\x80\xA6");
  ASSERT_NE(ellipsis, std::string::npos);
  EXPECT_EQ(kept.substr(0, ellipsis), ("x" + accented).substr(0, kMaxLogMessageBytes - 1));
}

// Standard error written into a file of the test's folder while the object lives.
class StderrIntoFile {
 public:
  explicit StderrIntoFile(const std::string& path) {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    EXPECT_GE(fd, 0);
    ::dup2(fd, STDERR_FILENO);
    kept_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
  }
  ~StderrIntoFile() {
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    ::close(kept_);
  }
  StderrIntoFile(const StderrIntoFile&) = delete;
  StderrIntoFile& operator=(const StderrIntoFile&) = delete;
  // Another descriptor of the file, as the log redirection keeps one.
  int Kept() const { return kept_; }

 private:
  int saved_ = -1;
  int kept_ = -1;
};

TEST_F(LogLimits, WatchedFileIsRotatedIntoOnePreviousFile) {
  const std::string log = folder_.Path("xmlagent.log");
  const std::string previous = log + ".1";
  constexpr std::uint64_t kLimit = 1000;
  const std::string message(80, 'm');
  {
    StderrIntoFile into(log);
    WatchLogFile(log, into.Kept(), kLimit);
    for (int i = 0; i < 40; ++i) Log(std::to_string(100 + i) + message, kLogInformational);
    // The descriptor that the redirection keeps writes into the new file as well.
    ASSERT_EQ(::write(into.Kept(), "kept\n", 5), 5);
    StopWatchingLogFile();
    for (int i = 0; i < 20; ++i) Log(message, kLogInformational);  // no longer rotated
  }
  const std::string current = ReadFile(log);
  const std::string older = ReadFile(previous);
  EXPECT_FALSE(fs::exists(log + ".2"));
  EXPECT_LE(older.size(), kLimit);
  EXPECT_GT(older.size(), kLimit - 200) << "rotated only when full";
  EXPECT_NE(current.find("139" + message + "\nkept\n"), std::string::npos) << current;
  // The previous file ends with the line just before the first of the current one.
  const size_t lastOlder = older.rfind(message);
  const size_t firstCurrent = current.find(message);
  ASSERT_NE(lastOlder, std::string::npos);
  ASSERT_NE(firstCurrent, std::string::npos);
  ASSERT_GE(lastOlder, 3u);
  ASSERT_GE(firstCurrent, 3u);
  EXPECT_EQ(std::stoi(older.substr(lastOlder - 3, 3)) + 1,
            std::stoi(current.substr(firstCurrent - 3, 3)));
  EXPECT_GT(current.size(), kLimit) << "after StopWatchingLogFile the file grows";
}

TEST_F(LogLimits, LimitComesFromLogMaxBytesWithATenMegabyteDefault) {
  EXPECT_EQ(ConfiguredLogMaxBytes(), 10u * 1024 * 1024);
  {
    test_support::ScopedVariable environment(kLogMaxBytesKey, "2048");
    EXPECT_EQ(ConfiguredLogMaxBytes(), 2048u);
  }
  for (const char* unusable : {"0", "-5", "ten", "12k"}) {
    test_support::ScopedVariable environment(kLogMaxBytesKey, unusable);
    EXPECT_EQ(ConfiguredLogMaxBytes(), kDefaultLogMaxBytes) << unusable;
  }
  WriteRegistry("LogMaxBytes=4096");
  EXPECT_EQ(ConfiguredLogMaxBytes(), 4096u);
}

}  // namespace
}  // namespace platform
