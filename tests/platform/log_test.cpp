#include "platform/log.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/resource_module.h"
#include "test_support.h"

namespace platform {
namespace {

using Lines = std::vector<std::string>;

// The lines written by body, each without its leading 19-character time stamp
// ("Sun Dec  6 10:21:22"); a line that does not start with one is marked "<no stamp>".
Lines WrittenAfterStamps(const std::function<void()>& body) {
  static const std::regex kStamp(
      "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9]");
  std::istringstream in(test_support::CapturedStderr(body));
  Lines lines;
  for (std::string line; std::getline(in, line);) {
    bool stamped = line.size() >= 19 && std::regex_match(line.substr(0, 19), kStamp);
    lines.push_back(stamped ? line.substr(19) : "<no stamp> " + line);
  }
  return lines;
}

// The announcement of the debug level (none when announced is null) and the lines of the
// messages at levels 0 to through, as written by LogEveryLevel.
Lines Expected(const char* announced, int through) {
  static const char* const kEveryLevel[] = {
      " Informational: message 0", " Critical error: message 1", " Error: message 2",
      " Warning: message 3",       " Notice: message 4",         " Debug: message 5"};
  Lines lines;
  if (announced != nullptr) {
    lines.push_back(std::string(" Informational: Setting debug level to ") + announced);
  }
  for (int level = 0; level <= through; ++level) lines.push_back(kEveryLevel[level]);
  return lines;
}

// What the messages at levels 0 to 5 write.
Lines LogEveryLevel() {
  return WrittenAfterStamps([] {
    for (int level = 0; level <= 5; ++level) Log("message " + std::to_string(level), level);
  });
}

using LogOutput = test_support::OwnStringsSandbox;

TEST_F(LogOutput, DebugLevelSetsTheThresholdAndIsAnnouncedFirst) {
  test_support::ScopedVariable environment("debugLevel", "5");  // never read
  // The default lets only informational and critical lines through, unannounced.
  EXPECT_EQ(LogEveryLevel(), Expected(nullptr, 1));
  // Leading digits are read and the text is announced unchanged.
  ResetLogThresholdForTesting();
  BindInitParameter("debugLevel", " 3rd");
  EXPECT_EQ(LogEveryLevel(), Expected(" 3rd", 3));
}

TEST_F(LogOutput, NegativeDebugLevelSilencesEvenTheAnnouncement) {
  BindInitParameter("debugLevel", "-1");
  EXPECT_EQ(LogEveryLevel(), Lines{});
}

TEST_F(LogOutput, DebugLevelIsReadOnceFromTheRegistry) {
  WriteRegistry("debugLevel=2");
  EXPECT_EQ(LogEveryLevel(), Expected("2", 2));
  WriteRegistry("debugLevel=5");
  EXPECT_EQ(test_support::CapturedStderr([] { Log("debug", 5); }), "");
}

TEST_F(LogOutput, LinesOfTwoThreadsNeverMixWithinALine) {
  BindInitParameter("debugLevel", "5");
  const std::string long_text(400, 'x');  // within kMaxLogMessageBytes
  Lines lines = WrittenAfterStamps([&] {
    auto write = [&](char id) {
      for (int i = 0; i < 300; ++i) Log(id + long_text, 5);
    };
    std::thread first(write, '0');
    std::thread second(write, '1');
    first.join();
    second.join();
  });
  ASSERT_EQ(lines.size(), 601u) << "one announcement and every line";
  EXPECT_EQ(lines[0], " Informational: Setting debug level to 5");
  for (size_t i = 1; i < lines.size(); ++i) {
    ASSERT_TRUE(lines[i] == " Debug: 0" + long_text || lines[i] == " Debug: 1" + long_text) << i;
  }
}

}  // namespace
}  // namespace platform
