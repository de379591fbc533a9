// Readings of command texts without a domain (kinds, MASTER table information, recursion levels)
// and the completion of an OPEN from an artifact locator.
#include "commands/command_text.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/connector.h"
#include "commands/master_command.h"
#include "commands/replicator.h"
#include "foundation/quire_status.h"
#include "tests/commands/commands_test_support.h"

namespace {

TEST(CommandKindTest, TheLetterBeforeTheFirstColonNamesTheCommand) {
  const struct {
    const char* text;
    CommandKind kind;
  } cases[] = {
      {"C:s:Library:Shelf:name=", CommandKind::kOpen},
      {"N:s:Library:Shelf:name=", CommandKind::kOpen},
      {"F:b:Library:Book::title:SAA:", CommandKind::kDisplay},
      {"X:b:Library:Book::title:SAA:", CommandKind::kDisplay},
      {"M:files", CommandKind::kMaster},
      {"R:x", CommandKind::kRepeat},
      {"Q:x", CommandKind::kRepeat},
      {"S:x", CommandKind::kLimit},
      {"M", CommandKind::kLink},        // no ":" after the letter
      {"m:files", CommandKind::kLink},  // letters are upper case
      {"Library:Book:code=B1", CommandKind::kLink},
      {"", CommandKind::kLink},
  };
  for (const auto& c : cases) EXPECT_EQ(CommandKindOf(c.text), c.kind) << c.text;

  EXPECT_TRUE(HasRepeatLetter("Rx"));  // read before parsing: the letter alone
  EXPECT_FALSE(HasRepeatLetter("M:x"));
  EXPECT_TRUE(HasRepeatKindFlag("Q:x"));
  EXPECT_FALSE(HasRepeatKindFlag("R:x"));
  EXPECT_TRUE(IsAnchorLinkDisplay("X:b:Library:Book::title:SAA:"));
  EXPECT_TRUE(NamesGraphicModifier("F:b:Library:Book::cover:GSA:"));
  EXPECT_FALSE(NamesGraphicModifier("F:b:Library:Book::title:SAA:"));
}

TEST(MasterCommandTest, TableInformationFollowsTheNameAndItsFlagAsksForRows) {
  const MasterCommand rows("M:files:TABLEINFO:A:1");
  EXPECT_TRUE(rows.hasTable());
  EXPECT_TRUE(rows.repeatsTableRows());
  EXPECT_EQ(rows.tableInformation(), "TABLEINFO:A:1");
  EXPECT_EQ(rows.textWithoutTable(), "M:files:");

  const MasterCommand table("M:b:Library:Book:s:Library:Shelf:N=books:TABLEINFO:A:2");
  EXPECT_TRUE(table.hasTable());
  EXPECT_FALSE(table.repeatsTableRows());

  const MasterCommand plain("M:subfolders");
  EXPECT_FALSE(plain.hasTable());
  EXPECT_FALSE(plain.repeatsTableRows());
  EXPECT_EQ(plain.textWithoutTable(), "M:subfolders");
}

class CommandCompletionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    commands_test::LoadSampleHostStrings();
    commands_test::RegisteredLibrary();
  }
};

TEST_F(CommandCompletionTest, RepeatTextAtALevelIsReadBackWithThatNumber) {
  const std::string plain = "R:b:Library:Book:s:Library:Shelf:N=books:";
  const std::string atThree = Replicator::textAtLevel(plain, 3);
  EXPECT_EQ(atThree, "R:b:Library:Book:^3:s:Library:Shelf:N=books:");
  EXPECT_EQ(Replicator::textAtLevel(atThree, 12), "R:b:Library:Book:^12:s:Library:Shelf:N=books:");
  EXPECT_EQ(Replicator::textAtLevel("R:b:Library", 2), "R:b:Library");  // no header: unchanged

  QuireStatus status;
  const Replicator replicator(Replicator::textAtLevel(atThree, 12), status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(replicator.number(), 12);
  EXPECT_EQ(replicator.parentVariable(), "s");
}

TEST_F(CommandCompletionTest, AnOpenWithAnEmptyTextValueTakesTheLocatorsArguments) {
  const struct {
    const char* text;
    const char* locator;
    const char* completed;
  } cases[] = {
      // Names match in any case and are written as the class writes them.
      {"C:s:Library:Shelf:name=", "Library:Shelf:NAME=Science", "C:s:Library:Shelf:name=Science"},
      // Another domain, no value left empty, an unknown name or no locator: as written.
      {"C:s:Library:Shelf:name=", "FileSys:Directory:FullName=/t", "C:s:Library:Shelf:name="},
      {"C:s:Library:Shelf:name=Fiction", "Library:Shelf:name=Science",
       "C:s:Library:Shelf:name=Fiction"},
      {"C:s:Library:Shelf:name=", "Library:Shelf:height=2", "C:s:Library:Shelf:name="},
      {"C:s:Library:Shelf:name=", "", "C:s:Library:Shelf:name="},
  };
  for (const auto& c : cases) {
    QuireStatus status;
    std::string completed;
    EXPECT_TRUE(Connector::completeFromLocator(c.text, c.locator, completed, status))
        << status.Text();
    EXPECT_EQ(completed, c.completed) << c.text << " with " << c.locator;
  }

  QuireStatus status;
  std::string completed;
  EXPECT_FALSE(Connector::completeFromLocator(
      "C:s:Library:NoSuchClass:name=", "Library:Shelf:name=Science", completed, status));
  EXPECT_FALSE(status.IsOk());
  EXPECT_EQ(completed, "C:s:Library:NoSuchClass:name=");
}

}  // namespace
