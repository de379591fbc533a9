// What the blocks of an extension file make, run for real: file-system subclasses listed by the
// shell and built by their constructor scripts, removed members, script attributes and
// relationships, record-source attributes, and hostile file names, patterns and script output.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "extension_test_support.h"
#include "foundation/input_limits.h"

namespace {

using extension_test::ExtensionTest;
using extension_test::Parsed;

class ExtensionMembersTest : public ExtensionTest {
 protected:
  // The files that a second command run by a shell would have made ("pwned" to "pwned3"),
  // under the test folder or in the working folder.
  std::vector<std::string> Pwned() const {
    const std::vector<std::string> names = {"pwned", "pwned1", "pwned2", "pwned3"};
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.Path())) {
      const std::string name = entry.path().filename().string();
      if (std::find(names.begin(), names.end(), name) != names.end()) {
        found.push_back(entry.path().string());
      }
    }
    for (const std::string& name : names) {
      if (std::filesystem::exists(name)) found.push_back(name);
    }
    return found;
  }
  QuireObject Folder(const std::string& name) { return Open("Directory", folder_.Path(name)); }
  static std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(ExtensionMembersTest, SubclassObjectsAreTheListedNamesThatTheConstructorScriptKeeps) {
  for (const char* name : {"a.csv", "b.csv", "notes.txt", "it's.csv", "x;touch pwned.csv",
                           "$(touch pwned2).csv", "with space.csv", "`touch pwned3`.csv"}) {
    folder_.Write(std::string("data/") + name, "1,2\n");
  }
  folder_.MakeFolder("data/folder.csv");
  // Keeps every name but b.csv; prints the name it was given, which the object is made of.
  Script("keep.sh", "case \"$1\" in *b.csv) ;; *) printf '%s\\n' \"$1\";; esac\n");
  const Parsed parsed = Parse(
      "CLASS CsvFile FileSys.File\n"
      "  CRITERIA \"*.csv\"\n"
      "  CONSTRUCTOR keep.sh %@%FullName\n"
      "END_CLASS\n");
  ASSERT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  std::vector<std::string> related;
  const std::string log =
      test_support::CapturedStderr([&] { related = Related(Folder("data"), "CsvFile"); });
  EXPECT_EQ(Sorted(related), Sorted({"CsvFile:a.csv", "CsvFile:it's.csv",
                                     "CsvFile:x;touch pwned.csv", "CsvFile:$(touch pwned2).csv",
                                     "CsvFile:with space.csv", "CsvFile:`touch pwned3`.csv"}));
  // The folder matches the pattern but is no file.
  EXPECT_NE(log.find("Ignoring directory object because of error: "), std::string::npos) << log;
  EXPECT_EQ(Pwned(), std::vector<std::string>{});

  // The subclass is a "File": it inherits the members, and an OPEN makes its objects.
  const QuireClass csv = Class("CsvFile");
  EXPECT_TRUE(csv.isSubclassOf(Class("File")));
  const QuireObject opened = Open("CsvFile", folder_.Path("data/a.csv"));
  EXPECT_EQ(Read(opened, "Extension"), "csv");
  EXPECT_EQ(Read(opened, "Text"), "1,2\n");
  QuireStatus status;
  EXPECT_EQ(opened.getClass(status), csv);
}

TEST_F(ExtensionMembersTest, PatternsWithShellMetacharactersOnlyMatchNames) {
  folder_.Write("data/a.csv", "");
  folder_.Write("data/a.csv; touch pwned1", "");
  const Parsed parsed = Parse(
      "CLASS Odd FileSys.File\n CRITERIA \"*.csv; touch pwned1\"\nEND_CLASS\n"
      "CLASS Sub FileSys.File\n CRITERIA \"$(touch pwned2)`touch pwned3`*\"\nEND_CLASS\n"
      "CLASS Any FileSys.DirectoryObject\n CRITERIA \"a.csv*\"\nEND_CLASS\n");
  ASSERT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  const QuireObject data = Folder("data");
  EXPECT_EQ(Related(data, "Odd"), std::vector<std::string>{"Odd:a.csv; touch pwned1"});
  EXPECT_EQ(Related(data, "Sub"), std::vector<std::string>{});
  EXPECT_EQ(Related(data, "Any"),
            (std::vector<std::string>{"Any:a.csv", "Any:a.csv; touch pwned1"}));
  EXPECT_EQ(Pwned(), std::vector<std::string>{});
}

