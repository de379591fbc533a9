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
#include "agent/agent_service.h"
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
  return ReturnsWithin(limit, [command] { AgentService::Instance().PostCommandAndWait(command); });
}

class CommandThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override { EXPECT_TRUE(PostReturnsWithin(30s, kCommandClose)); }

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
  EXPECT_TRUE(PostReturnsWithin(2s, kCommandGenerate)) << "before start";
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), -1);

  AgentService::Instance().StartCommandThread();
  AgentService::Instance().StartCommandThread();  // a second start while one runs changes nothing
  EXPECT_TRUE(PostReturnsWithin(10s, kCommandRefresh));
  ASSERT_TRUE(PostReturnsWithin(10s, kCommandClose));
  EXPECT_TRUE(PostReturnsWithin(2s, kCommandRefresh)) << "after close";
}

TEST_F(CommandThreadTest, ConcurrentPostersAreServedOneAtATimeAndAllReturn) {
  AgentService::Instance().StartCommandThread();
  auto returned = std::make_shared<std::atomic<int>>(0);
  EXPECT_TRUE(ReturnsWithin(60s, [returned] {
    std::vector<std::thread> posters;
    for (int t = 0; t < 8; ++t) {
      posters.emplace_back([returned] {
        for (int i = 0; i < 100; ++i) {
          AgentService::Instance().PostCommandAndWait(kCommandRefresh);
          ++*returned;
        }
      });
    }
    for (std::thread& poster : posters) poster.join();
  }));
  EXPECT_EQ(returned->load(), 800);
}

// Outcomes: -1 not run, 1 generated, 0 failed (an exception, logged; the thread goes on).
TEST_F(CommandThreadTest,
       GenerateOutcomeIsRecordedAndAFailingCommandIsLoggedWithoutEndingTheThread) {
  const std::string user = folder_.Path();
  for (const char* name : {"USER_DATA", "VISTAFOLD_DATA"}) platform::BindInitParameter(name, user);
  platform::BindInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
  platform::BindInitParameter("timeout", "0");
  platform::BindInitParameter("debugLevel", "2");
  test_support::WriteParameterFile(user, "FILE_NAME=" + user + "/plain.htm\nTEMPLATE_ID=plain\n");
  fs::copy_file(XMLAGENT_SOURCE_DIR "/sample/templates/plain.htm", user + "/plain.htm");
  AgentService::Instance().StartCommandThread();
  fs::create_directories(Output() / "occupied");  // writing the result throws
  int outcome = -2;
  const std::string log = test_support::CapturedStderr([&] { outcome = GenerateOutcome(); });
  EXPECT_EQ(outcome, 0);
  EXPECT_NE(log.find(" Error: Command 1 failed: "), std::string::npos) << log;

  fs::remove_all(Output());
  EXPECT_EQ(GenerateOutcome(), 1) << "synchronous: generated";
  EXPECT_TRUE(fs::exists(Output()));
}

}  // namespace
