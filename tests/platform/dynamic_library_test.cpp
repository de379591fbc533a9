#include "platform/dynamic_library.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;
using platform::DynamicLibrary;

using AnswerFunction = int (*)();

const char* const kFixture = XMLAGENT_FIXTURE_LIBRARY;

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    path_ = fs::temp_directory_path() /
            ("dynamic_library_test_" + std::to_string(getpid()) + "_" + std::to_string(next_++));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string Path() const { return path_.string(); }
  std::string Touch(const std::string& name) const {
    std::ofstream(path_ / name) << "x";
    return (path_ / name).string();
  }

 private:
  static inline int next_ = 0;
  fs::path path_;
};

int CallAnswer(DynamicLibrary& library) {
  auto answer = reinterpret_cast<AnswerFunction>(library.Symbol("fixture_answer"));
  return answer != nullptr ? answer() : -1;
}

TEST(DynamicLibrary, LoadsTheFixtureAndCallsItsFunction) {
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(kFixture)) << library.LastError();
  EXPECT_TRUE(library.IsOpen());
  EXPECT_EQ(CallAnswer(library), 42);
  library.Close();
  EXPECT_FALSE(library.IsOpen());
}

TEST(DynamicLibrary, MissingLibraryGivesTheLoadersReason) {
  DynamicLibrary library;
  EXPECT_FALSE(library.Open("/nonexistent/folder/NOSUCH.so"));
  EXPECT_FALSE(library.IsOpen());
  EXPECT_NE(library.LastError().find("/nonexistent/folder/NOSUCH.so"), std::string::npos)
      << library.LastError();
  EXPECT_NE(library.LastError().find("No such file"), std::string::npos) << library.LastError();
}

TEST(DynamicLibrary, AFileThatIsNoLibraryDoesNotLoad) {
  TempFolder folder;
  DynamicLibrary library;
  EXPECT_FALSE(library.Open(folder.Touch("BROKEN.so")));
  EXPECT_FALSE(library.LastError().empty());
}

TEST(DynamicLibrary, EmptyPathIsRefusedRatherThanOpeningTheProgram) {
  DynamicLibrary library;
  EXPECT_FALSE(library.Open(""));
  EXPECT_EQ(library.LastError(), "no library path was given");
  EXPECT_FALSE(library.IsOpen());
}

TEST(DynamicLibrary, MissingSymbolGivesNullAndNamesIt) {
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(kFixture)) << library.LastError();
  EXPECT_EQ(library.Symbol("Query"), nullptr);
  EXPECT_NE(library.LastError().find("Query"), std::string::npos) << library.LastError();
  EXPECT_NE(library.Symbol("fixture_answer"), nullptr);
  EXPECT_EQ(library.LastError(), "") << "a successful look-up clears the old reason";
}

TEST(DynamicLibrary, SymbolWithoutAnOpenLibraryFailsClearly) {
  DynamicLibrary library;
  EXPECT_EQ(library.Symbol("fixture_answer"), nullptr);
  EXPECT_EQ(library.LastError(), "no library is open to look up fixture_answer");
}

TEST(DynamicLibrary, MovingHandsTheOpenLibraryOver) {
  DynamicLibrary first;
  ASSERT_TRUE(first.Open(kFixture)) << first.LastError();
  DynamicLibrary second(std::move(first));
  EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(CallAnswer(second), 42);
  DynamicLibrary third;
  third = std::move(second);
  EXPECT_EQ(CallAnswer(third), 42);
}

TEST(FindFileIgnoringCase, FindsTheUpperCaseNameWhateverTheCaseOnDisk) {
  TempFolder folder;
  std::string onDisk = folder.Touch("Sales.So");
  folder.Touch("SALES.so.bak");
  folder.Touch("other.so");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "SALES.so"), onDisk);
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "sales.SO"), onDisk);
}

TEST(FindFileIgnoringCase, PrefersTheExactNameAmongSeveralMatches) {
  TempFolder folder;
  folder.Touch("ABC.so");
  std::string exact = folder.Touch("abc.so");
  std::string firstInOrder = (fs::path(folder.Path()) / "ABC.so").string();
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "abc.so"), exact);
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "Abc.so"), firstInOrder);
}

TEST(FindFileIgnoringCase, GivesEmptyForNoMatchAFolderOrBadInput) {
  TempFolder folder;
  fs::create_directory(fs::path(folder.Path()) / "DIR.so");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "dir.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "missing.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path() + "/nope", "x.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), ""), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase(folder.Path(), "../x.so"), "");
  EXPECT_EQ(DynamicLibrary::FindFileIgnoringCase("", "x.so"), "");
}

// The way remote domain libraries are found: the upper-case name, in a folder that may hold it
// in any case, then loaded from the path found.
TEST(FindFileIgnoringCase, FoundLibraryLoadsAndRuns) {
  TempFolder folder;
  fs::copy_file(kFixture, fs::path(folder.Path()) / "Fixture.so");
  std::string path = DynamicLibrary::FindFileIgnoringCase(folder.Path(), "FIXTURE.so");
  ASSERT_FALSE(path.empty());
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(path)) << library.LastError();
  EXPECT_EQ(CallAnswer(library), 42);
}

}  // namespace
