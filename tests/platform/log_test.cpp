#include "platform/log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/host_hooks.h"
#include "platform/config.h"
#include "platform/registry.h"
#include "platform/resource_module.h"
#include "test_support.h"

namespace {

using platform::Log;

// Only the library's own strings: no settings-file section, so "debugLevel" comes from the init
// parameters and the registry file of the test.
std::string OwnStringsOnly(unsigned id) {
  return id == 57004 ? std::string() : platform::LoadHostString(id);
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "Sun Dec  6 10:21:22": weekday, month, blank-padded day and the time of day.
bool IsTimeStamp(const std::string& text) {
  static const std::regex kStamp(
      "[A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9]");
  return std::regex_match(text, kStamp);
}

// What follows the time stamp of a line; "<no stamp>" when the line does not start with one.
std::string AfterStamp(const std::string& line) {
  if (line.size() < 19 || !IsTimeStamp(line.substr(0, 19))) return "<no stamp> " + line;
  return line.substr(19);
}

// A fresh threshold, no init parameters and an empty registry file; the registry value of
// "debugLevel" can be written with SetRegistryDebugLevel.
class LogOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* previous = std::getenv(platform::Registry::kFileVariable)) {
      previous_registry_ = previous;
    }
    setenv(platform::Registry::kFileVariable, folder_.Path("registry.ini").c_str(), 1);
    SetHostStringLookup(&OwnStringsOnly);
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override {
    platform::ResetLogThresholdForTesting();
    platform::ClearInitParametersForTesting();
    platform::InstallHostStrings();
    if (previous_registry_) {
      setenv(platform::Registry::kFileVariable, previous_registry_->c_str(), 1);
    } else {
      unsetenv(platform::Registry::kFileVariable);
    }
  }

  void SetRegistryDebugLevel(const std::string& value) {
    folder_.Write("registry.ini", "[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\ndebugLevel=" + value);
  }
  // What the messages at levels 0 to 5 write, line by line, after the time stamps.
  std::vector<std::string> LogEveryLevel() {
    std::string written = test_support::CapturedStderr([] {
      for (int level = 0; level <= 5; ++level) Log("message " + std::to_string(level), level);
    });
    std::vector<std::string> lines;
    for (const std::string& line : LinesOf(written)) lines.push_back(AfterStamp(line));
    return lines;
  }

  test_support::TempFolder folder_;
  std::optional<std::string> previous_registry_;
};

TEST_F(LogOutput, WithoutDebugLevelOnlyInformationalAndCriticalLinesAreWritten) {
  EXPECT_EQ(LogEveryLevel(),
            (std::vector<std::string>{" Informational: message 0", " Critical error: message 1"}));
}

TEST_F(LogOutput, DebugLevelFiveAnnouncesItselfFirstAndLetsEveryLevelThrough) {
  platform::BindInitParameter("debugLevel", "5");
  EXPECT_EQ(LogEveryLevel(),
            (std::vector<std::string>{" Informational: Setting debug level to 5",
                                      " Informational: message 0", " Critical error: message 1",
                                      " Error: message 2", " Warning: message 3",
                                      " Notice: message 4", " Debug: message 5"}));
}

TEST_F(LogOutput, DebugLevelWithoutDigitsLetsOnlyInformationalLinesThrough) {
  platform::BindInitParameter("debugLevel", "abc");
  EXPECT_EQ(LogEveryLevel(), (std::vector<std::string>{" Informational: Setting debug level to abc",
                                                       " Informational: message 0"}));
}

TEST_F(LogOutput, DebugLevelReadsLeadingDigitsAndAnnouncesTheTextUnchanged) {
  platform::BindInitParameter("debugLevel", " 3rd");
  EXPECT_EQ(LogEveryLevel(),
            (std::vector<std::string>{" Informational: Setting debug level to  3rd",
                                      " Informational: message 0", " Critical error: message 1",
                                      " Error: message 2", " Warning: message 3"}));
}

