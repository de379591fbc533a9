// The request queue as the agent service serves through it, and the synchronous mode beside it.
#include "agent/request_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "agent/agent_service.h"
#include "generate/progress_sink.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/named_mutex.h"
#include "test_support.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test_support::Count;
using test_support::ReadFile;

constexpr char kLoosePage[] = "<html>\n  <body>\n    <p>x</p>\n  </body>\n</html>\n";
// The loose page as generated and saved: well-formed, completed for the portal, its text kept.
bool IsSavedPage(const std::string& text) {
  return text.rfind("<html>", 0) == 0 && text.find("<p>x</p></body></html>") != std::string::npos &&
         text.find("<form name=\"portal\"") != std::string::npos;
}

// Holds the consumer inside a generation while closed: the progress report at the start of a
// page's walk waits until Release, so that a request stays in work as long as the test wants.
class GenerationGate : public ProgressSink {
 public:
  void report(const std::string&, int) override {
    std::unique_lock<std::mutex> lock(mutex_);
    ++arrived_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
    arrived_ = 0;
  }
  // Opens the gate once a page has come to it; false when none came within 5 s.
  bool Release() {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool came = changed_.wait_for(lock, milliseconds(5000), [this] { return arrived_ > 0; });
    open_ = true;
    changed_.notify_all();
    return came;
  }
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
  int arrived_ = 0;
};

// A service on the sample installation (home and data folder in one, no log file), opened in the
// mode that the test asks for.
class RequestQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("debugLevel", "5");
    platform::BindInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
    platform::BindInitParameter("VISTAFOLD_DATA", XMLAGENT_SOURCE_DIR "/sample/install");
    platform::ResetLogThresholdForTesting();
    service_.Queue().SetClockForTesting([this] { return now_.load(); });
    service_.SetProgressSink(&gate_);
  }

  void TearDown() override {
    gate_.Open();
    service_.CloseAgent();
    service_.Queue().SetClockForTesting(nullptr);
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  // Opens the agent with this timeout: 0 generates at once, any other through the consumer.
  void UseQueue(int32_t timeoutMs) {
    platform::BindInitParameter("timeout", std::to_string(timeoutMs));
    service_.OpenAgent();
    ASSERT_TRUE(service_.Initialised());
    ASSERT_EQ(service_.ConsumerThreadRunning(), timeoutMs != 0);
  }

  // Submits one request; flag_ holds the returned flag (synchronous: generated; asynchronous:
  // timed out), outcome_ what the caller learnt of its generation, log_ what was logged.
  void Submit(const std::string& file, const std::string& templateId) {
    const size_t mark = Log().size();
    PageRequest request;
    request.fileName = file;
    request.artifactLocator = "artifact:1";
    request.serverUrl = "http://portal";
    request.templateId = templateId;
    const Submission submission = service_.SubmitGenerateRequest(request);
    flag_ = submission.flag;
    outcome_ = submission.outcome;
    result_ = submission.resultText;
    log_ = stderr_.Since(mark);
  }

  // Repeats a request (at most 250 times) until it collects a finished result.
  bool SubmitUntilCollected(const std::string& file, const std::string& templateId) {
    const size_t mark = Log().size();
    for (int attempt = 0; attempt < 250; ++attempt) {
      Submit(file, templateId);
      if (!flag_) break;
      std::this_thread::sleep_for(milliseconds(20));
    }
    log_ = stderr_.Since(mark);
    return !flag_;
  }

  std::string Log() const { return stderr_.Since(0); }

  std::atomic<int64_t> now_{5'000'000};
  test_support::TempFolder folder_;
  std::optional<std::string> result_;
  bool flag_ = true;
  int outcome_ = -1;
  std::string log_;
  test_support::StderrToFile stderr_{folder_.Path("stderr.txt")};
  GenerationGate gate_;  // outlives the service's consumer thread
  AgentService service_;
};

TEST_F(RequestQueueTest, SynchronousModeSavesAWellFormedDocumentAndLeavesAnyOtherUntouched) {
  UseQueue(0);
  const std::string file = folder_.Write("page.htm", kLoosePage);
  Submit(file, "tpl\\page");
  EXPECT_TRUE(flag_) << "the flag is the driver's success";
  EXPECT_TRUE(IsSavedPage(ReadFile(file))) << ReadFile(file);
  EXPECT_EQ(log_.find("Queued request"), std::string::npos) << log_;

  // The conversion leaves this text as it is, and it still does not load.
  const std::string broken = "<html><p>unclosed</html>";
  const std::string brokenFile = folder_.Write("broken.htm", broken);
  Submit(brokenFile, "tpl/broken");
  EXPECT_FALSE(flag_) << "the driver's failure";
  EXPECT_EQ(ReadFile(brokenFile), broken);
  EXPECT_NE(service_.LastGenerationErrorText().find("Error on line 1, position "),
            std::string::npos);
}

