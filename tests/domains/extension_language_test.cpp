// The extension language itself: its tokens, its grammar and syntax errors, the actions' trace
// and the checks made when a block ends, each with its line and status.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "domains/extension_parse.h"
#include "domains/extension_scanner.h"
#include "extension_test_support.h"

namespace {

using extension_test::ExtensionTest;
using extension_test::Parsed;

std::vector<std::pair<ExtensionToken, std::string>> Tokens(const std::string& text,
                                                           std::string* copied = nullptr,
                                                           std::vector<int>* lines = nullptr) {
  std::ostringstream unknown;
  ExtensionScanner scanner(text, unknown);
  std::vector<std::pair<ExtensionToken, std::string>> tokens;
  std::string value;
  for (ExtensionToken token = scanner.next(value); token != ExtensionToken::kEndOfFile;
       token = scanner.next(value)) {
    tokens.emplace_back(token, value);
    if (lines != nullptr) lines->push_back(scanner.line());
  }
  if (copied != nullptr) *copied = unknown.str();
  return tokens;
}

using T = ExtensionToken;

TEST(ExtensionScannerTest, KeywordsMatchExactlyAndLongerOrLowerCaseWordsAreNames) {
  const auto tokens =
      Tokens("CLASS class CLASSES CLASS1 END_CLASS END_CLASS_ FileSys.File @a _b .c");
  const std::vector<std::pair<T, std::string>> expected = {{T::kClass, ""},
                                                           {T::kName, "class"},
                                                           {T::kName, "CLASSES"},
                                                           {T::kName, "CLASS1"},
                                                           {T::kEndClass, ""},
                                                           {T::kName, "END_CLASS_"},
                                                           {T::kName, "FileSys.File"},
                                                           {T::kName, "@a"},
                                                           {T::kName, "_b"},
                                                           {T::kName, ".c"}};
  EXPECT_EQ(tokens, expected);
}

TEST(ExtensionScannerTest, CommentsStringsPlaceholdersLinesAndUnknownCharacters) {
  std::string copied;
  std::vector<int> lines;
  const auto tokens = Tokens(
      "A # CLASS \"not a string\r\n\"two\nlines\" %@% %@%SimpleName%@%x $ \"\"\n", &copied, &lines);
  const std::vector<std::pair<T, std::string>> expected = {
      {T::kName, "A"},        {T::kEndOfLine, ""},
      {T::kEndOfLine, ""},    {T::kString, "two\nlines"},
      {T::kPlaceholder, ""},  {T::kPlaceholder, "SimpleName"},
      {T::kPlaceholder, "x"}, {T::kString, ""},
      {T::kEndOfLine, ""}};
  EXPECT_EQ(tokens, expected);
  // The comment's line break (CR LF) ends line 1; the string begins on line 2, the rest is on 3.
  EXPECT_EQ(lines, (std::vector<int>{1, 1, 1, 2, 3, 3, 3, 3, 3}));
  EXPECT_EQ(copied, "$");
}

TEST_F(ExtensionTest, TheActionsTraceWhatTheyReadInFileOrder) {
  const Parsed parsed = Parse(
      "# a subclass and an extension\n"
      "CLASS Notes FileSys.File\n"
      "  CRITERIA \"*.md\"\n"
      "  CONSTRUCTOR echo %@%FullName\n"
      "  REMOVE ATTRIBUTE %@%Graphic\n"
      "  REMOVE ATTRIBUTE Records\n"
      "END_CLASS\n"
      "EXISTING_CLASS FileSys.Directory\n"
      "  NARY_RELATIONSHIP Listed FileSys.File %@%FullName \"ls\"\n"
      "END_CLASS\n");
  EXPECT_EQ(parsed.result, 0);
  EXPECT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  EXPECT_EQ(parsed.trace,
            "add_subclass_name Notes\nadd_class_name FileSys.File\nadd_criteria *.md\n"
            "add_script_name echo\nadd_script_arg FullName\nadd_remove_attr Graphic\n"
            "add_remove_reln Records\nmake_subclass Notes\nadd_class_name FileSys.Directory\n"
            "enter_reln_name : Listed\n");
}

TEST_F(ExtensionTest, SyntaxErrorsStopTheParseWithTheirLine) {
  struct Case {
    const char* text;
    int line;
  };
  const Case cases[] = {
      // A CONSTRUCTOR line needs at least one placeholder.
      {"CLASS A FileSys.File\nCONSTRUCTOR make.sh\nEND_CLASS\n", 2},
      // Blocks do not nest.
      {"CLASS A FileSys.File\nCLASS B FileSys.File\n", 2},
      // A block needs at least one line, and its END_CLASS its line break.
      {"EXISTING_CLASS FileSys.File\nEND_CLASS\n", 2},
      {"\n\nEXISTING_CLASS FileSys.File\n\nEND_CLASS", 5},
      // Keywords in lower case are names, so this line is no item.
      {"class A FileSys.File\n", 1},
      // A source block inside a subclass block.
      {"CLASS A FileSys.File\nSOURCE %@%\n", 2},
      // A string left open.
      {"CLASS A FileSys.File\nCRITERIA \"*.csv\nEND_CLASS\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Parsed parsed = Parse(c.text);
    EXPECT_EQ(parsed.result, 1);
    EXPECT_NE(
        parsed.diagnostics.find("syntax error Line number : " + std::to_string(c.line) + "\n"),
        std::string::npos)
        << parsed.diagnostics;
    EXPECT_EQ(parsed.status.Kind(), kSyntaxError);
    EXPECT_EQ(parsed.status.Message(), "syntax error Line number : " + std::to_string(c.line));
  }
  EXPECT_NE(Parse("CRITERIA \"x\n").diagnostics.find("syntax error"), std::string::npos);
  EXPECT_NE(Parse("CLASS A FileSys.File\nCRITERIA \"*.csv\n")
                .diagnostics.find("The string that begins on line 2 has no closing double quote"),
            std::string::npos);
}

TEST_F(ExtensionTest, ASecondConstructorIsReportedAndIgnoredWithItsArguments) {
  const Parsed parsed = Parse(
      "CLASS Twice FileSys.File\n"
      "CONSTRUCTOR first.sh %@%FullName\n"
      "CONSTRUCTOR second.sh %@%NoSuchAttribute\n"
      "END_CLASS\n");
  EXPECT_EQ(parsed.result, 0);
  // Had the second line's argument counted, the keyword check would have refused it.
  EXPECT_TRUE(parsed.status.IsOk()) << parsed.status.Text();
  EXPECT_EQ(parsed.diagnostics, "second.sh is a duplicate constructor \n");
  EXPECT_FALSE(Class("Twice").isUndefined());
}

TEST_F(ExtensionTest, EachCheckWritesItsLineAndSetsItsStatus) {
  struct Case {
    const char* text;
    const char* line;
    const char* message;
  };
  const Case cases[] = {
      {"CLASS A F.\n\nEND_CLASS\n", "Token name F. not in the form DOMAINNAME.CLASSNAME\n",
       "F. is not of the form DOMAIN.CLASS."},
      {"EXISTING_CLASS .File\n\nEND_CLASS\n",
       "Token name .File not in the form DOMAINNAME.CLASSNAME\n",
       ".File is not of the form DOMAIN.CLASS."},
      {"CLASS A Nowhere.File\n\nEND_CLASS\n", "getDomain failed\nDomain Nowhere is undefined\n",
       "Not defined: Nowhere"},
      {"EXISTING_CLASS FileSys.Nothing\n\nEND_CLASS\n", "Class Nothing is undefined\n",
       "Not defined: Nothing"},
      {"CLASS A FileSys.File\nCONSTRUCTOR make.sh %@%Size\nEND_CLASS\n",
       "Attribute Size is undefined\n", "Not defined: Size"},
      {"CLASS A FileSys.File\nCONSTRUCTOR make.sh %@%Graphic\nEND_CLASS\n",
       "Keyword attributes can be defined only on attributes of type String\n",
       "The keyword attribute Graphic must be a string attribute."},
      {"EXISTING_CLASS FileSys.File\nATTRIBUTE Text count.sh %@%\nEND_CLASS\n",
       "Attribute Text is already defined\n", "Text is already defined in this class."},
      {"CLASS A FileSys.FileRecord\n\nEND_CLASS\n",
       "Class FileRecord has no folder entries: subclasses are made of DirectoryObject, "
       "Directory, File and their subclasses\n",
       "Subclasses can be defined only in the file-system domain, not in FileSys."},
      {"CLASS Directory FileSys.File\n\nEND_CLASS\n", "Class Directory is already defined\n",
       "Directory is already defined in this class."},
      {"EXISTING_CLASS FileSys.File\nUNARY_RELATIONSHIP Twin Nowhere %@% \"twin.sh\"\nEND_CLASS\n",
       "Class Nowhere is undefined\n", "Not defined: Nowhere"},
      {"EXISTING_CLASS FileSys.File\nSOURCE %@%\nATTRIBUTE Bad "
       "\"Field31\"\nEND_SOURCE\nEND_CLASS\n",
       "Field Field31 is not a record field\n", "Not defined: Field31"},
      {"EXISTING_CLASS FileSys.File\nATTRIBUTE A one.sh %@%\nATTRIBUTE A two.sh %@%\nEND_CLASS\n",
       "Attribute A is already defined\n", "A is already defined in this class."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Parsed parsed = Parse(c.text);
    EXPECT_EQ(parsed.result, 0);
    EXPECT_EQ(parsed.diagnostics, c.line);
    EXPECT_EQ(parsed.status.Kind(), kProcessingError);
    EXPECT_EQ(parsed.status.Message(), c.message);
  }
}

std::vector<std::string> Names(const std::vector<QuireAttribute>& attributes) {
  std::vector<std::string> names;
  for (const QuireAttribute& attribute : attributes) names.push_back(attribute.name());
  return names;
}

std::vector<std::string> Names(const std::vector<QuireRelationship>& relationships) {
  std::vector<std::string> names;
  for (const QuireRelationship& relationship : relationships) names.push_back(relationship.name());
  return names;
}

TEST_F(ExtensionTest, ARemoveOfAMemberTheParentLacksRemovesNothing) {
  const Parsed parsed = Parse(
      "CLASS Docs FileSys.Directory\n"
      "  CRITERIA \"doc*\"\n"
      "  REMOVE ATTRIBUTE %@%Graphic\n"
      "  REMOVE ATTRIBUTE Records\n"
      "END_CLASS\n"
      "CLASS Later FileSys.File\nCRITERIA \"*.b\"\nREMOVE ATTRIBUTE %@%Colour\nEND_CLASS\n");
  EXPECT_EQ(parsed.result, 0);
  EXPECT_TRUE(parsed.status.IsOk()) << parsed.status.Text() << parsed.diagnostics;
  EXPECT_EQ(parsed.diagnostics, "");
  // Docs has every member of Directory; the blocks after it are made too.
  const QuireClass docs = Class("Docs");
  ASSERT_FALSE(docs.isUndefined());
  EXPECT_TRUE(docs.isSubclassOf(Class("Directory")));
  const QuireClass directory = Class("Directory");
  const std::vector<std::string> attributes = {"SimpleName", "FullName", "NamePrefix",
                                               "NameMinusExtension", "Extension"};
  EXPECT_EQ(Names(docs.attributeList(QuireFeatureList::kFirst)), attributes);
  EXPECT_EQ(Names(docs.unaryList(QuireFeatureList::kFirst)),
            Names(directory.unaryList(QuireFeatureList::kFirst)));
  QuireStatus lookup;
  EXPECT_FALSE(docs.findRelationship("Contents", QuireRelationship::kNary, lookup).isUndefined());
  const QuireClass later = Class("Later");
  ASSERT_FALSE(later.isUndefined());
  EXPECT_EQ(Names(later.attributeList(QuireFeatureList::kFirst)),
            Names(Class("File").attributeList(QuireFeatureList::kFirst)));
}

TEST_F(ExtensionTest, AfterTheFirstErrorEveryActionIsIdle) {
  const Parsed parsed = Parse(
      "CLASS Early FileSys.File\nCRITERIA \"*.a\"\nEND_CLASS\n"
      "EXISTING_CLASS FileSys.Nothing\n\nEND_CLASS\n"
      "CLASS Late FileSys.File\nCRITERIA \"*.b\"\nEND_CLASS\n"
      "EXISTING_CLASS FileSys.Other\n\nEND_CLASS\n");
  EXPECT_EQ(parsed.result, 0);
  EXPECT_EQ(parsed.status.Message(), "Not defined: Nothing");
  // Only the first error is reported; nothing after it is traced or made.
  EXPECT_EQ(parsed.diagnostics, "Class Nothing is undefined\n");
  EXPECT_EQ(parsed.trace.find("Late"), std::string::npos) << parsed.trace;
  EXPECT_FALSE(Class("Early").isUndefined());
  EXPECT_TRUE(Class("Late").isUndefined());
}

TEST_F(ExtensionTest, ASecondReadingMakesNothingTwiceAndReportsNothing) {
  const std::string text =
      "CLASS Notes FileSys.File\nCRITERIA \"*.md\"\nEND_CLASS\n"
      "EXISTING_CLASS FileSys.File\nATTRIBUTE Lines count.sh %@%\n"
      "UNARY_RELATIONSHIP Twin File %@% \"twin.sh\"\n"
      "SOURCE %@%FullName\nATTRIBUTE First \"1\"\nEND_SOURCE\nEND_CLASS\n";
  ASSERT_TRUE(Parse(text).status.IsOk());
  const size_t classes = fileSys().classList().size();
  const size_t attributes = Class("File").attributes().size();
  const Parsed again = Parse(text);
  EXPECT_TRUE(again.status.IsOk()) << again.status.Text() << again.diagnostics;
  EXPECT_EQ(fileSys().classList().size(), classes);
  EXPECT_EQ(Class("File").attributes().size(), attributes);
  EXPECT_EQ(Class("Directory").naryRelationships().size(), 2u);  // Contents and Notes
}

TEST(ExtensionParseTest, TheStacksGrowBy150UpToTheLimitAndThenOverflow) {
  QuireStatus status;
  std::ostringstream out, diagnostics;
  ExtensionBuilder builder(status, {"", &out, &diagnostics});
  ExtensionParse parse("CLASS", builder, out, diagnostics, 300);
  std::vector<int> states(150, 7);
  std::vector<long> values(150, 9);
  int* stateStack = states.data();
  long* valueStack = values.data();
  std::ptrdiff_t size = 150;
  parse.growStacks(&stateStack, &valueStack, 150, &size);
  EXPECT_EQ(size, 300);
  EXPECT_EQ(stateStack[149], 7);
  EXPECT_EQ(valueStack[149], 9);
  stateStack[299] = 1;  // the new entries are there to be written
  parse.growStacks(&stateStack, &valueStack, 300, &size);
  EXPECT_EQ(size, 300);
  EXPECT_EQ(diagnostics.str(), "yacc stack overflow Line number : 1\n");
}

}  // namespace
