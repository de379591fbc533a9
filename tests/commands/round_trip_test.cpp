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
    // ... a sort order of its separator alone, with or without a predicate, and keys
    // ended by a ",".
    "R:b:Library:Book:s:Library:Shelf:N=books:::",
    "R:b:Library:Book:s:Library:Shelf:N=books::U:",
    "R:b:Library:Book:s:Library:Shelf:N=books:==A:Library:Book::pages:N80.000::",
    "R:b:Library:Book:s:Library:Shelf:N=books:::A:Library:Book::title,",
    "R:b:Library:Book:s:Library:Shelf:N=books:::R:Library:Book::pages:,A:Library:Book::title:,",
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
  // The word may be closed by the ":" that ends a field; it prints back without it.
  const Stipulator otherwise("S:o:Library:Book:b:Library:Book:..OTHERWISE:", status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(otherwise.mode(), Stipulator::kOtherwise);
  EXPECT_EQ(otherwise.print(status), "S:o:Library:Book:b:Library:Book:..OTHERWISE");
  EXPECT_EQ(Stipulator("S:o:Library:Book:b:Library:Book:..OMIT:", status).mode(),
            Stipulator::kOmit);
}

TEST_F(CommandTextTest, ConnectorChoosesTheArgumentListThatTakesEveryName) {
  const struct {
    std::string text;
    int completeness;
    std::string firstArgument;
    QuireStatus expected;
  } cases[] = {
      {"C:s:Library:Shelf:name=Fiction", 1, "name", {}},    // connector arguments
      {"C:b:Library:Book:id=B1", 2, "code", {}},            // constructor arguments, by alias
      {"C:b:Library:Book:title=Moon", 2, "title", {}},      // selector arguments
      {"C:a:Library:Author:name=Ada,born=1815", 2, "name",  // none takes both: constructor
       QuireStatus(kNoArgumentToAssign, "Assignment")},
  };
  for (const auto& c : cases) {
    QuireStatus status;
    const Connector connector(c.text, status);
    EXPECT_EQ(status, c.expected) << c.text << ": " << status.Text();
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
  const QuireStatus noDomain(kEvaluationError, host_message::kNotDefined, "Nowhere");
  const QuireStatus noClass(kEvaluationError, host_message::kNotDefined, "Nothing");
  const std::string books = "R:b:Library:Book:s:Library:Shelf:N=books:";
  return {
      // Source header.
      {"", QuireStatus(kSyntaxError, "Source")},
      {"Z:b:Library:Book:", QuireStatus(kSyntaxError, "Source")},
      {"Cb:Library:Book:", QuireStatus(kSyntaxError, "Source")},
      {"C:b", QuireStatus(kSyntaxError, "Source")},
      {"C:b:Library", QuireStatus(kSyntaxError, "Source")},
      {"C:b:Library:Book", QuireStatus(kSyntaxError, "Source")},
      {"C:b:Nowhere:Book:", noDomain},
      {"C:b:Library:Nothing:", noClass},
      // Assignments.
      {"C:b:Library:Book:code", QuireStatus(kSyntaxError, "Assignment")},
      {"C:b:Library:Book:nothing=1", QuireStatus(kSyntaxError, "Assignment")},
      {"C:b:Library:Book:code=B1,code=B2", QuireStatus(kNoArgumentToAssign, "Assignment")},
      {"C:a:Library:Author:born=abc", QuireStatus(kSyntaxError, "Assignment")},
      {"C:a:Library:Author:born=1e999", QuireStatus(kSyntaxError, "Assignment")},
      {"C:s:Library:Shelf:photo=b1.png", QuireStatus(kSyntaxError, "Assignment")},
      {"C:b:Library:Book:code=^SB1:more", QuireStatus(kSyntaxError, "Assignment")},
      {"C:b:Library:Book:code=^Zx", QuireStatus(kSyntaxError, "GeneralPrimary")},
      {"C:b:Library:Book:code=^A:Library:Book::nothing",
       QuireStatus(kUnknownAttributeInExpression, "AttributePrimary: ", "nothing")},
      {"C:a:Library:Author:born=^N1x", QuireStatus(kSyntaxError, "ConstantPrimary")},
      // Replicator fields in parse order.
      {"R:b:Library:Book:", QuireStatus(kSyntaxError, "Replicator/A")},
      {"R:b:Library:Book:^x:s:Library:Shelf:N=books:", QuireStatus(kSyntaxError, "Replicator/A")},
      {"R:b:Library:Book:^99999999999:s:Library:Shelf:N=books:",
       QuireStatus(kSyntaxError, "Replicator/A")},
      {"R:b:Library:Book:^5:s", QuireStatus(kSyntaxError, "Replicator/A1")},
      {"R:b:Library:Book:s:Library", QuireStatus(kSyntaxError, "Replicator/B1")},
      {"R:b:Library:Book:s:Library:Shelf", QuireStatus(kSyntaxError, "Replicator/B2")},
      {"R:b:Library:Book:s:Nowhere:Shelf:N=books:", noDomain},
      {"R:b:Library:Book:s:Library:Shelf:N=books", QuireStatus(kSyntaxError, "Replicator/C")},
      {"R:b:Library:Book:s:Library:Shelf:Nbooks:", QuireStatus(kSyntaxError, "Replicator/D")},
      {"R:b:Library:Book:s:Library:Shelf:X=books:", QuireStatus(kNavigationError, "Replicator")},
      {books + "Zx", QuireStatus(kSyntaxError, "GeneralPredicate")},
      {books + "::Z:Library:Book::title", QuireStatus(kSyntaxError, "Key")},
      {books + "|w:Library", QuireStatus(kSyntaxError, "Source")},
      // Stipulator.
      {"S:a:Library:Author:", QuireStatus(kSyntaxError, "Stipulator")},
      {"S:a:Library:Author:b", QuireStatus(kSyntaxError, "Stipulator")},
      {"S:a:Library:Author:b:Library", QuireStatus(kSyntaxError, "Stipulator/B1")},
      {"S:a:Library:Author:b:Library:Book", QuireStatus(kSyntaxError, "Stipulator/B2")},
      {"S:a:Library:Author:b:Library:Book:U=author", QuireStatus(kSyntaxError, "Stipulator/C")},
      {"S:a:Library:Author:b:Library:Book:Uauthor:", QuireStatus(kSyntaxError, "Stipulator/D")},
      {"S:b:Library:Book:a:Library:Author:N=works:", QuireStatus(kNavigationError, "Stipulator")},
      {"S:o:Library:Book:b:Library:Book:..SKIP", QuireStatus(kSyntaxError, "Stipulator/Special")},
      {"S:o:Library:Book:b:Library:Book:..OMIT::", QuireStatus(kSyntaxError, "Stipulator/Special")},
      // Field.
      {"F:b:Library:Book::title", QuireStatus(kSyntaxError, "Field")},
      {"F:b:Library:Book:Uauthor:name:SAA:", QuireStatus(kSyntaxError, "Field")},
      {"F:b:Library:Book:N=author:name:SAA:", QuireStatus(kNavigationError, "Field")},
      {"F:b:Library:Book::nothing:SAA:",
       QuireStatus(kUnknownAttribute, host_message::kNoSuchAttribute, "nothing")},
      {"F:b:Library:Book::file:SAA:", QuireStatus(kSyntaxError, "GeneralModifier")},
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
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "Field")) << status.Text();
}

TEST_F(CommandTextTest, UnknownRelationshipKeepsTheLookupStatus) {
  QuireStatus expected;
  RegisteredLibrary().classNamed("Shelf").findRelationship("nothing", QuireRelationship::kNary,
                                                           expected, QuireFeatureList::kSecond);
  ASSERT_EQ(expected.Kind(), kNavigationError);
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
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "Replicator"));

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
  EXPECT_EQ(status, QuireStatus(kUnsupportedOperation, "Connector"));

  const Field field("F:b:Library:Book::nothing:SAA:", status);
  EXPECT_EQ(field.displayName(status), "<INVALID FIELD>");
  EXPECT_EQ(status, QuireStatus(kUnsupportedOperation, "Field"));

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
        EXPECT_TRUE(status.Kind() == kSyntaxError || status.Kind() == kUnknownAttribute ||
                    status.Kind() == kUnknownAttributeInExpression ||
                    status.Kind() == kNavigationError || status.Kind() == kNoArgumentToAssign ||
                    status.Kind() == kEvaluationError)
            << prefix << ": " << status.Text();
      }
    }
  }
}

}  // namespace