TEST_F(LogOutput, DebugLevelComesFromTheRegistryButNeverFromTheEnvironment) {
  SetRegistryDebugLevel("2");
  const char* previous = std::getenv("debugLevel");
  std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
  setenv("debugLevel", "5", 1);
  std::vector<std::string> lines = LogEveryLevel();
  if (saved) {
    setenv("debugLevel", saved->c_str(), 1);
  } else {
    unsetenv("debugLevel");
  }
  EXPECT_EQ(lines, (std::vector<std::string>{" Informational: Setting debug level to 2",
                                             " Informational: message 0",
                                             " Critical error: message 1", " Error: message 2"}));
}

TEST_F(LogOutput, ThresholdIsReadOnceAtTheFirstMessage) {
  SetRegistryDebugLevel("2");
  test_support::CapturedStderr([] { Log("first", 0); });
  SetRegistryDebugLevel("5");
  EXPECT_EQ(test_support::CapturedStderr([] { Log("debug", 5); }), "");
}

TEST_F(LogOutput, ConfiguredSixIsReadAgainAtEveryMessage) {
  platform::BindInitParameter("debugLevel", "6");
  std::string written = test_support::CapturedStderr([] {
    Log("one", 5);
    Log("two", 6);
  });
  std::vector<std::string> lines;
  for (const std::string& line : LinesOf(written)) lines.push_back(AfterStamp(line));
  EXPECT_EQ(lines,
            (std::vector<std::string>{" Informational: Setting debug level to 6", " Debug: one",
                                      " Informational: Setting debug level to 6", "two"}));
}

TEST_F(LogOutput, NegativeThresholdSilencesEvenTheAnnouncement) {
  platform::BindInitParameter("debugLevel", "-1");
  EXPECT_TRUE(LogEveryLevel().empty());
}

TEST_F(LogOutput, LevelsOutsideTheTableGetNoWord) {
  platform::BindInitParameter("debugLevel", "5");
  test_support::CapturedStderr([] { Log("announce", 0); });
  std::string written = test_support::CapturedStderr([] {
    Log("below", -1);
    Log("above", 6);
  });
  std::vector<std::string> lines = LinesOf(written);
  ASSERT_EQ(lines.size(), 1u) << written;
  EXPECT_EQ(AfterStamp(lines[0]), "below");
}

TEST_F(LogOutput, LinesOfTwoThreadsNeverMixWithinALine) {
  platform::BindInitParameter("debugLevel", "5");
  constexpr int kLinesPerThread = 300;
  const std::string long_text(500, 'x');
  std::string written = test_support::CapturedStderr([&] {
    std::vector<std::thread> writers;
    for (int t = 0; t < 2; ++t) {
      writers.emplace_back([&, t] {
        for (int i = 0; i < kLinesPerThread; ++i) Log(std::to_string(t) + long_text, 5);
      });
    }
    for (std::thread& writer : writers) writer.join();
  });
  std::vector<std::string> lines = LinesOf(written);
  ASSERT_EQ(lines.size(), 2u * kLinesPerThread + 1) << "one announcement and every line";
  EXPECT_EQ(AfterStamp(lines[0]), " Informational: Setting debug level to 5");
  int mixed = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string after = AfterStamp(lines[i]);
    if (after != " Debug: 0" + long_text && after != " Debug: 1" + long_text) ++mixed;
  }
  EXPECT_EQ(mixed, 0);
}

TEST(LogTimeStamp, IsTheFirstNineteenCharactersOfAsctime) {
  const std::time_t times[] = {0, 1000000000, 951782400, 1700000000, 2147483647};
  for (std::time_t t : times) {
    std::tm local{};
    ASSERT_NE(localtime_r(&t, &local), nullptr);
    char expected[64];
    ASSERT_NE(asctime_r(&local, expected), nullptr);
    EXPECT_EQ(platform::LogTimeStamp(t), std::string(expected, 19)) << t;
  }
}

TEST(LogTimeStamp, PadsASingleDigitDayWithABlank) {
  std::tm local{};
  local.tm_year = 2001 - 1900;
  local.tm_mon = 8;
  local.tm_mday = 9;
  local.tm_hour = 12;
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  EXPECT_EQ(platform::LogTimeStamp(t), "Sun Sep  9 12:00:00");
}

}  // namespace
