#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "test_support.h"

namespace {

using platform::DynamicLibrary;
using test_support::TempFolder;

const char* const kFixture = XMLAGENT_FIXTURE_LIBRARY;

int CallAnswer(DynamicLibrary& library) {
  auto answer = reinterpret_cast<int (*)()>(library.Symbol("fixture_answer"));
  return answer != nullptr ? answer() : -1;
}

TEST(DynamicLibrary, LoadsTheFixtureCallsItsFunctionAndMovesOver) {
  DynamicLibrary first;
  ASSERT_TRUE(first.Open(kFixture)) << first.LastError();
  EXPECT_EQ(CallAnswer(first), 42);
  DynamicLibrary second(std::move(first));
  EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move)
  DynamicLibrary third;
  third = std::move(second);
  EXPECT_TRUE(third.IsOpen());
  EXPECT_EQ(CallAnswer(third), 42);
  third.Close();
  EXPECT_FALSE(third.IsOpen());
}

TEST(DynamicLibrary, FailedOpenGivesTheReason) {
  DynamicLibrary library;
  EXPECT_FALSE(library.Open("/nonexistent/folder/NOSUCH.so"));
  EXPECT_FALSE(library.IsOpen());
  EXPECT_NE(library.LastError().find("/nonexistent/folder/NOSUCH.so"), std::string::npos)
      << library.LastError();
  EXPECT_NE(library.LastError().find("No such file"), std::string::npos) << library.LastError();

  TempFolder folder;
  EXPECT_FALSE(library.Open(folder.Write("BROKEN.so", "x")));  // a file that is no library
  EXPECT_FALSE(library.LastError().empty());

  EXPECT_FALSE(library.Open(""));  // refused rather than opening the program itself
  EXPECT_EQ(library.LastError(), "no library path was given");
  EXPECT_FALSE(library.IsOpen());
}

TEST(DynamicLibrary, FailedSymbolLookupGivesNullAndNamesTheSymbol) {
  DynamicLibrary library;
  EXPECT_EQ(library.Symbol("fixture_answer"), nullptr);
  EXPECT_EQ(library.LastError(), "no library is open to look up fixture_answer");
  ASSERT_TRUE(library.Open(kFixture)) << library.LastError();
  EXPECT_EQ(library.Symbol("Query"), nullptr);
  EXPECT_NE(library.LastError().find("Query"), std::string::npos) << library.LastError();
  EXPECT_NE(library.Symbol("fixture_answer"), nullptr);
  EXPECT_EQ(library.LastError(), "") << "a successful look-up clears the old reason";
}

// The way domain libraries are found: the upper-case name, in a folder that may hold it in any
// case, then loaded from the path found.
TEST(FindFileIgnoringCase, FindsTheNameInAnyCasePreferringAnExactMatch) {
  TempFolder folder;
  std::string sales = folder.Path("Sales.So");
  std::filesystem::copy_file(kFixture, sales);
  folder.Write("SALES.so.bak", "x");
  std::string upper = folder.Write("ABC.so", "x");
  std::string lower = folder.Write("abc.so", "x");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "sales.SO"), sales);
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "abc.so"), lower);
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "Abc.so"), upper);  // first by name
  std::string found = DynamicLibrary::FindFileIgnoringCase(folder.Path(), "SALES.so");
  ASSERT_EQ(found, sales);
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(found)) << library.LastError();
  EXPECT_EQ(CallAnswer(library), 42);
}

TEST(FindFileIgnoringCase, GivesEmptyForNoMatchAFolderOrBadInput) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path("DIR.so"));
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "dir.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "missing.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path("nope"), "x.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), ""), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "../x.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase("", "x.so"), "");
}

}  // namespace
