// Data files that are not regular files: a named pipe, a folder or a file past the data-file limit
// given as a record file, as the source of a copy or as DOMAIN.EXT is refused at once and never
// blocks the thread that asks. Pipes are made in a temporary folder only.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "domains/domain_loader.h"
#include "domains/file_paths.h"
#include "domains/record_file_reader.h"
#include "foundation/quire_status.h"
#include "platform/config.h"
#include "platform/work_limits.h"
#include "tests/common/test_support.h"

namespace {

using test_support::CapturedStderr;
using test_support::TempFolder;

// Runs body on a thread of its own; true when it returned within 5 s. Otherwise the pipe is
// opened for writing, so that a reader blocked in open() goes on, and the result is false.
bool ReturnsAtOnce(const std::function<void()>& body, const std::string& pipe) {
  std::packaged_task<void()> task(body);
  std::future<void> done = task.get_future();
  std::thread thread(std::move(task));
  const bool inTime = done.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!inTime) {
    const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  thread.join();
  return inTime;
}

class NotRegularDataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    ASSERT_EQ(::mkfifo(pipe_.c_str(), 0600), 0);
  }
  void TearDown() override { platform::ClearInitParametersForTesting(); }

  TempFolder folder_;
  std::string pipe_ = folder_.Path("pipe.txt");
};

TEST_F(NotRegularDataFiles, RecordFileReaderRefusesPipesFoldersAndFilesPastTheLimit) {
  platform::BindInitParameter(platform::kMaxDataFileBytesKey, "16");
  const std::string big = folder_.Write("big.txt", "key value\nkey2 value2\n");
  const std::string small = folder_.Write("small.txt", "key value\n");
  const std::string dir = folder_.MakeFolder("dir");
  const struct {
    std::string path;
    std::string refusal;
  } cases[] = {
      {pipe_, pipe_ + ": Not a regular file (a device, pipe or socket)"},
      {dir, dir + ": Is a directory"},
      {big, big + ": 22 bytes, more than MaxDataFileBytes (16)"},
      {small, ""},
      {folder_.Path("none.txt"), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    RecordFileReader reader;
    bool opened = true;
    std::string log;
    ASSERT_TRUE(
        ReturnsAtOnce([&] { log = CapturedStderr([&] { opened = reader.open(c.path); }); }, pipe_));
    EXPECT_EQ(opened, c.path == small);
    EXPECT_EQ(reader.refusal(), c.refusal);
    if (!c.refusal.empty()) {
      EXPECT_EQ(log, "*** Error: " + c.refusal + "\n");
    }
  }
}

TEST_F(NotRegularDataFiles, CopyFromAPipeFailsAtOnceAndMakesNoDestination) {
  const std::string destination = folder_.Path("copy.txt");
  QuireStatus status;
  std::string log;
  ASSERT_TRUE(ReturnsAtOnce(
      [&] { log = CapturedStderr([&] { CopyFileTo(pipe_, destination, true, status); }); }, pipe_));
  EXPECT_FALSE(status.IsOk());
  EXPECT_NE(log.find("Not a regular file"), std::string::npos) << log;
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST_F(NotRegularDataFiles, DomainExtensionFileThatIsAPipeIsNotOpened) {
  const std::string home = folder_.MakeFolder("install");
  folder_.MakeFolder("install/domains");
  const std::string extension = folder_.Path("install/domains/DOMAIN.EXT");
  ASSERT_EQ(::mkfifo(extension.c_str(), 0600), 0);
  platform::BindInitParameter("VISTAFOLD_HOME", home);
  platform::BindInitParameter("HOME", folder_.MakeFolder("home"));
  ResetDomainLoadingForTesting();
  QuireStatus status;
  std::string log;
  ASSERT_TRUE(ReturnsAtOnce([&] { log = CapturedStderr([&] { loadDomainExtensions(status); }); },
                            extension));
  EXPECT_FALSE(status.IsOk());
  EXPECT_NE(log.find("unable to open " + extension), std::string::npos) << log;
}

}  // namespace
