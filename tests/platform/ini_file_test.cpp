#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/input_limits.h"
#include "test_support.h"

namespace {

using platform::GetPrivateProfileString;
using platform::IniFile;

constexpr const char* kQuotes = "[q]\ndouble=\"  kept  \"\nmixed=\"x'\n";
constexpr const char* kRepeats = "[A]\nkey=first\nKEY=second\n[a]\nother=x\n";

struct Lookup {
  std::string file;
  const char* section;
  const char* key;
  const char* dflt;
  std::string expected;
  size_t bufferSize = 4096;
};

TEST(GetPrivateProfileString, FindsValuesAsWrittenOrGivesTheDefault) {
  const std::string longValue = "[s]\nlong=" + std::string(5000, 'x') + "\n";
  const Lookup lookups[] = {
      {"[Settings]\nTimeOut=250\n", "SETTINGS", "timeout", "dflt", "250"},
      {kRepeats, "a", "key", "", "first"},
      {kRepeats, "a", "other", "none", "none"},  // a later section of the same name is unread
      {"  [  Spaced Section  ]  \n\t key name \t=  value  inner  \t\n", "Spaced Section",
       "key name", "", "value  inner"},
      {kQuotes, "q", "double", "", "  kept  "},  // one pair of matching quotes is stripped
      {kQuotes, "q", "mixed", "", "\"x'"},
      {"[c]\n; key=commented\n  ;key=also\nkey=a;b\n", "c", "key", "", "a;b"},
      {"[s]\nk=v\n", "other", "k", "dflt", "dflt"},
      {"[s]\nempty=\n", "s", "absent", "  d  ", "  d"},  // the default loses trailing blanks
      {"[s]\nempty=\n", "s", "empty", "dflt", ""},
      {"\xEF\xBB\xBF[first]\r\nkey=value\r\n", "first", "key", "", "value"},
      {"[s]\nflag\nflag=later\n", "s", "flag", "dflt", "dflt"},  // a key without "=" hides
      {longValue, "s", "long", "", std::string(4095, 'x')},      // cut to the buffer less one
      {longValue, "s", "long", "", "", 0},
  };
  test_support::TempFolder folder;
  for (const Lookup& lookup : lookups) {
    SCOPED_TRACE(std::string(lookup.section) + "/" + lookup.key + " in " +
                 lookup.file.substr(0, 40));
    std::string path = folder.Write("settings.ini", lookup.file);
    EXPECT_EQ(
        GetPrivateProfileString(lookup.section, lookup.key, lookup.dflt, path, lookup.bufferSize),
        lookup.expected);
  }
  EXPECT_EQ(GetPrivateProfileString("s", "k", "dflt", folder.Path("absent.ini")), "dflt");
}

TEST(IniFile, OddLinesAreSkippedAndTheRestKeepsFileOrder) {
  std::string text = "orphan=before any section\n[unclosed\n[]\n=no name\n[ok]\n" +
                     std::string("nul=a\0b\n", 8) + "flag\n[last]\nk=v";
  IniFile file = IniFile::Parse(text);
  EXPECT_EQ(file.Find("ok", "nul"), "a");
  EXPECT_EQ(file.Find("last", "k"), "v");
  // "", "ok", "last" in file order: the unclosed header is no section.
  ASSERT_EQ(file.Sections().size(), 3u);
  EXPECT_TRUE(file.Sections()[0].entries.empty());
  ASSERT_EQ(file.Sections()[1].entries.size(), 2u);
  EXPECT_EQ(file.Sections()[1].entries[1].name, "flag");
  EXPECT_FALSE(file.Sections()[1].entries[1].value.has_value()) << "flag has no value";
}

TEST(IniFile, LinesPastTheLineLimitAreLeftOut) {
  const std::string atLimit = "k=" + std::string(kMaxTextLineBytes - 2, 'v');
  const std::string text =
      "[s]\n" + atLimit + "\nlong=" + std::string(kMaxTextLineBytes, 'w') + "\nafter=1\n";
  std::size_t longLine = 0;
  const IniFile parsed = IniFile::Parse(text, &longLine);
  EXPECT_EQ(longLine, 3u);
  EXPECT_EQ(parsed.Find("s", "k"), atLimit.substr(2));
  EXPECT_EQ(parsed.Find("s", "long"), std::nullopt);
  EXPECT_EQ(parsed.Find("s", "after"), "1");

  test_support::TempFolder folder;
  const std::string path = folder.Write("settings.ini", text);
  IniFile loaded;
  const std::string written = test_support::CapturedStderr([&] { EXPECT_TRUE(loaded.Load(path)); });
  EXPECT_EQ(loaded.Find("s", "after"), "1");
  EXPECT_NE(written.find(path + ": line 3 is longer than the limit of " +
                         std::to_string(kMaxTextLineBytes) + " bytes in a line: left out"),
            std::string::npos)
      << written;
}

}  // namespace
