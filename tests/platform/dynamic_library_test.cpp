#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

using platform::DynamicLibrary;
using test_support::TempFolder;

const char* const kFixture = XMLAGENT_FIXTURE_LIBRARY;

int CallAnswer(DynamicLibrary& library) {
  auto answer = reinterpret_cast<int (*)()>(library.Symbol("fixture_answer"));
  return answer != nullptr ? answer() : -1;
}

TEST(DynamicLibrary, FailedOpenOrLookupGivesTheReason) {
  DynamicLibrary library;
  EXPECT_FALSE(library.Open("/nonexistent/folder/NOSUCH.so"));
  EXPECT_NE(library.LastError().find("/nonexistent/folder/NOSUCH.so"), std::string::npos)
      << library.LastError();
  EXPECT_FALSE(library.Open(""));  // refused rather than opening the program itself
  EXPECT_EQ(library.LastError(), "no library path was given");
  EXPECT_EQ(library.Symbol("fixture_answer"), nullptr);
  EXPECT_EQ(library.LastError(), "no library is open to look up fixture_answer");
  ASSERT_TRUE(library.Open(kFixture)) << library.LastError();
  EXPECT_EQ(library.Symbol("Query"), nullptr);
  EXPECT_NE(library.LastError().find("Query"), std::string::npos) << library.LastError();
}

// The way domain libraries are found: the upper-case name, in a folder that may hold it in any
// case, then loaded from the path found.
TEST(FindFileIgnoringCase, FindsTheNameInAnyCasePreferringAnExactMatch) {
  TempFolder folder;
  std::string sales = folder.Path("Sales.So");
  std::filesystem::copy_file(kFixture, sales);
  std::string upper = folder.Write("ABC.so", "x");
  std::string lower = folder.Write("abc.so", "x");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "abc.so"), lower);
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "Abc.so"), upper);  // first by name
  std::string found = DynamicLibrary::FindFileIgnoringCase(folder.Path(), "SALES.so");
  ASSERT_EQ(found, sales);
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(found)) << library.LastError();
  EXPECT_EQ(CallAnswer(library), 42);
}

TEST(FindFileIgnoringCase, GivesEmptyForNoMatchAFolderOrAPath) {
  TempFolder folder;
  std::filesystem::create_directory(folder.Path("DIR.so"));
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "dir.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "missing.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "../x.so"), "");
}

}  // namespace
