#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using platform::GetPrivateProfileString;
using platform::IniFile;

class IniFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ini_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Write(const std::string& text) {
    std::string path = (folder_ / "settings.ini").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::filesystem::path folder_;
};

TEST_F(IniFileOnDisk, SectionAndKeyNamesCompareWithoutCase) {
  std::string path = Write("[Settings]\nTimeOut=250\n");
  EXPECT_EQ(GetPrivateProfileString("SETTINGS", "timeout", "dflt", path), "250");
  EXPECT_EQ(GetPrivateProfileString("settings", "TIMEOUT", "dflt", path), "250");
}

TEST_F(IniFileOnDisk, FirstMatchingKeyAndFirstMatchingSectionWin) {
  std::string path = Write(
      "[A]\nkey=first\nKEY=second\n"
      "[a]\nother=only-in-second-section\nkey=third\n");
  EXPECT_EQ(GetPrivateProfileString("a", "key", "", path), "first");
  // A later section of the same name is not consulted.
  EXPECT_EQ(GetPrivateProfileString("a", "other", "none", path), "none");
}

TEST_F(IniFileOnDisk, BlanksAroundNamesAndValuesAreRemoved) {
  std::string path = Write("  [  Spaced Section  ]  \n\t key name \t=  value with  inner  \t\n");
  EXPECT_EQ(GetPrivateProfileString("Spaced Section", "key name", "", path), "value with  inner");
}

TEST_F(IniFileOnDisk, OnePairOfMatchingQuotesIsStripped) {
  std::string path = Write(
      "[q]\ndouble=\"  kept  \"\nsingle='x'\nmixed=\"x'\nlone=\"\nnested=\"'a'\"\n"
      "inner=a\"b\"\n");
  EXPECT_EQ(GetPrivateProfileString("q", "double", "", path), "  kept  ");
  EXPECT_EQ(GetPrivateProfileString("q", "single", "", path), "x");
  EXPECT_EQ(GetPrivateProfileString("q", "mixed", "", path), "\"x'");
  EXPECT_EQ(GetPrivateProfileString("q", "lone", "", path), "\"");
  EXPECT_EQ(GetPrivateProfileString("q", "nested", "", path), "'a'");
  EXPECT_EQ(GetPrivateProfileString("q", "inner", "", path), "a\"b\"");
}

TEST_F(IniFileOnDisk, CommentLinesAreIgnoredButSemicolonsInValuesStay) {
  std::string path = Write("[c]\n; key=commented\n  ;key=also\nkey=a;b\n");
  EXPECT_EQ(GetPrivateProfileString("c", "key", "", path), "a;b");
  EXPECT_EQ(GetPrivateProfileString("c", "; key", "dflt", path), "dflt");
}

TEST_F(IniFileOnDisk, MissingFileSectionOrKeyGivesTheDefault) {
  std::string path = Write("[s]\nk=v\n");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "dflt", (folder_ / "absent.ini").string()), "dflt");
  EXPECT_EQ(GetPrivateProfileString("other", "k", "dflt", path), "dflt");
  EXPECT_EQ(GetPrivateProfileString("s", "other", "dflt", path), "dflt");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "dflt", folder_.string()), "dflt");
}

TEST_F(IniFileOnDisk, DefaultLosesTrailingBlanksAndAnEmptyValueIsNotTheDefault) {
  std::string path = Write("[s]\nempty=\n");
  EXPECT_EQ(GetPrivateProfileString("s", "absent", "  d  ", path), "  d");
  EXPECT_EQ(GetPrivateProfileString("s", "empty", "dflt", path), "");
}

TEST_F(IniFileOnDisk, ResultIsCutToBufferSizeLessOne) {
  std::string long_value(5000, 'x');
  std::string path = Write("[s]\nlong=" + long_value + "\n");
  EXPECT_EQ(GetPrivateProfileString("s", "long", "", path), std::string(4095, 'x'));
  EXPECT_EQ(GetPrivateProfileString("s", "long", "", path, 10), std::string(9, 'x'));
  EXPECT_EQ(GetPrivateProfileString("s", "long", "", path, 1), "");
  EXPECT_EQ(GetPrivateProfileString("s", "long", "", path, 0), "");
  EXPECT_EQ(GetPrivateProfileString("s", "absent", "abcdef", path, 4), "abc");
}

TEST_F(IniFileOnDisk, CrLfLineEndsAndByteOrderMarkAreAccepted) {
  std::string path = Write("\xEF\xBB\xBF[first]\r\nkey=value\r\n[second]\r\nk2=v2");
  EXPECT_EQ(GetPrivateProfileString("first", "key", "", path), "value");
  EXPECT_EQ(GetPrivateProfileString("second", "k2", "", path), "v2");
}

TEST_F(IniFileOnDisk, KeyWithoutEqualsSignGivesTheDefaultAndHidesLaterLines) {
  std::string path = Write("[s]\nflag\nflag=later\n");
  EXPECT_EQ(GetPrivateProfileString("s", "flag", "dflt", path), "dflt");
  IniFile file;
  ASSERT_TRUE(file.Load(path));
  ASSERT_EQ(file.Sections().size(), 1u);
  ASSERT_EQ(file.Sections()[0].entries.size(), 2u);
  EXPECT_FALSE(file.Sections()[0].entries[0].value.has_value());
}

TEST(IniFileParse, OddLinesAreSkippedWithoutHarm) {
  std::string text =
      "orphan=before any section\n"
      "[unclosed\n"
      "[]\n"
      "=no name\n"
      "\n\n"
      "[ok]\n" +
      std::string(100000, 'k') + "=huge\n" + std::string("nul=a\0b\n", 8) + "[last]\nk=v";
  IniFile file = IniFile::Parse(text);
  EXPECT_EQ(file.Find("ok", "nul"), "a");
  EXPECT_EQ(file.Find("ok", std::string(100000, 'K')), "huge");
  EXPECT_EQ(file.Find("last", "k"), "v");
  EXPECT_EQ(file.Find("", "orphan"), std::nullopt);
  ASSERT_EQ(file.Sections().size(), 3u);  // "", "ok", "last": the unclosed header is no section
  EXPECT_EQ(file.Sections()[0].name, "");
  EXPECT_TRUE(file.Sections()[0].entries.empty());
}

TEST(IniFileParse, SectionsAndEntriesKeepFileOrder) {
  IniFile file = IniFile::Parse("[b]\nz=1\na=2\n[a]\ny=3\n");
  ASSERT_EQ(file.Sections().size(), 2u);
  EXPECT_EQ(file.Sections()[0].name, "b");
  EXPECT_EQ(file.Sections()[0].entries[0].name, "z");
  EXPECT_EQ(file.Sections()[0].entries[1].name, "a");
  EXPECT_EQ(file.Sections()[1].name, "a");
}

TEST(IniFileParse, LoadReportsWhyAFileCannotBeRead) {
  IniFile file = IniFile::Parse("[s]\nk=v\n");
  std::string error;
  EXPECT_FALSE(file.Load("/nonexistent-folder/x.ini", &error));
  EXPECT_NE(error.find("/nonexistent-folder/x.ini"), std::string::npos);
  EXPECT_TRUE(file.Sections().empty());
}

}  // namespace
