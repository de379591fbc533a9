// A file without write permission for its owner is not replaced, even by a process that may.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>

#include "platform/file_io.h"
#include "test_support.h"

namespace {

using test_support::ReadFile;
using test_support::TempFolder;

struct stat StatusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status;
}

TEST(FileReplacement, KeepsTheModeOfTheFileItReplaces) {
  TempFolder folder("file_replacement");
  for (const mode_t mode : {0600, 0640, 0755}) {
    SCOPED_TRACE(mode);
    const std::string path = folder.Write("page.htm", "template");
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_EQ(platform::ReplaceFile(path, "page"), 0);
    EXPECT_EQ(ReadFile(path), "page");
    EXPECT_EQ(StatusOf(path).st_mode & 07777, mode);
  }
}

TEST(FileReplacement, KeepsTheOwnerWhereTheProcessMayGiveIt) {
  TempFolder folder("file_replacement");
  const std::string path = folder.Write("page.htm", "template");
  constexpr uid_t kOwner = 4321;
  constexpr gid_t kGroup = 8765;
  if (::chown(path.c_str(), kOwner, kGroup) != 0) {
    // Another owner cannot be given here; the replacement must still succeed.
    ASSERT_EQ(errno, EPERM);
    ASSERT_EQ(platform::ReplaceFile(path, "page"), 0);
    EXPECT_EQ(ReadFile(path), "page");
    GTEST_SKIP() << "this process may not give files to another owner";
  }
  ASSERT_EQ(platform::ReplaceFile(path, "page"), 0);
  EXPECT_EQ(ReadFile(path), "page");
  EXPECT_EQ(StatusOf(path).st_uid, kOwner);
  EXPECT_EQ(StatusOf(path).st_gid, kGroup);
}

TEST(FileReplacement, RefusesAFileWithoutWritePermissionForItsOwner) {
  TempFolder folder("file_replacement");
  const std::string path = folder.Write("page.htm", "template");
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const int failure = platform::ReplaceFile(path, "page");
  EXPECT_EQ(failure, EACCES);
  EXPECT_EQ(platform::SystemErrorText(failure), "Permission denied");
  EXPECT_EQ(ReadFile(path), "template");
  EXPECT_EQ(StatusOf(path).st_mode & 07777, 0444u);
  // A file that does not exist yet is made.
  EXPECT_EQ(platform::ReplaceFile(folder.Path("new.htm"), "page"), 0);
  EXPECT_EQ(ReadFile(folder.Path("new.htm")), "page");
}

// The full disk as tests fake it: after the bytes allowed, writes fail with ENOSPC.
TEST(FileReplacement, AFullDiskLeavesTheTargetAsItWas) {
  TempFolder folder("file_replacement");
  const std::string path = folder.Write("page.htm", "template");
  platform::SetWriteSpaceForTesting(4);
  EXPECT_EQ(platform::ReplaceFile(path, "generated page"), ENOSPC);
  EXPECT_EQ(platform::ReplaceFile(path, "x"), ENOSPC) << "the space stays used up";
  platform::SetWriteSpaceForTesting(-1);
  EXPECT_EQ(ReadFile(path), "template");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_EQ(platform::ReplaceFile(path, "generated page"), 0);
  EXPECT_EQ(ReadFile(path), "generated page");
}

// Put in place by exchange, the new file takes the old one's place and mode, the old one goes,
// and a path with no file yet is simply written.
TEST(FileReplacement, AnExchangeLeavesOnlyTheNewFile) {
  TempFolder folder("file_replacement");
  using Placement = platform::FileReplacement::Placement;
  const std::string path = folder.Write("page.htm", "template");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const auto inode = StatusOf(path).st_ino;
  for (const std::string& target : {path, folder.Path("new.htm")}) {
    SCOPED_TRACE(target);
    const auto contents = [&] {
      return std::filesystem::exists(target) ? ReadFile(target) : std::string("(none)");
    };
    const std::string before = contents();
    platform::FileReplacement file(target, Placement::kExchange);
    ASSERT_EQ(file.Open(), 0);
    ASSERT_EQ(file.Write("generated "), 0);
    ASSERT_EQ(file.Write("page"), 0);
    EXPECT_EQ(contents(), before) << "nothing changes before the commit";
    ASSERT_EQ(file.Commit(), 0);
    EXPECT_EQ(ReadFile(target), "generated page");
  }
  EXPECT_NE(StatusOf(path).st_ino, inode);
  EXPECT_EQ(StatusOf(path).st_mode & 07777, 0640);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                          std::filesystem::directory_iterator()),
            2);
}

// A long file reserves its blocks ahead of its writes; what was reserved and not written is
// given back, and a replacement that runs out of space still leaves nothing behind.
TEST(FileReplacement, ALongFileKeepsNoBlocksBeyondItsEnd) {
  TempFolder folder("file_replacement");
  const std::string path = folder.Write("page.htm", "template");
  std::string expected;
  {
    platform::FileReplacement file(path);
    ASSERT_EQ(file.Open(), 0);
    for (int piece = 0; piece < 20; ++piece) {
      const std::string bytes(256 * 1024 + piece, static_cast<char>('a' + piece));
      ASSERT_EQ(file.Write(bytes), 0);
      expected += bytes;
    }
    ASSERT_EQ(file.Commit(), 0);
  }
  EXPECT_TRUE(ReadFile(path) == expected);
  const struct stat status = StatusOf(path);
  EXPECT_EQ(static_cast<size_t>(status.st_size), expected.size());
  EXPECT_LT(static_cast<long long>(status.st_blocks) * 512,
            static_cast<long long>(expected.size()) + 256 * 1024);

  platform::SetWriteSpaceForTesting(3 << 20);
  {
    platform::FileReplacement file(path);
    ASSERT_EQ(file.Open(), 0);
    int failure = 0;
    for (int piece = 0; piece < 20 && failure == 0; ++piece) {
      failure = file.Write(std::string(512 * 1024, 'x'));
    }
    EXPECT_EQ(failure, ENOSPC);
    EXPECT_EQ(file.Commit(), ENOSPC);
  }
  platform::SetWriteSpaceForTesting(-1);
  EXPECT_TRUE(ReadFile(path) == expected);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
