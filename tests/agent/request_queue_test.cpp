#include "agent/request_queue.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "agent/agent.h"
#include "agent/generation_driver.h"
#include "platform/com_factory.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"
#include "platform/named_mutex.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr char kLoosePage[] = "<html>\n  <body>\n    <p>x</p>\n  </body>\n</html>\n";
constexpr char kPageAsSaved[] = "<html><body><p>x</p></body></html>";

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "request_queue_test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make " << pattern;
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string Path(const std::string& name) const { return (path_ / name).string(); }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
    return Path(name);
  }

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Sends the standard error stream, where the log goes, into a file for the life of the object, so
// that lines of the consumer thread are kept whenever they come.
class StderrToFile {
 public:
  explicit StderrToFile(std::string path) : path_(std::move(path)) {
    std::fflush(stderr);
    saved_ = ::dup(2);
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (saved_ < 0 || fd < 0 || ::dup2(fd, 2) < 0) ADD_FAILURE() << "cannot redirect stderr";
    if (fd >= 0) ::close(fd);
  }
  ~StderrToFile() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      ::dup2(saved_, 2);
      ::close(saved_);
    }
  }
  StderrToFile(const StderrToFile&) = delete;
  StderrToFile& operator=(const StderrToFile&) = delete;

  std::string Text() const { return ReadFile(path_); }

 private:
  std::string path_;
  int saved_ = -1;
};

// A document file that is a named pipe: loading it blocks until Feed, which keeps the consumer
// busy in state "being processed" for as long as a test needs.
class SlowDocument {
 public:
  explicit SlowDocument(std::string path) : path_(std::move(path)) {
    if (mkfifo(path_.c_str(), 0600) != 0) ADD_FAILURE() << "cannot make the pipe " << path_;
  }
  // Releases a reader blocked on the pipe and leaves a plain file for later readers, so the
  // consumer can always be stopped.
  ~SlowDocument() {
    if (!std::filesystem::is_fifo(path_)) return;
    const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK);  // a writer: open() returns
    std::ofstream(path_ + ".plain") << kSpare;
    std::filesystem::rename(path_ + ".plain", path_);
    if (fd >= 0) {
      (void)!::write(fd, kSpare, sizeof kSpare - 1);
      ::close(fd);
    }
  }
  SlowDocument(const SlowDocument&) = delete;
  SlowDocument& operator=(const SlowDocument&) = delete;

  // Hands text to the reader once it has opened the pipe; false when none came in time.
  bool Feed(const std::string& text, milliseconds patience = milliseconds(5000)) {
    const auto deadline = steady_clock::now() + patience;
    int fd = -1;
    while ((fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK)) < 0 &&
           steady_clock::now() < deadline) {
      std::this_thread::sleep_for(milliseconds(5));
    }
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return written;
  }

  const std::string& Path() const { return path_; }

 private:
  static constexpr char kSpare[] = "<html/>";
  std::string path_;
};

class RequestQueueTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("debugLevel", "5");
    platform::ResetLogThresholdForTesting();
    ASSERT_TRUE(CreateRequestMutexes());
    SetRequestClockForTesting([this] { return now_.load(); });
    core_ = std::make_unique<AgentCore>();
    stderr_ = std::make_unique<StderrToFile>(folder_.Path("stderr.txt"));
  }

  void TearDown() override {
    StopConsumerThread();
    stderr_.reset();
    SetRequestClockForTesting(nullptr);
    core_.reset();
    AgentService().timeoutMs = 8000;
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  void UseQueue(int32_t timeoutMs) {
    AgentService().timeoutMs = timeoutMs;
    StartConsumerThread();
    ASSERT_TRUE(ConsumerThreadRunning());
  }

  // Submits one request; flag_ holds the returned flag (synchronous: generated; asynchronous:
  // timed out) and log_ what was logged during the call.
  void Submit(const std::string& file, const std::string& templateId,
              const std::string& locator = "artifact:1") {
    const size_t mark = LogSince(0).size();
    flag_ = SubmitGenerateRequest(file, locator, "http://portal", templateId, {}, result_);
    log_ = LogSince(mark);
  }

  // Repeats a request until it collects a finished result; false when it never does.
  bool SubmitUntilCollected(const std::string& file, const std::string& templateId,
                            const std::string& locator = "artifact:1") {
    const size_t mark = LogSince(0).size();
    bool collected = false;
    for (int attempt = 0; attempt < 250 && !collected; ++attempt) {
      Submit(file, templateId, locator);
      collected = !flag_;  // asynchronous: false once collected
      if (!collected) std::this_thread::sleep_for(milliseconds(20));
    }
    log_ = LogSince(mark);
    return collected;
  }

  // The log text written since the given length of it.
  std::string LogSince(size_t mark) const {
    std::fflush(stderr);
    const std::string text = stderr_->Text();
    return mark < text.size() ? text.substr(mark) : std::string();
  }

  std::atomic<int64_t> now_{5'000'000};
  std::unique_ptr<AgentCore> core_;
  ScratchFolder folder_;
  std::optional<std::string> result_;
  bool flag_ = true;
  std::string log_;
  std::unique_ptr<StderrToFile> stderr_;
};

