#include "agent/command_thread.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "agent/agent_entry.h"
#include "platform/config.h"
#include "platform/log.h"

namespace fs = std::filesystem;

namespace {

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

class CommandThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    char pattern[] = "/tmp/command_thread_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    userData_ = pattern;
  }

  void TearDown() override {
    XmlAgentClose();
    std::error_code ignored;
    fs::remove_all(userData_, ignored);
  }

  // A synchronous installation: the sample home, this test's user data, a copy of the plain
  // template as the document and, when asked, the parameter file naming it.
  void BindSampleInstallation(bool withParameterFile) {
    platform::BindInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
    platform::BindInitParameter("USER_DATA", userData_.string());
    platform::BindInitParameter("VISTAFOLD_DATA", userData_.string());
    platform::BindInitParameter("timeout", "0");
    fs::create_directories(userData_ / "generated");
    document_ = userData_ / "generated" / "plain.htm";
    fs::copy_file(XMLAGENT_SOURCE_DIR "/sample/templates/plain.htm", document_);
    if (withParameterFile) {
      std::ofstream(userData_ / "generated" / "ParameterFile.txt")
          << "FILE_NAME=" << document_.string() << "\nARTIFACT_LOCATOR=artifact-1\n"
          << "TEMPLATE_ID=plain\n";
    }
  }

  fs::path Output() const { return userData_ / "generated" / "Output.txt"; }

  fs::path userData_;
  fs::path document_;
};

TEST_F(CommandThreadTest, PostsBeforeStartReturnAtOnce) {
  XmlAgentClose();  // no thread from an earlier test
  EXPECT_TRUE(ReturnsWithin(2s, [] {
    PostCommandAndWait(kCommandRefresh);
    PostCommandAndWait(kCommandGetAncestors);
    PostCommandAndWait(kCommandGenerate);
    PostCommandAndWait(kCommandClose);
  }));
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), -1);
}

TEST_F(CommandThreadTest, SecondCloseAndLaterPostsReturnAtOnce) {
  StartCommandThread();
  ASSERT_TRUE(ReturnsWithin(10s, [] { PostCommandAndWait(kCommandClose); }));
  EXPECT_TRUE(ReturnsWithin(2s, [] { PostCommandAndWait(kCommandClose); }));
  EXPECT_TRUE(ReturnsWithin(2s, [] { PostCommandAndWait(kCommandRefresh); }));
}

TEST_F(CommandThreadTest, StartAfterCloseServesAgain) {
  StartCommandThread();
  PostCommandAndWait(kCommandClose);
  StartCommandThread();
  StartCommandThread();  // a second start while one runs changes nothing
  EXPECT_TRUE(ReturnsWithin(10s, [] { PostCommandAndWait(kCommandRefresh); }));
  EXPECT_TRUE(ReturnsWithin(10s, [] { PostCommandAndWait(kCommandClose); }));
}

TEST_F(CommandThreadTest, ConcurrentPostersAllReturn) {
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

TEST_F(CommandThreadTest, GenerateWithoutParameterFileIsNotRun) {
  BindSampleInstallation(false);
  StartCommandThread();
  EXPECT_EQ(XmlAgentGenerate(), 0);
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), -1);
  EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(CommandThreadTest, SynchronousGenerateIsRecordedAsGenerated) {
  BindSampleInstallation(true);
  StartCommandThread();
  EXPECT_EQ(XmlAgentGenerate(), 0);
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), 1);
  EXPECT_TRUE(fs::exists(Output()));
  XmlAgentClose();

  fs::remove(Output());
  EXPECT_EQ(XmlAgentGenerate(), 0);
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), -1) << "a generate after close is not run";
  EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(CommandThreadTest, ExceptionFromACommandIsLoggedAndTheThreadGoesOn) {
  BindSampleInstallation(true);
  platform::BindInitParameter("debugLevel", "2");
  // A folder in the place of Output.txt: writing the result throws out of the generate command.
  fs::create_directories(Output() / "occupied");
  StartCommandThread();
  testing::internal::CaptureStderr();
  XmlAgentGenerate();
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(XmlAgentLastGenerateOutcome(), 0);
  EXPECT_NE(log.find(" Error: Command 1 failed: "), std::string::npos) << log;
  EXPECT_TRUE(ReturnsWithin(10s, [] { PostCommandAndWait(kCommandRefresh); }));
}

}  // namespace