// A request that times out is told so and leaves its document as the template. A repeat made
// while the consumer still works on it joins it, waits, and writes the result into its own file.
// A backslash in a template id counts as a slash, so "tpl\\slow" and "tpl/slow" are one request.
TEST_F(RequestQueueTest, ARepeatJoinsTheRequestInWorkAndWritesItsOwnFile) {
  EXPECT_EQ(NormaliseTemplateId("a\\b\\\\c/d"), "a/b//c/d");
  UseQueue(300);
  gate_.Close();
  const std::string first = folder_.Write("first.htm", kLoosePage);
  const std::string second = folder_.Write("second.htm", kLoosePage);
  Submit(first, "tpl\\slow");
  EXPECT_TRUE(flag_);
  EXPECT_EQ(outcome_, kTimedOutOutcome);
  EXPECT_NE(log_.find("Queued request for tpl/slow"), std::string::npos) << log_;
  EXPECT_NE(log_.find("Critical error: Request timed out tpl\\slow"), std::string::npos)
      << "at the default level, the id as given: " << log_;

  now_ += 2'345;
  std::thread release([this] {
    std::this_thread::sleep_for(milliseconds(50));
    gate_.Release();
  });
  Submit(second, "tpl/slow");
  release.join();
  EXPECT_FALSE(flag_) << log_;
  EXPECT_EQ(outcome_, 1);
  EXPECT_EQ(log_.find("Queued request"), std::string::npos) << "joined, not queued again";
  EXPECT_NE(log_.find("Template tpl/slow generated in 2.345 seconds"), std::string::npos)
      << "the seconds since the request was queued: " << log_;
  EXPECT_TRUE(IsSavedPage(ReadFile(second))) << ReadFile(second);
  EXPECT_EQ(ReadFile(first), kLoosePage) << "the caller that gave up keeps its template";
}

// A refresh cleans the domains that the consumer reads while it generates: it waits for the page
// in work to end.
TEST_F(RequestQueueTest, ARefreshWaitsForThePageInWork) {
  UseQueue(100);
  gate_.Close();
  const std::string file = folder_.Write("page.htm", kLoosePage);
  Submit(file, "tpl/slow");
  EXPECT_EQ(outcome_, kTimedOutOutcome);

  std::atomic<bool> refreshed{false};
  std::thread refresh([this, &refreshed] {
    service_.Refresh();
    refreshed.store(true);
  });
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_FALSE(refreshed.load()) << "the domains were cleaned under the page in work";
  EXPECT_TRUE(gate_.Release());
  refresh.join();
  EXPECT_TRUE(refreshed.load());
  EXPECT_TRUE(SubmitUntilCollected(file, "tpl/slow")) << log_;
  EXPECT_TRUE(IsSavedPage(ReadFile(file))) << ReadFile(file);
}

// A result that finished after its caller gave up is not handed to the next request for the same
// page: that one gets a page made from its own document, in its own file.
TEST_F(RequestQueueTest, ALateResultIsNeitherWrittenNorCollectedByTheNextRequest) {
  UseQueue(100);
  gate_.Close();
  const std::string first = folder_.Write("first.htm", kLoosePage);
  Submit(first, "tpl/late");
  EXPECT_EQ(outcome_, kTimedOutOutcome);
  ASSERT_TRUE(gate_.Release());
  // The consumer holds "consumerMutex" while it serves: owning it means the late result is done.
  platform::NamedMutex consumer = platform::NamedMutex::Open("consumerMutex");
  ASSERT_EQ(consumer.Wait(5000), platform::WaitResult::kSignaled);
  consumer.Release();

  std::string own = kLoosePage;
  own.replace(own.find("<p>x</p>"), 8, "<p>y</p>");
  const std::string second = folder_.Write("second.htm", own);
  ASSERT_TRUE(SubmitUntilCollected(second, "tpl/late"));
  EXPECT_EQ(outcome_, 1);
  EXPECT_EQ(Count(log_, "Queued request for tpl/late"), 1u) << log_;
  const std::string page = ReadFile(second);
  EXPECT_NE(page.find("<p>y</p>"), std::string::npos) << page;
  EXPECT_EQ(page.find("<p>x</p>"), std::string::npos) << "not the late result: " << page;
  EXPECT_EQ(ReadFile(first), kLoosePage) << "the late result went nowhere";
}

// A failed queued generation writes its error text over the document, and the caller learns that
// it failed rather than taking the collected request for a generated page.
TEST_F(RequestQueueTest, CollectedFailureWritesTheErrorTextAndIsReportedAsFailed) {
  UseQueue(2000);
  const std::string broken = folder_.Write("broken.htm", "<html><p>unclosed</html>");
  ASSERT_TRUE(SubmitUntilCollected(broken, "tpl/broken"));
  EXPECT_EQ(outcome_, 0) << "collected, and known to have failed";
  EXPECT_NE(ReadFile(broken).find("Error on line 1, position "), std::string::npos);

  const std::string good = folder_.Write("good.htm", kLoosePage);
  ASSERT_TRUE(SubmitUntilCollected(good, "tpl/good"));
  EXPECT_EQ(outcome_, 1) << "collected, and known to be generated";
}

TEST_F(RequestQueueTest, UncollectedRequestIsDeletedOnAPassMoreThan600SecondsAfterQueueing) {
  UseQueue(100);
  gate_.Close();
  const std::string slow = folder_.Write("slow.htm", kLoosePage);
  Submit(slow, "tpl/abandoned");
  ASSERT_TRUE(gate_.Release());  // done, but nobody collects it

  now_ += 600'000;
  const std::string other = folder_.Write("other.htm", kLoosePage);
  ASSERT_TRUE(SubmitUntilCollected(other, "tpl/first"));
  EXPECT_EQ(Log().find("Consumer thread deleting request tpl/abandoned"), std::string::npos)
      << "exactly 600 s is not yet too old";

  now_ += 1;
  ASSERT_TRUE(SubmitUntilCollected(other, "tpl/second"));
  EXPECT_EQ(Count(Log(), "Consumer thread deleting request tpl/abandoned"), 1u);
  EXPECT_EQ(ReadFile(slow), kLoosePage) << "the abandoned result was never written";
}

}  // namespace