TEST_F(RequestQueueTest, NormalisingTurnsEveryBackslashIntoASlash) {
  EXPECT_EQ(NormaliseTemplateId("a\\b\\\\c/d"), "a/b//c/d");
  EXPECT_EQ(NormaliseTemplateId(""), "");
}

// Synchronous mode

TEST_F(RequestQueueTest, SynchronousModeSavesTheDocumentThroughTheDocumentObject) {
  AgentService().timeoutMs = 0;
  const std::string file = folder_.Write("page.htm", kLoosePage);
  Submit(file, "tpl\\page");
  EXPECT_TRUE(flag_) << "the flag is the driver's success";
  EXPECT_EQ(ReadFile(file), kPageAsSaved);
  EXPECT_EQ(log_.find("Queued request"), std::string::npos) << log_;
  EXPECT_NE(log_.find("Template tpl\\page generated in "), std::string::npos) << log_;
  EXPECT_EQ(core_->currentDocument, nullptr) << "the document is released afterwards";
  EXPECT_EQ(PendingRequestCount(), 0u);
}

TEST_F(RequestQueueTest, SynchronousModeLeavesADocumentThatDoesNotLoadUntouched) {
  AgentService().timeoutMs = 0;
  const std::string broken = "<html><p>unclosed &nbsp;</html>";
  const std::string file = folder_.Write("broken.htm", broken);
  Submit(file, "tpl/broken");
  EXPECT_FALSE(flag_) << "the driver's failure";
  EXPECT_EQ(ReadFile(file), broken);
  const std::string error = LastGenerationErrorText();
  EXPECT_NE(error.find(file + ": "), std::string::npos) << error;
  EXPECT_NE(error.find("Error on line 1, position "), std::string::npos) << error;
}

TEST_F(RequestQueueTest, SynchronousModeFailsWhenNoDocumentObjectCanBeMade) {
  AgentService().timeoutMs = 0;
  ASSERT_TRUE(platform::ComFactory::Register("MSXML.DOMDocument", [] {
    return std::make_shared<platform::ComObject>();  // an object that is no document
  }));
  const std::string file = folder_.Write("page.htm", kLoosePage);
  Submit(file, "tpl/page");
  platform::RegisterDomDocumentClass();
  EXPECT_FALSE(flag_);
  EXPECT_NE(log_.find(" Critical error: "), std::string::npos) << log_;
  EXPECT_EQ(ReadFile(file), kLoosePage);
}

TEST_F(RequestQueueTest, SynchronousModeWithoutAnAgentCoreGeneratesNothing) {
  AgentService().timeoutMs = 0;
  core_.reset();
  const std::string file = folder_.Write("page.htm", kLoosePage);
  Submit(file, "tpl/page");
  EXPECT_FALSE(flag_);
  EXPECT_EQ(ReadFile(file), kLoosePage);
  EXPECT_EQ(log_.find("generated in"), std::string::npos) << log_;
}

// Asynchronous mode

TEST_F(RequestQueueTest, QueuedRequestIsWrittenBackByTheCallerWithEmptyParagraphsRestored) {
  UseQueue(5000);
  const std::string file =
      folder_.Write("page.htm", "<html><body><p nbsp=\"True\">x</p></body></html>");
  Submit(file, "tpl\\page");
  EXPECT_FALSE(flag_) << log_;
  EXPECT_NE(log_.find("Queued request for tpl/page"), std::string::npos) << log_;
  EXPECT_NE(log_.find("Consumer thread processing GenerateFromLink request for tpl/page"),
            std::string::npos)
      << log_;
  EXPECT_EQ(Occurrences(log_, "Template tpl/page generated in "), 2u)
      << "once by the driver and once by the caller: " << log_;
  EXPECT_EQ(ReadFile(file),
            "<html><body><p><![if !supportEmptyParas]>&nbsp;<![endif]>x</p></body></html>");
  EXPECT_FALSE(result_.has_value()) << "pages without commands have no outline text";
}

TEST_F(RequestQueueTest, CallerReportsTheSecondsSinceTheRequestWasQueued) {
  UseQueue(100);
  SlowDocument slow(folder_.Path("slow.htm"));
  Submit(slow.Path(), "tpl/slow");  // the first caller gives up while the pipe blocks
  now_ += 2'345;
  ASSERT_TRUE(slow.Feed(kLoosePage));
  ASSERT_TRUE(SubmitUntilCollected(slow.Path(), "tpl/slow"));
  EXPECT_NE(log_.find("Template tpl/slow generated in 2.345 seconds"), std::string::npos) << log_;
}

