// Command texts: every element kind and optional part prints back exactly as it was written,
// and bad texts fail with the exact status of the element that rejected them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/connector.h"
#include "commands/field.h"
#include "commands/general_source.h"
#include "commands/parse_limits.h"
#include "commands/replicator.h"
#include "commands/stipulator.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "tests/commands/commands_test_support.h"

namespace {

using commands_test::RegisteredLibrary;

class CommandTextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    commands_test::LoadSampleHostStrings();
    RegisteredLibrary();
  }
};

// Parses a DISPLAY text ("F"/"X") as a Field and every other text as a source command.
std::string ParseAndPrint(const std::string& text, QuireStatus& status) {
  if (!text.empty() && (text[0] == 'F' || text[0] == 'X')) {
    const Field field(text, status);
    if (!status.IsOk()) return {};
    return field.print(status);
  }
  const GeneralSource source = GeneralSource::parse(text, status);
  if (!status.IsOk()) return {};
  return source.print(status);
}

const std::vector<std::string> kCanonicalTexts = {
    // Connector: literals of each type, "^" primaries, the "N" kind, no assignments.
    "C:s:Library:Shelf:name=Fiction",
    "N:b:Library:Book:code=B1",
    "C:b:Library:Book:title=Moon,available=T",
    "C:b:Library:Book:id=B4",
    "C:a:Library:Author:born=1815",
    "C:b:Library:Book:code=^SB1",
    "C:b:Library:Book:file=^S\\x2Fbooks\\x2FB1\\x2Etxt",
    "C:b:Library:Book:code=^Aa:Library:Author::name",
    "C:b:Library:Book:available=^T",
    "C:c:Library:Catalog:",
    // Replicator: plain, "Q", number, caret domain, unary then nary, superclass step.
    "R:b:Library:Book:s:Library:Shelf:N=books:",
    "Q:b:Library:Book:s:Library:Shelf:N=books:",
    "R:b:Library:Book:^5:s:Library:Shelf:N=books:",
    "R:b:Library:Book:s:^Library:Shelf:N=books:",
    "R:w:Library:Book:b:Library:Book:U=author.N=works:",
    "R:b:Library:Book:n:Library:Novel:S=Book.U=shelf.N=books:",
    // ... predicate, predicate and sort, sort alone (plain and "U"), empty predicate field.
    "R:b:Library:Book:s:Library:Shelf:N=books:==A:Library:Book::pages:N80.000",
    "R:b:Library:Book:s:Library:Shelf:N=books:==A:Library:Book::pages:N80.000::A:Library:Book::"
    "title",
    "R:b:Library:Book:s:Library:Shelf:N=books:::RN:Library:Book::version,F:Library:Book::title",
    "R:b:Library:Book:s:Library:Shelf:N=books::U:N:Library:Book::pages",
    "R:b:Library:Book:s:Library:Shelf:N=books::",
    // ... table information, nested levels.
    "R:b:Library:Book:s:Library:Shelf:N=books:TABLEINFO:A:1",
    "R:b:Library:Book:s:Library:Shelf:N=books:::A:Library:Book::titleTABLEINFO:A:0",
    "R:b:Library:Book:s:Library:Shelf:N=books:::A:Library:Book::title:TABLEINFO:A:0",
    "R:b:Library:Book:s:Library:Shelf:N=books:==A:Library:Book::pages:N80.000::R:Library:Book::"
    "pages:,A:Library:Book::title:|w:Library:Book:b:Library:Book:U=author.N=works:",
    "R:b:Library:Book:s:Library:Shelf:N=books:|w:Library:Book:b:Library:Book:U=author.N=works:",
    "R:b:Library:Book:s:Library:Shelf:N=books:|",
    "R:s:Library:Shelf:c:Library:Catalog:N=shelves:|b:Library:Book:s:Library:Shelf:N=books:"
    "|w:Library:Book:b:Library:Book:U=author.N=works::U:A:Library:Book::code",
    // Stipulator: normal with and without path and predicate, OMIT, OTHERWISE.
    "S:n:Library:Novel:b:Library:Book::",
    "S:a:Library:Author:b:Library:Book:U=author:",
    "S:a:Library:Author:b:Library:Book:U=author:==A:Library:Author::name:SAda",
    "S:o:Library:Book:b:Library:Book:..OMIT",
    "S:o:Library:Book:b:Library:Book:..OTHERWISE",
    // Field: "F" and "X", each modifier letter, flags, modifier text, trailing text.
    "F:b:Library:Book::title:SAA:",
    "F:b:Library:Book::title:SAA",
    "X:b:Library:Book::title:SAA:",
    "X:b:Library:Book::title:SAA04:",
    "F:b:Library:Book:U=author:name:SUA:",
    "F:b:Library:Book::title:SCNP:",
    "F:b:Library:Book::available:BU:",
    "F:b:Library:Book::pages:NFA:",
    "F:b:Library:Book::cover:GSA:",
    "F:b:Library:Book::title:LISAA:",
    "F:b:Library:Book::title:SAA05:",
    "F:b:Library:Book::title:SAA02some:text",
    "F:b:Library:Book::title:SAA02some:",
    "F:b:Library:Book::title:SAA02",
    "F:b:Library:Book::title:SAA: pages",
    "F:n:Library:Novel:S=Book:title:SLA:",
};

