// The file-system domain: OPEN of each entry class, folder listings, file texts and records,
// identifiers, and its per-object trace lines.
#include "domains/file_sys_domain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/escaping.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/template_file_names.h"
#include "model/undefined_domain.h"
#include "platform/config.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

using test_support::CapturedStderr;
using test_support::TempFolder;

namespace {

FileSysDomain* currentDomain = nullptr;

QuireAbstractDomain& FindFileSys(QuireStatus& status, const std::string& name) {
  if (name == "FileSys" && currentDomain != nullptr) return *currentDomain;
  status = QuireStatus(kEvaluationError, host_message::kNotDefined, name);
  return UndefinedDomain();
}

class FileSysDomainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    currentDomain = &domain_;
    SetDomainFinder(&FindFileSys);
  }
  void TearDown() override {
    SetDomainFinder(nullptr);
    currentDomain = nullptr;
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  // OPEN of `className` with `name`; the lines written go to `lines` when given.
  QuireObject Open(const std::string& className, const std::string& name,
                   std::string* lines = nullptr) {
    QuireStatus status;
    const QuireClass cls = domain_.findClass(className, status);
    EXPECT_TRUE(status.IsOk()) << className;
    QuireObject object;
    const std::string written = CapturedStderr([&] {
      object = domain_.makeObject(
          cls, {QuireAttributeValue(cls.constructorArguments().at(0), name)}, status, 3);
    });
    if (lines != nullptr) *lines = written;
    return object;
  }
  // The display text of an attribute of `object`.
  static std::string Read(const QuireObject& object, const std::string& attributeName) {
    QuireStatus status;
    const QuireAttribute& attribute = object.getClass(status).findAttribute(attributeName, status);
    EXPECT_TRUE(status.IsOk()) << attributeName;
    return object.getAttributeValue(attribute, status).displayText();
  }
  // The same, with what it writes to the error stream kept out of the test's output.
  static std::string Text(const QuireObject& object, const std::string& attributeName) {
    std::string text;
    CapturedStderr([&] { text = Read(object, attributeName); });
    return text;
  }
  QuireObjectList Related(const QuireObject& object, const std::string& name,
                          std::string* lines = nullptr) {
    QuireStatus status;
    const QuireRelationship& relationship =
        object.getClass(status).findRelationship(name, QuireRelationship::kNary, status);
    EXPECT_TRUE(status.IsOk()) << name;
    QuireObjectList list;
    const std::string written =
        CapturedStderr([&] { list = object.getNaryRelatedObjects(relationship, status); });
    if (lines != nullptr) *lines = written;
    return list;
  }

  FileSysDomain domain_;
  TempFolder folder_;
};

std::string Members(const QuireClass& cls) {
  std::string members;
  for (const QuireAttribute& attribute : cls.attributeList(QuireFeatureList::kFirst))
    members += attribute.name() + " ";
  members += "|";
  for (const QuireRelationship& relationship : cls.unaryList(QuireFeatureList::kFirst))
    members += " " + relationship.name();
  members += " |";
  for (const QuireRelationship& relationship : cls.naryList(QuireFeatureList::kFirst))
    members += " " + relationship.name();
  return members;
}

