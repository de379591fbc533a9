// Path normalisation, the parts of a file name, file copies and the listing of domain files.
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

TEST(DecomposeFullName, SplitsNamesAtDotsAndSeparatorsAsTheRulesSay) {
  TempFolder folder;
  const std::string in = folder.Path() + "/";
  const std::string marker = kInvalidInputPathname;
  const struct {
    std::string full, parent, simple, prefix, extension, minusExtension;
  } rows[] = {
      {in + ".profile", folder.Path(), ".profile", "", "", ".profile"},  // only dot comes first
      {in + "base.middle.last", folder.Path(), "base.middle.last", "base", "last", "base.middle"},
      {in + "name.", folder.Path(), "name.", "name", "", "name"},  // trailing dot
      {in + "plain", folder.Path(), "plain", "plain", "", "plain"},
      {folder.Path() + "\\x.y", folder.Path(), "x.y", "x", "y", "x"},  // a backslash separates
      {"/", "", "/", "/", "", "/"},                                    // a lone separator
      {"/etc", "/", "etc", "etc", "", "etc"},
      {marker, "", marker, marker, "", marker},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.full);
    const FileNameParts parts = DecomposeFullName(row.full);
    EXPECT_EQ(parts.parent, row.parent);
    EXPECT_EQ(parts.simpleName, row.simple);
    EXPECT_EQ(parts.namePrefix, row.prefix);
    EXPECT_EQ(parts.extension, row.extension);
    EXPECT_EQ(parts.nameMinusExtension, row.minusExtension);
  }
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