TEST_F(CommandTextTest, EveryElementAndOptionalPartPrintsBackAsWritten) {
  for (const std::string& text : kCanonicalTexts) {
    QuireStatus status;
    EXPECT_EQ(ParseAndPrint(text, status), text);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Text();
  }
}

TEST_F(CommandTextTest, ParsedPartsLandInTheirAccessors) {
  QuireStatus status;
  const Replicator replicator(
      "Q:b:Library:Book:^12:s:^Library:Shelf:N=books:==A:Library:Book::pages:N80.000:U:A:"
      "Library:Book::titleTABLEINFO:A:1|w:Library:Book:b:Library:Book:U=author.N=works:",
      status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(replicator.number(), 12);
  EXPECT_TRUE(replicator.caretFlag());
  EXPECT_TRUE(replicator.kindFlag());
  EXPECT_TRUE(replicator.barFlag());
  EXPECT_EQ(replicator.parentVariable(), "s");
  EXPECT_EQ(replicator.tableInformation(), "TABLEINFO:A:1");
  EXPECT_FALSE(replicator.predicate().isEmpty());
  ASSERT_TRUE(replicator.sortOrder().has_value());
  EXPECT_TRUE(replicator.sortOrder()->unique());
  ASSERT_NE(replicator.nested(), nullptr);
  EXPECT_EQ(replicator.nested()->kindLetter(), 'R');
  EXPECT_EQ(replicator.nested()->variableName(), "w");

  const Field field("X:b:Library:Book:U=author:name:SAA: trailing", status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(field.modifier().flags(), 1);
  EXPECT_EQ(field.trailingText(), " trailing");
  EXPECT_EQ(field.attribute().getClass().name(), "Author");

  // A modifier's text ends with its field: what follows the ":" is the trailing text.
  const Field withText("F:b:Library:Book::title:SAA02DetailTpl: pages", status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(withText.modifier().get()->text(), "DetailTpl");
  EXPECT_EQ(withText.trailingText(), " pages");

  EXPECT_EQ(Stipulator("S:o:Library:Book:b:Library:Book:..OMIT", status).mode(), Stipulator::kOmit);
}

TEST_F(CommandTextTest, ConnectorChoosesTheArgumentListThatTakesEveryName) {
  struct Case {
    std::string text;
    int completeness;
    std::string firstArgument;
  };
  const Case cases[] = {
      {"C:s:Library:Shelf:name=Fiction", 1, "name"},         // connector arguments
      {"C:b:Library:Book:id=B1", 2, "code"},                 // constructor arguments, by alias
      {"C:b:Library:Book:title=Moon", 2, "title"},           // selector arguments
      {"C:a:Library:Author:name=Ada,born=1815", 2, "name"},  // none takes both: constructor
  };
  for (const Case& c : cases) {
    QuireStatus status;
    const Connector connector(c.text, status);
    if (c.text == cases[3].text) {
      EXPECT_EQ(status, QuireStatus(49, "Assignment")) << c.text;
    } else {
      EXPECT_TRUE(status.IsOk()) << c.text << ": " << status.Text();
    }
    EXPECT_EQ(connector.completeness(), c.completeness) << c.text;
    ASSERT_FALSE(connector.assignments().empty()) << c.text;
    EXPECT_EQ(connector.assignments()[0].argument().name(), c.firstArgument) << c.text;
  }
}

struct BadText {
  std::string text;
  QuireStatus expected;
};

std::vector<BadText> BadTexts() {
  const QuireStatus noDomain(63, HostMessageId{40394}, "Nowhere");
  const QuireStatus noClass(63, HostMessageId{40394}, "Nothing");
  const std::string books = "R:b:Library:Book:s:Library:Shelf:N=books:";
  return {
      // Source header.
      {"", QuireStatus(35, "Source")},
      {"Z:b:Library:Book:", QuireStatus(35, "Source")},
      {"Cb:Library:Book:", QuireStatus(35, "Source")},
      {"C:b", QuireStatus(35, "Source")},
      {"C:b:Library", QuireStatus(35, "Source")},
      {"C:b:Library:Book", QuireStatus(35, "Source")},
      {"C:b:Nowhere:Book:", noDomain},
      {"C:b:Library:Nothing:", noClass},
      // Assignments.
      {"C:b:Library:Book:code", QuireStatus(35, "Assignment")},
      {"C:b:Library:Book:nothing=1", QuireStatus(35, "Assignment")},
      {"C:b:Library:Book:code=B1,code=B2", QuireStatus(49, "Assignment")},
      {"C:a:Library:Author:born=abc", QuireStatus(35, "Assignment")},
      {"C:a:Library:Author:born=1e999", QuireStatus(35, "Assignment")},
      {"C:s:Library:Shelf:photo=b1.png", QuireStatus(35, "Assignment")},
      {"C:b:Library:Book:code=^SB1:more", QuireStatus(35, "Assignment")},
      {"C:b:Library:Book:code=^Zx", QuireStatus(35, "GeneralPrimary")},
      {"C:b:Library:Book:code=^A:Library:Book::nothing",
       QuireStatus(38, "AttributePrimary: ", "nothing")},
      {"C:a:Library:Author:born=^N1x", QuireStatus(35, "ConstantPrimary")},
      // Replicator fields in parse order.
      {"R:b:Library:Book:", QuireStatus(35, "Replicator/A")},
      {"R:b:Library:Book:^x:s:Library:Shelf:N=books:", QuireStatus(35, "Replicator/A")},
      {"R:b:Library:Book:^99999999999:s:Library:Shelf:N=books:", QuireStatus(35, "Replicator/A")},
      {"R:b:Library:Book:^5:s", QuireStatus(35, "Replicator/A1")},
      {"R:b:Library:Book:s:Library", QuireStatus(35, "Replicator/B1")},
      {"R:b:Library:Book:s:Library:Shelf", QuireStatus(35, "Replicator/B2")},
      {"R:b:Library:Book:s:Nowhere:Shelf:N=books:", noDomain},
      {"R:b:Library:Book:s:Library:Shelf:N=books", QuireStatus(35, "Replicator/C")},
      {"R:b:Library:Book:s:Library:Shelf:Nbooks:", QuireStatus(35, "Replicator/D")},
      {"R:b:Library:Book:s:Library:Shelf:X=books:", QuireStatus(40, "Replicator")},
      {books + "Zx", QuireStatus(35, "GeneralPredicate")},
      {books + "::Z:Library:Book::title", QuireStatus(35, "Key")},
      {books + "|w:Library", QuireStatus(35, "Source")},
      // Stipulator.
      {"S:a:Library:Author:", QuireStatus(35, "Stipulator")},
      {"S:a:Library:Author:b", QuireStatus(35, "Stipulator")},
      {"S:a:Library:Author:b:Library", QuireStatus(35, "Stipulator/B1")},
      {"S:a:Library:Author:b:Library:Book", QuireStatus(35, "Stipulator/B2")},
      {"S:a:Library:Author:b:Library:Book:U=author", QuireStatus(35, "Stipulator/C")},
      {"S:a:Library:Author:b:Library:Book:Uauthor:", QuireStatus(35, "Stipulator/D")},
      {"S:b:Library:Book:a:Library:Author:N=works:", QuireStatus(40, "Stipulator")},
      {"S:o:Library:Book:b:Library:Book:..SKIP", QuireStatus(35, "Stipulator/Special")},
      {"S:o:Library:Book:b:Library:Book:..OMIT:", QuireStatus(35, "Stipulator/Special")},
      // Field.
      {"F:b:Library:Book::title", QuireStatus(35, "Field")},
      {"F:b:Library:Book:Uauthor:name:SAA:", QuireStatus(35, "Field")},
      {"F:b:Library:Book:N=author:name:SAA:", QuireStatus(40, "Field")},
      {"F:b:Library:Book::nothing:SAA:", QuireStatus(37, HostMessageId{40302}, "nothing")},
      {"F:b:Library:Book::file:SAA:", QuireStatus(35, "GeneralModifier")},
      {"F:b:Nowhere:Book::title:SAA:", noDomain},
  };
}

TEST_F(CommandTextTest, BadTextsFailWithTheStatusOfTheRejectingElement) {
  for (const BadText& bad : BadTexts()) {
    QuireStatus status;
    ParseAndPrint(bad.text, status);
    EXPECT_EQ(status, bad.expected) << "\"" << bad.text << "\" gave " << status.Text();
  }
  QuireStatus status;
  Field("G:b:Library:Book::title:SAA:", status);
  EXPECT_EQ(status, QuireStatus(35, "Field")) << status.Text();
}

TEST_F(CommandTextTest, UnknownRelationshipKeepsTheLookupStatus) {
  QuireStatus expected;
  RegisteredLibrary().classNamed("Shelf").findRelationship("nothing", QuireRelationship::kNary,
                                                           expected, QuireFeatureList::kSecond);
  ASSERT_EQ(expected.Kind(), 40u);
  QuireStatus status;
  Replicator("R:b:Library:Book:s:Library:Shelf:N=nothing:", status);
  EXPECT_EQ(status, expected);
}

TEST_F(CommandTextTest, NestingBeyondTheLimitFailsInsteadOfRecursing) {
  std::string level = "b:Library:Book:s:Library:Shelf:N=books:";
  std::string text = "R:" + level;
  for (int i = 0; i <= kMaxCommandNesting; ++i) text += "|" + level;
  QuireStatus status;
  Replicator(text, status);
  EXPECT_EQ(status, QuireStatus(35, "Replicator"));

  std::string withinLimit = "R:" + level;
  for (int i = 0; i < kMaxCommandNesting; ++i) withinLimit += "|" + level;
  Replicator deep(withinLimit, status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(deep.print(status), withinLimit);
}

TEST_F(CommandTextTest, InvalidCommandsPrintNothingWithStatus39) {
  QuireStatus status;
  const Connector connector("C:b:Library:Nothing:", status);
  EXPECT_EQ(connector.print(status), "");
  EXPECT_EQ(status, QuireStatus(39, "Connector"));

  const Field field("F:b:Library:Book::nothing:SAA:", status);
  EXPECT_EQ(field.displayName(status), "<INVALID FIELD>");
  EXPECT_EQ(status, QuireStatus(39, "Field"));

  EXPECT_EQ(GeneralSource().print(status), "");
  EXPECT_FALSE(status.IsOk());
}

// Every prefix of every good text is some text too: each must give a command or a status.
TEST_F(CommandTextTest, EveryPrefixOfAGoodTextParsesOrFailsCleanly) {
  for (const std::string& text : kCanonicalTexts) {
    for (std::size_t length = 0; length <= text.size(); ++length) {
      QuireStatus status;
      const std::string prefix = text.substr(0, length);
      const std::string printed = ParseAndPrint(prefix, status);
      if (status.IsOk()) {
        EXPECT_EQ(printed.substr(0, 1), prefix.substr(0, 1)) << prefix;
      } else {
        EXPECT_TRUE(status.Kind() == 35 || status.Kind() == 37 || status.Kind() == 38 ||
                    status.Kind() == 40 || status.Kind() == 49 || status.Kind() == 63)
            << prefix << ": " << status.Text();
      }
    }
  }
}

}  // namespace