TEST_F(ExtensionMembersTest, ConstructorScriptsThatFailOrPrintGarbageLeaveTheirEntriesOut) {
  folder_.Write("data/a.log", "");
  folder_.Write("data/b.log", "");
  Script("garbage.sh", "printf '\\001\\377 no such file\\n'\n");
  Script("fails.sh", "exit 3\n");
  const Parsed parsed = Parse(
      "CLASS Garbage FileSys.File\nCRITERIA \"*.log\"\nCONSTRUCTOR garbage.sh %@%\nEND_CLASS\n"
      "CLASS Failing FileSys.File\nCRITERIA \"*.log\"\nCONSTRUCTOR fails.sh %@%\nEND_CLASS\n"
      "CLASS Missing FileSys.File\nCRITERIA \"*.log\"\nCONSTRUCTOR no_such_script %@%\n"
      "END_CLASS\n"
      "CLASS Plain FileSys.File\nCRITERIA \"*.log\"\nEND_CLASS\n");
  ASSERT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  const QuireObject data = Folder("data");
  std::string log = test_support::CapturedStderr([&] {
    EXPECT_EQ(Related(data, "Garbage"), std::vector<std::string>{});
    EXPECT_EQ(Related(data, "Failing"), std::vector<std::string>{});
    EXPECT_EQ(Related(data, "Missing"), std::vector<std::string>{});
  });
  EXPECT_NE(log.find("Error in executing"), std::string::npos) << log;
  EXPECT_EQ(Related(data, "Plain"), (std::vector<std::string>{"Plain:a.log", "Plain:b.log"}));
}

TEST_F(ExtensionMembersTest, ASubclassLosesTheMembersItRemoves) {
  ASSERT_TRUE(Parse("CLASS Bare FileSys.File\nREMOVE ATTRIBUTE %@%Text\n"
                    "REMOVE ATTRIBUTE Records\nEND_CLASS\n")
                  .status.IsOk());
  const QuireClass bare = Class("Bare");
  QuireStatus status;
  EXPECT_TRUE(bare.findAttribute("Text", status).isUndefined());
  EXPECT_TRUE(bare.findRelationship("Records", QuireRelationship::kNary, status).isUndefined());
  status = QuireStatus();
  EXPECT_FALSE(bare.findAttribute("SimpleName", status).isUndefined());
  EXPECT_FALSE(bare.findAttribute("Graphic", status).isUndefined());
  // The parent keeps them.
  EXPECT_FALSE(Class("File").findAttribute("Text", status).isUndefined());
}

TEST_F(ExtensionMembersTest, ScriptAttributesGetEachValueAsOneQuotedWord) {
  const std::string file =
      folder_.Write("data/q'uo;te $(touch pwned) `x`.txt", "one\ntwo\nthree\n");
  Script("count.sh", "wc -l < \"$1\" | tr -d ' \\n'\n");
  Script("both.sh", "printf '%s|%s|%s' \"$#\" \"$1\" \"$2\"\n");
  const Parsed parsed = Parse(
      "CLASS Texts FileSys.File\nCRITERIA \"*.txt\"\nEND_CLASS\n"
      "EXISTING_CLASS FileSys.File\n"
      "  ATTRIBUTE LineCount count.sh %@%FullName\n"
      "  ATTRIBUTE Both both.sh %@%SimpleName %@%Extension\n"
      "  ATTRIBUTE Gone no_such_script %@%\n"
      "END_CLASS\n");
  ASSERT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  const QuireObject object = Open("File", file);
  EXPECT_EQ(Read(object, "LineCount"), "3");
  EXPECT_EQ(Read(object, "Both"), "2|q'uo;te $(touch pwned) `x`.txt|txt");
  // A subclass made before the extension gets the new members too.
  EXPECT_EQ(Read(Open("Texts", file), "LineCount"), "3");
  QuireStatus status;
  const std::string log = test_support::CapturedStderr([&] { Read(object, "Gone", &status); });
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_NE(status.Message().find("failed"), std::string::npos) << status.Message();
  EXPECT_NE(log.find("Error in executing"), std::string::npos) << log;
  EXPECT_EQ(Pwned(), std::vector<std::string>{});
}

TEST_F(ExtensionMembersTest, ScriptRelationshipsMakeAnObjectOfEachLineThatNamesOne) {
  const std::string a = folder_.Write("data/a.txt", "");
  const std::string b = folder_.Write("data/b.txt", "");
  Script("others.sh",
         "d=$(dirname \"$1\")\nfor f in \"$d\"/*; do [ \"$f\" = \"$1\" ] || echo \"$f\"; done\n"
         "echo 'garbage that names no file'\n");
  const Parsed parsed = Parse(
      "EXISTING_CLASS FileSys.File\n"
      "  UNARY_RELATIONSHIP Home FileSys.Directory %@%FullName \"dirname\"\n"
      "  NARY_RELATIONSHIP Others File %@% \"others.sh\"\n"
      "END_CLASS\n");
  ASSERT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  const QuireObject object = Open("File", a);
  QuireStatus status;
  const QuireRelationship& home =
      object.getClass(status).findRelationship("Home", QuireRelationship::kUnary, status);
  const QuireObject folder = object.getUnaryRelatedObject(home, status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Read(folder, "FullName"), folder_.Path("data"));
  std::vector<std::string> others;
  const std::string log = test_support::CapturedStderr([&] { others = Related(object, "Others"); });
  EXPECT_EQ(others, std::vector<std::string>{"File:b.txt"});
  EXPECT_NE(log.find("Ignoring the output line of"), std::string::npos) << log;
}

