#include "agent/command_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "agent/agent_entry.h"
#include "platform/config.h"
#include "platform/log.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Runs call on a thread of its own and says whether it ended within the limit. A call that
// hangs is left behind (detached) so that the test fails instead of hanging.
bool ReturnsWithin(std::chrono::milliseconds limit, std::function<void()> call) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  std::thread([done, call = std::move(call)] {
    call();
    done->set_value();
  }).detach();
  return finished.wait_for(limit) == std::future_status::ready;
}

bool PostReturnsWithin(std::chrono::milliseconds limit, AgentCommand command) {
  return ReturnsWithin(limit, [command] { PostCommandAndWait(command); });
}

class CommandThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override { EXPECT_TRUE(PostReturnsWithin(30s, kCommandClose)); }

  // A synchronous installation: the sample home, this test's user data and a copy of the plain
  // template as the document.
  void BindSampleInstallation() {
    const fs::path user = folder_.Path();
    platform::BindInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
    platform::BindInitParameter("USER_DATA", user.string());
    platform::BindInitParameter("VISTAFOLD_DATA", user.string());
    platform::BindInitParameter("timeout", "0");
    fs::create_directories(user / "generated");
    fs::copy_file(XMLAGENT_SOURCE_DIR "/sample/templates/plain.htm", user / "generated/plain.htm");
  }
  void WriteParameterFile() const {
    test_support::WriteParameterFile(folder_.Path(), "FILE_NAME=" + folder_.Path() +
                                                         "/generated/plain.htm\n"
                                                         "ARTIFACT_LOCATOR=artifact-1\n"
                                                         "TEMPLATE_ID=plain\n");
  }

  // Generates through the command thread and gives the outcome; -2 when it did not return.
  static int GenerateOutcome() {
    return ReturnsWithin(60s, [] { EXPECT_EQ(XmlAgentGenerate(), 0); })
               ? XmlAgentLastGenerateOutcome()
               : -2;
  }

  fs::path Output() const { return fs::path(folder_.Path()) / "generated" / "Output.txt"; }

  test_support::TempFolder folder_;
};

TEST_F(CommandThreadTest, PostsWithoutARunningThreadReturnAtOnceAndAStartServesAgain) {
  ASSERT_TRUE(PostReturnsWithin(30s, kCommandClose));  // no thread from an earlier test
  for (AgentCommand command :
       {kCommandRefresh, kCommandGetAncestors, kCommandGenerate, kCommandClose}) {
    EXPECT_TRUE(PostReturnsWithin(2s, command)) << "before start: " << command;
  }
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), -1);

  StartCommandThread();
  ASSERT_TRUE(PostReturnsWithin(10s, kCommandClose));
  EXPECT_TRUE(PostReturnsWithin(2s, kCommandClose)) << "second close";
  EXPECT_TRUE(PostReturnsWithin(2s, kCommandRefresh)) << "after close";

  StartCommandThread();
  StartCommandThread();  // a second start while one runs changes nothing
  EXPECT_TRUE(PostReturnsWithin(10s, kCommandRefresh));
  EXPECT_TRUE(PostReturnsWithin(10s, kCommandClose));
}

TEST_F(CommandThreadTest, ConcurrentPostersAreServedOneAtATimeAndAllReturn) {
  StartCommandThread();
  auto returned = std::make_shared<std::atomic<int>>(0);
  EXPECT_TRUE(ReturnsWithin(60s, [returned] {
    std::vector<std::thread> posters;
    for (int t = 0; t < 8; ++t) {
      posters.emplace_back([returned] {
        for (int i = 0; i < 100; ++i) {
          PostCommandAndWait(kCommandRefresh);
          ++*returned;
        }
      });
    }
    for (std::thread& poster : posters) poster.join();
  }));
  EXPECT_EQ(returned->load(), 800);
}

// Outcomes: -1 not run, 1 generated, 0 failed (here an exception, which is logged while the
// thread goes on serving).
TEST_F(CommandThreadTest,
       GenerateOutcomeIsRecordedAndAFailingCommandIsLoggedWithoutEndingTheThread) {
  BindSampleInstallation();
  platform::BindInitParameter("debugLevel", "2");
  StartCommandThread();
  EXPECT_EQ(GenerateOutcome(), -1) << "no parameter file";
  EXPECT_FALSE(fs::exists(Output()));

  WriteParameterFile();
  fs::create_directories(Output() / "occupied");  // writing the result throws
  int outcome = -2;
  const std::string log = test_support::CapturedStderr([&] { outcome = GenerateOutcome(); });
  EXPECT_EQ(outcome, 0);
  EXPECT_NE(log.find(" Error: Command 1 failed: "), std::string::npos) << log;

  fs::remove_all(Output());
  EXPECT_EQ(GenerateOutcome(), 1) << "synchronous: generated";
  EXPECT_TRUE(fs::exists(Output()));

  ASSERT_TRUE(PostReturnsWithin(30s, kCommandClose));
  fs::remove(Output());
  EXPECT_EQ(GenerateOutcome(), -1) << "a generate after close is not run";
  EXPECT_FALSE(fs::exists(Output()));
}

}  // namespace