TEST_F(RequestQueueTest, DuplicateWhileProcessingTimesOutAtOnceAndALaterOneCollects) {
  UseQueue(200);
  SlowDocument slow(folder_.Path("slow.htm"));
  Submit(slow.Path(), "tpl/slow");
  EXPECT_TRUE(flag_);
  EXPECT_NE(log_.find("Request timed out tpl/slow"), std::string::npos) << log_;

  const auto started = steady_clock::now();
  Submit(slow.Path(), "tpl/slow");
  EXPECT_LT(steady_clock::now() - started, milliseconds(150)) << "a duplicate does not wait";
  EXPECT_TRUE(flag_);
  EXPECT_NE(log_.find("Request timed out tpl/slow"), std::string::npos) << log_;
  EXPECT_EQ(log_.find("Queued request"), std::string::npos) << log_;
  EXPECT_EQ(PendingRequestCount(), 1u);

  ASSERT_TRUE(slow.Feed(kLoosePage));
  ASSERT_TRUE(SubmitUntilCollected(slow.Path(), "tpl/slow"));
  EXPECT_EQ(log_.find("Queued request"), std::string::npos) << "collected, not queued again";
  EXPECT_EQ(ReadFile(slow.Path()), kPageAsSaved);
}

TEST_F(RequestQueueTest, BackslashAndSlashTemplateIdsAreTheSameRequest) {
  UseQueue(100);
  SlowDocument slow(folder_.Path("slow.htm"));
  Submit(slow.Path(), "folder\\tpl");
  EXPECT_NE(log_.find("Request timed out folder\\tpl"), std::string::npos)
      << "the log line keeps the id as given: " << log_;
  Submit(slow.Path(), "folder/tpl");
  EXPECT_TRUE(flag_);
  EXPECT_EQ(log_.find("Queued request"), std::string::npos) << log_;
  EXPECT_EQ(PendingRequestCount(), 1u);
}

TEST_F(RequestQueueTest, UncollectedRequestIsDeletedOnAPassMoreThan600SecondsAfterQueueing) {
  UseQueue(100);
  SlowDocument slow(folder_.Path("slow.htm"));
  Submit(slow.Path(), "tpl/abandoned");
  ASSERT_TRUE(slow.Feed(kLoosePage));  // done, but nobody collects it

  now_ += 600'000;
  const std::string other = folder_.Write("other.htm", kLoosePage);
  ASSERT_TRUE(SubmitUntilCollected(other, "tpl/first", "artifact:2"));
  EXPECT_EQ(LogSince(0).find("Consumer thread deleting request tpl/abandoned"), std::string::npos)
      << "exactly 600 s is not yet too old";

  now_ += 1;
  ASSERT_TRUE(SubmitUntilCollected(other, "tpl/second", "artifact:3"));
  EXPECT_EQ(Occurrences(LogSince(0), "Consumer thread deleting request tpl/abandoned"), 1u);
  EXPECT_TRUE(std::filesystem::is_fifo(slow.Path())) << "the abandoned result was never written";
}

TEST_F(RequestQueueTest, CollectedRequestIsDeletedOnTheNextPass) {
  UseQueue(5000);
  const std::string first = folder_.Write("first.htm", kLoosePage);
  Submit(first, "tpl/first", "artifact:1");
  ASSERT_FALSE(flag_);
  const std::string second = folder_.Write("second.htm", kLoosePage);
  Submit(second, "tpl/second", "artifact:2");
  ASSERT_FALSE(flag_);
  const std::string log = LogSince(0);
  EXPECT_EQ(Occurrences(log, "Consumer thread deleting request tpl/first"), 1u) << log;
  EXPECT_LE(PendingRequestCount(), 1u);
}

TEST_F(RequestQueueTest, FailedQueuedGenerationWritesTheErrorTextOverTheFile) {
  UseQueue(5000);
  const std::string file = folder_.Write("broken.htm", "<html><p>unclosed</html>");
  Submit(file, "tpl/broken");
  EXPECT_FALSE(flag_);
  const std::string written = ReadFile(file);
  EXPECT_NE(written.find("broken.htm"), std::string::npos) << written;
  EXPECT_EQ(written, LastGenerationErrorText());
}

TEST_F(RequestQueueTest, StoppingTheConsumerDeletesTheRequestsLeftInTheList) {
  UseQueue(100);
  SlowDocument slow(folder_.Path("slow.htm"));
  Submit(slow.Path(), "tpl/left");
  ASSERT_TRUE(slow.Feed(kLoosePage));
  StopConsumerThread();
  EXPECT_FALSE(ConsumerThreadRunning());
  EXPECT_EQ(PendingRequestCount(), 0u);
}

}  // namespace