// Each class has its own members and the inherited ones, and no others: members such as a
// formatted view of a file come from an installation's extension file.
TEST_F(FileSysDomainTest, EachClassHasExactlyItsTableOfMembers) {
  const std::string entry = "SimpleName FullName NamePrefix NameMinusExtension Extension ";
  QuireStatus status;
  EXPECT_EQ(Members(domain_.findClass("DirectoryObject", status)), entry + "| ParentDirectory |");
  EXPECT_EQ(Members(domain_.findClass("Directory", status)),
            entry + "| ParentDirectory | Contents");
  EXPECT_EQ(Members(domain_.findClass("File", status)),
            "Text Graphic " + entry + "| ParentDirectory | Records");
  std::string fields;
  for (int i = 1; i <= 30; ++i) fields += (i < 10 ? "Field0" : "Field") + std::to_string(i) + " ";
  EXPECT_EQ(Members(domain_.fileRecordClass()), "Text " + fields + "UniqueKey Filename | |");
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

TEST_F(FileSysDomainTest, ConstructorsCheckTheKindOfTheirPath) {
  const std::string file = folder_.Write("a.txt", "x");
  std::string lines;
  EXPECT_TRUE(Open("Directory", file, &lines).isUndefined());
  EXPECT_EQ(lines, "Object undefined or not a directory\n");
  EXPECT_TRUE(Open("File", folder_.Path(), &lines).isUndefined());
  EXPECT_EQ(lines, "Object undefined or not a file\n");
  EXPECT_TRUE(Open("DirectoryObject", "", &lines).isUndefined());
  EXPECT_EQ(lines, "Used empty file name\n");
  EXPECT_EQ(Text(Open("DirectoryObject", folder_.Path("none")), "FullName"),
            "<INVALID INPUT PATHNAME>");
}

// A relative name resolves in the recorded template folder only when the template wrote it;
// rooted names, names from data and names with no folder recorded are taken as they are.
TEST_F(FileSysDomainTest, RelativeNamesTheTemplateWroteAreTakenInItsFolder) {
  const std::string file = folder_.Write("beside.txt", "k v\n");
  ASSERT_FALSE(std::filesystem::exists("beside.txt"));  // not in the working folder
  SetTemplateFolder(folder_.Path());
  {
    const TemplateWrittenValues written({true});
    EXPECT_EQ(Text(Open("File", "beside.txt"), "FullName"), file);
    EXPECT_EQ(Text(Open("File", "./beside.txt"), "FullName"), file);
    EXPECT_EQ(Text(Open("File", file), "FullName"), file);
    {
      // A value read from data, inside a scope of its own.
      const TemplateWrittenValues fromData({false});
      EXPECT_TRUE(Open("File", "beside.txt").isUndefined());
    }
    QuireStatus status;
    const QuireClass records = domain_.fileRecordClass();
    QuireObject record;
    CapturedStderr([&] {
      record = domain_.makeObject(
          records,
          {QuireAttributeValue(records.constructorArguments().at(0), "beside.txt"),
           QuireAttributeValue(records.constructorArguments().at(1), "k")},
          status, 3);
    });
    ASSERT_TRUE(status.IsOk()) << status.Text();
    EXPECT_EQ(Text(record, "Filename"), file);
  }
  EXPECT_TRUE(Open("File", "beside.txt").isUndefined());  // no scope: not written in the template
  SetTemplateFolder("");
  const TemplateWrittenValues written({true});
  EXPECT_TRUE(Open("File", "beside.txt").isUndefined());  // no template folder recorded

  for (const char* rooted : {"/a", "\\a", "C:", "c:\\a"}) EXPECT_TRUE(IsRootedFileName(rooted));
  for (const char* relative : {"", "a", "./a", "..\\a", "1:a"})
    EXPECT_FALSE(IsRootedFileName(relative));
}

// A symbolic link keeps its own name however it is reached; "." and ".." are resolved by text.
TEST_F(FileSysDomainTest, ALinkHasOneFullNameWhetherListedOrOpened) {
  folder_.Write("v2.txt", "text");
  folder_.Write("sub/keep.txt", "");
  const std::string link = folder_.Path("current.txt");
  ASSERT_EQ(symlink(folder_.Path("v2.txt").c_str(), link.c_str()), 0);
  const QuireObject opened = Open("File", folder_.Path(".") + "/sub/../current.txt");
  EXPECT_EQ(Text(opened, "FullName"), link);
  EXPECT_EQ(Text(opened, "NamePrefix"), "current");
  std::vector<std::string> listed;
  for (const QuireObject& entry : Related(Open("Directory", folder_.Path()), "Contents"))
    listed.push_back(Text(entry, "FullName"));
  EXPECT_NE(std::find(listed.begin(), listed.end(), link), listed.end());
}

// No "." or ".." entries; a dangling link is left out with its lines.
TEST_F(FileSysDomainTest, ContentsListsEntriesByKindAndSkipsThoseThatCannotBeMade) {
  folder_.MakeFolder("sub");
  folder_.Write("f.txt", "x");
  ASSERT_EQ(mkfifo(folder_.Path("pipe").c_str(), 0600), 0);
  const std::string dangling = folder_.Path("dangling");
  ASSERT_EQ(symlink(folder_.Path("gone").c_str(), dangling.c_str()), 0);
  std::string lines;
  const QuireObjectList entries = Related(Open("Directory", folder_.Path()), "Contents", &lines);
  EXPECT_EQ(lines, "Nonexistent directory object, name = " + dangling +
                       "\nIgnoring directory object because of error: File not found: " + dangling +
                       " does not exist.\n");
  std::vector<std::string> seen;
  QuireStatus status;
  for (const QuireObject& entry : entries) {
    seen.push_back(Text(entry, "SimpleName") + ":" + entry.getClass(status).name());
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen,
            (std::vector<std::string>{"f.txt:File", "pipe:DirectoryObject", "sub:Directory"}));
}

TEST_F(FileSysDomainTest, FileTextEndsLinesInLineFeedsAndReportsAFileGone) {
  const QuireObject file = Open("File", folder_.Write("t.txt", "line\r\nnext\n"));
  EXPECT_EQ(Text(file, "Text"), "line\nnext\n");
  std::filesystem::remove(folder_.Path("t.txt"));
  EXPECT_EQ(Text(file, "Text"), ">>ERROR: COULDN'T OPEN FILE<<");
}

TEST_F(FileSysDomainTest, RecordsAreFileRecordObjects) {
  const std::string path = folder_.Write("r.txt", "#FIELD_DELIMITER ,\na,1\nb,2,x\n");
  const QuireObjectList records = Related(Open("File", path), "Records");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(Text(records[1], "Field03"), "x");
  EXPECT_EQ(Text(records[1], "UniqueKey"), "b");
  EXPECT_EQ(Text(records[0], "Field03"), "<FIELD INDEX OUT OF RANGE>");
}

TEST_F(FileSysDomainTest, IdentifiersRoundTripThroughMakeObject) {
  const std::string path = folder_.Write("a b.txt", "k v\n");
  const std::string identifier = "FileSys:File:FullName=" + EscapeNonAlphanumeric(path);
  QuireStatus status;
  const QuireObject file = QuireObject::makeObject(identifier, status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(file.referenceText(status), identifier);

  const QuireObject record = Related(file, "Records").at(0);
  const QuireObject again = QuireObject::makeObject(record.referenceText(status), status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Text(again, "Field02"), "v");

  CapturedStderr([&] {
    QuireObject::makeObject(
        "FileSys:FileRecord:Filename=" + EscapeNonAlphanumeric(path) + ",UniqueKey=zz", status);
  });
  EXPECT_EQ(status.Kind(), kFileNotFound);  // no record has that key
}

// The trace lines, one per object of a listing, are written only at the debug level: at the
// default level a listing of many files writes nothing.
TEST_F(FileSysDomainTest, ListingTraceLinesAreWrittenOnlyAtTheDebugLevel) {
  constexpr size_t kFiles = 200;
  for (size_t i = 0; i < kFiles; ++i) folder_.Write("file" + std::to_string(i) + ".txt", "x");
  ASSERT_EQ(mkfifo(folder_.Path("pipe").c_str(), 0600), 0);
  const auto count = [](const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++found;
    }
    return found;
  };
  platform::ClearInitParametersForTesting();
  for (const char* level : {"", "5"}) {
    SCOPED_TRACE(level);
    if (*level != '\0') platform::BindInitParameter("debugLevel", level);
    platform::ResetLogThresholdForTesting();
    std::string lines, listed;
    const QuireObjectList entries =
        Related(Open("Directory", folder_.Path(), &lines), "Contents", &listed);
    ASSERT_EQ(entries.size(), kFiles + 1);
    // Each simple name is read twice; only the first reading traces.
    lines += listed + CapturedStderr([&] {
               for (const QuireObject& entry : entries) {
                 for (int pass = 0; pass < 2; ++pass)
                   EXPECT_FALSE(Read(entry, "SimpleName").empty());
               }
             });
    if (*level == '\0') {
      EXPECT_EQ(lines, "");
      continue;
    }
    EXPECT_EQ(count(lines, " Debug: Inside contents, writeImage = 0\n"), 1u);
    EXPECT_EQ(count(lines, " Debug: FileSys evaluate: FullName = "), kFiles + 1);
    EXPECT_EQ(
        count(lines, " Debug: FileSys evaluate: FullName = " + folder_.Path("file7.txt") + "\n"),
        1u);
    EXPECT_EQ(count(lines, " Debug: it's a default\n"), 1u);
    EXPECT_EQ(count(lines, " Debug: stat result mode = 4096\n"), 1u);
  }
}

}  // namespace