TEST_F(ExtensionMembersTest, RecordSourceAttributesReadAFieldOfTheFirstOrTheKeyedRecord) {
  const std::string team = folder_.Write(
      "data/team.csv", "#FIELD_DELIMITER ,\n#KEY_FIELDS 1\nAnn,Architect\nBen,Developer\n");
  const Parsed parsed = Parse(
      "EXISTING_CLASS FileSys.File\n"
      "  SOURCE %@%FullName\n"
      "    ATTRIBUTE FirstName \"Field01\"\n"
      "    ATTRIBUTE BenRole \"2\" \"Ben\"\n"
      "\n"
      "    ATTRIBUTE FirstRecord \"Text\"\n"
      "    ATTRIBUTE ZedRole \"Field02\" \"Zed\"\n"
      "    ATTRIBUTE ThirdField \"Field03\"\n"
      "  END_SOURCE\n"
      "END_CLASS\n");
  ASSERT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  const QuireObject object = Open("File", team);
  EXPECT_EQ(Read(object, "FirstName"), "Ann");
  EXPECT_EQ(Read(object, "BenRole"), "Developer");
  EXPECT_EQ(Read(object, "FirstRecord"), "Ann,Architect");
  std::string log = test_support::CapturedStderr(
      [&] { EXPECT_EQ(Read(object, "ThirdField"), "<FIELD INDEX OUT OF RANGE>"); });
  QuireStatus status;
  log = test_support::CapturedStderr([&] { Read(object, "ZedRole", &status); });
  EXPECT_EQ(status.Kind(), kFileNotFound);
  EXPECT_NE(log.find("No record with key Zed in file " + team), std::string::npos) << log;
}

TEST_F(ExtensionMembersTest, HugeAndDeeplyNestedFilesEndQuickly) {
  const auto start = std::chrono::steady_clock::now();
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "CLASS A" + std::to_string(i) + " FileSys.File\n";
  const Parsed deep = Parse(nested);
  EXPECT_EQ(deep.result, 1);
  EXPECT_NE(deep.diagnostics.find("syntax error Line number : 2\n"), std::string::npos);

  const std::string pattern(10 << 20, 'x');
  const Parsed huge = Parse("CLASS Big FileSys.File\nCRITERIA \"" + pattern + "\"\nEND_CLASS\n");
  EXPECT_EQ(huge.result, 0);
  EXPECT_TRUE(huge.status.IsOk()) << huge.status.Text();
  // A pattern past what a command line can carry fails the listing with a message.
  folder_.Write("data/a", "");
  QuireStatus status;
  test_support::CapturedStderr([&] { Related(Folder("data"), "Big", &status); });
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_FALSE(status.Message().empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(ExtensionMembersTest, ABinaryFileIsRefusedWithoutCopyingItsBytes) {
  std::string bytes = "CLASS A FileSys.File\n";
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  const std::string path = folder_.Write("DOMAIN.EXT", bytes);
  QuireStatus status;
  testing::internal::CaptureStdout();
  const std::string log =
      test_support::CapturedStderr([&] { EXPECT_FALSE(ReadDomainExtensionFile(path, status)); });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(status.Message(), "not a text file (a zero byte at offset 21)");
  EXPECT_NE(log.find(path + ": not a text file"), std::string::npos) << log;
}

// A line past the limit of a line refuses the file before anything of it is parsed; a comment
// line at the limit is read as any comment.
TEST_F(ExtensionMembersTest, ALinePastTheLineLimitRefusesTheFile) {
  const std::string comment = "# " + std::string(kMaxTextLineBytes - 2, 'c') + "\n";
  const std::string classes =
      "EXISTING_CLASS FileSys.File\n  ATTRIBUTE Twice echo %@%FullName\nEND_CLASS\n";
  QuireStatus status;
  testing::internal::CaptureStdout();
  test_support::CapturedStderr([&] {
    EXPECT_TRUE(
        ReadDomainExtensionFile(folder_.Write("fits/DOMAIN.EXT", comment + classes), status));
  });
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(status.IsOk()) << status.Text();

  const std::string path = folder_.Write("long/DOMAIN.EXT", "#" + comment + classes);
  testing::internal::CaptureStdout();
  const std::string log =
      test_support::CapturedStderr([&] { EXPECT_FALSE(ReadDomainExtensionFile(path, status)); });
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "nothing was parsed";
  const std::string expected = "line 1 is longer than the limit of " +
                               std::to_string(kMaxTextLineBytes) + " bytes in a line";
  EXPECT_EQ(status.Message(), expected);
  EXPECT_NE(log.find(path + ": " + expected), std::string::npos) << log;
}

}  // namespace
