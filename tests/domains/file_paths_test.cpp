#include "domains/file_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "domains/domain_directory.h"
#include "foundation/quire_status.h"
#include "platform/file_io.h"
#include "tests/common/test_support.h"

using test_support::CapturedStderr;
using test_support::TempFolder;

namespace {

std::string Read(const std::string& path) {
  std::string bytes;
  std::string reason;
  platform::ReadWholeFile(path, bytes, reason);
  return bytes;
}

}  // namespace

TEST(NormalisePath, ResolvesExistingPathsAndMarksOthers) {
  TempFolder folder;
  const std::string file = folder.Write("sub/a.txt", "x");
  EXPECT_EQ(NormalisePath(folder.Path("sub/../sub/a.txt")), file);
  EXPECT_EQ(NormalisePath(folder.Path("sub") + "/"), folder.Path("sub"));
  EXPECT_EQ(NormalisePath(folder.Path() + "\\sub\\a.txt"), file);
  EXPECT_EQ(NormalisePath("/"), "/");
  EXPECT_EQ(NormalisePath(folder.Path("missing")), kInvalidInputPathname);
}

TEST(DecomposeFullName, SplitsNamesAtDotsAsTheRulesSay) {
  TempFolder folder;
  const struct {
    std::string simple, prefix, extension, minusExtension;
  } rows[] = {
      {".profile", "", "", ".profile"},                     // the only dot comes first
      {"base.middle.last", "base", "last", "base.middle"},  // two dots
      {"name.", "name", "", "name"},                        // trailing dot
      {"plain", "plain", "", "plain"},
  };
  for (const auto& row : rows) {
    const FileNameParts parts = DecomposeFullName(folder.Path(row.simple));
    EXPECT_EQ(parts.parent, folder.Path()) << row.simple;
    EXPECT_EQ(parts.simpleName, row.simple);
    EXPECT_EQ(parts.namePrefix, row.prefix) << row.simple;
    EXPECT_EQ(parts.extension, row.extension) << row.simple;
    EXPECT_EQ(parts.nameMinusExtension, row.minusExtension) << row.simple;
  }
}

TEST(DecomposeFullName, HandlesBackslashesRootsAndTheMarker) {
  TempFolder folder;
  EXPECT_EQ(DecomposeFullName(folder.Path() + "\\x.y").simpleName, "x.y");

  const FileNameParts lone = DecomposeFullName("/");
  EXPECT_EQ(lone.parent, "");
  EXPECT_EQ(lone.simpleName, "/");
  EXPECT_EQ(lone.namePrefix, "/");
  EXPECT_EQ(lone.extension, "");

  const FileNameParts rooted = DecomposeFullName("/etc");
  EXPECT_EQ(rooted.parent, "/");
  EXPECT_EQ(rooted.simpleName, "etc");

  const FileNameParts marker = DecomposeFullName(kInvalidInputPathname);
  EXPECT_EQ(marker.parent, "");
  EXPECT_EQ(marker.simpleName, kInvalidInputPathname);
}

class CopyFileToTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::LoadSampleHostStrings(); }
  TempFolder folder_;
};

TEST_F(CopyFileToTest, CopiesBytesAndLeavesNoTemporaryFile) {
  const std::string bytes("a\0b\xFF\r\n", 6);
  const std::string source = folder_.Write("in.bin", bytes);
  QuireStatus status(1, "stale");
  CopyFileTo(source, folder_.Path("out.bin"), false, status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Read(folder_.Path("out.bin")), bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()),
                          std::filesystem::directory_iterator()),
            2);
}

TEST_F(CopyFileToTest, ExistingDestinationIsKeptUnlessOverwriting) {
  const std::string source = folder_.Write("in.txt", "new");
  const std::string destination = folder_.Write("out.txt", "old");
  QuireStatus status;
  CapturedStderr([&] { CopyFileTo(source, destination, false, status); });
  EXPECT_EQ(status, QuireStatus(kProcessingError,
                                "The file was not copied: the destination already exists."));
  EXPECT_EQ(Read(destination), "old");

  CopyFileTo(source, destination, true, status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Read(destination), "new");
}

TEST_F(CopyFileToTest, MissingSourceFailsAndMakesNoDestination) {
  const std::string missing = folder_.Path("none.txt");
  const std::string destination = folder_.Path("out.txt");
  QuireStatus status;
  CapturedStderr([&] { CopyFileTo(missing, destination, true, status); });
  EXPECT_EQ(status,
            QuireStatus(kProcessingError,
                        "The file " + missing + " could not be copied to " + destination + "."));
  EXPECT_FALSE(std::filesystem::exists(destination));
}

TEST(DomainDirectory, NextFiltersBySuffixWithoutRegardToCase) {
  TempFolder folder;
  folder.Write("a.DOM", "");
  folder.Write("b.dom", "");
  folder.Write(".dom", "");  // not longer than the suffix
  folder.Write("c.txt", "");
  DomainDirectory listing(folder.Path());
  ASSERT_TRUE(listing.isOpen());
  std::vector<std::string> names;
  for (std::string name = listing.next(".dom"); !name.empty(); name = listing.next(".dom")) {
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.DOM", "b.dom"}));
}
