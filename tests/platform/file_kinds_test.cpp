// The whole-file reader and the replace-by-rename writer take regular files only.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/file_io.h"
#include "test_support.h"

namespace {

using test_support::OpenPipeForWriting;
using test_support::ReturnsInTime;
using test_support::TempFolder;

// A character device like the machine's null device, made in the test's own folder; empty when
// the process may not make device nodes.
std::string MakeNullDevice(const TempFolder& folder) {
  const std::string path = folder.Path("null-device");
  if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) return "";
  return path;
}

mode_t TypeOf(const std::string& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & S_IFMT;
}

TEST(RegularFilesOnly, ReaderRefusesFoldersPipesAndDevicesWithoutBlocking) {
  TempFolder folder("file_kinds");
  const std::string pipe = folder.Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  bool read = true;
  std::string bytes = "kept";
  std::string reason;
  ASSERT_TRUE(ReturnsInTime([&] { read = platform::ReadWholeFile(pipe, bytes, reason); },
                            [&] { OpenPipeForWriting(pipe); }))
      << "reading a named pipe blocked";
  EXPECT_FALSE(read);
  EXPECT_EQ(bytes, "kept");
  EXPECT_EQ(reason, "Cannot read the file: Not a regular file (a device, pipe or socket).");

  EXPECT_FALSE(platform::ReadWholeFile(folder.Path(), bytes, reason));
  EXPECT_EQ(reason, "Cannot read the file: Is a directory.");

  const std::string device = MakeNullDevice(folder);
  if (device.empty()) GTEST_SKIP() << "no device nodes can be made here";
  EXPECT_FALSE(platform::ReadWholeFile(device, bytes, reason));
  EXPECT_EQ(reason, "Cannot read the file: Not a regular file (a device, pipe or socket).");
  EXPECT_EQ(bytes, "kept");
}

TEST(RegularFilesOnly, ReaderRefusesAFileBeyondTheLimitWithoutReadingIt) {
  TempFolder folder("file_kinds");
  // Sparse: the size is there without the disk space.
  const std::string big = folder.Write("big.htm", "");
  ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(platform::kMaxWholeFileBytes) + 1), 0);
  std::string bytes;
  std::string reason;
  EXPECT_FALSE(platform::ReadWholeFile(big, bytes, reason));
  EXPECT_EQ(reason, "Cannot read the file: File too large.");
  EXPECT_EQ(bytes.size(), 0u);
  // The same file, made small, is read whole.
  ASSERT_EQ(::truncate(big.c_str(), 3), 0);
  bytes.clear();
  EXPECT_TRUE(platform::ReadWholeFile(big, bytes, reason)) << reason;
  EXPECT_EQ(bytes.size(), 3u);
}

TEST(RegularFilesOnly, WriterLeavesFoldersPipesAndDevicesAsTheyAre) {
  TempFolder folder("file_kinds");
  const std::string pipe = folder.Path("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  int failure = 0;
  ASSERT_TRUE(ReturnsInTime([&] { failure = platform::ReplaceFile(pipe, "page"); },
                            [&] { OpenPipeForWriting(pipe); }));
  EXPECT_EQ(failure, platform::kNotRegularFile);
  EXPECT_EQ(platform::SystemErrorText(failure), "Not a regular file (a device, pipe or socket)");
  EXPECT_EQ(TypeOf(pipe), static_cast<mode_t>(S_IFIFO));

  const std::string sub = folder.MakeFolder("sub");
  EXPECT_EQ(platform::ReplaceFile(sub, "page"), EISDIR);
  EXPECT_EQ(TypeOf(sub), static_cast<mode_t>(S_IFDIR));

  const std::string device = MakeNullDevice(folder);
  if (device.empty()) GTEST_SKIP() << "no device nodes can be made here";
  EXPECT_EQ(platform::ReplaceFile(device, "page"), platform::kNotRegularFile);
  EXPECT_EQ(TypeOf(device), static_cast<mode_t>(S_IFCHR));
  // Nothing was left beside them either.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 3u);
}

}  // namespace
