#include "platform/dom/xml_wellformedness.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>

#include "foundation/input_limits.h"
#include "platform/dom/xml_encoding.h"

namespace platform {
namespace {

DomParseError Refuse(const std::string& text) {
  DomParseError error;
  EXPECT_FALSE(CheckWellFormed(text, error)) << "accepted: " << text.substr(0, 200);
  return error;
}

void ExpectAccepted(const std::string& text) {
  DomParseError error;
  EXPECT_TRUE(CheckWellFormed(text, error))
      << error.reason << " (line " << error.line << ", position " << error.linepos << ")";
}

TEST(WellFormedness, UndefinedEntityIsNamedWithLinePositionAndSourceText) {
  const DomParseError error = Refuse("<html>\n<body>\n<p>abc&nbsp;</p>\n</body></html>");
  EXPECT_EQ(error.errorCode, kXmlErrorUndefinedEntity);
  EXPECT_EQ(error.reason, "The entity 'nbsp' is referenced but not defined.");
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.linepos, 7);
  EXPECT_EQ(error.filepos, 20);
  EXPECT_EQ(error.srcText, "<p>abc&nbsp;</p>");
}

TEST(WellFormedness, UnclosedElementAtTheEndNamesTheExpectedEndTag) {
  const DomParseError error = Refuse("<a>\n<br>text");
  EXPECT_EQ(error.errorCode, kXmlErrorUnclosedElement);
  EXPECT_EQ(error.reason,
            "The element '<br>' begun on line 2, position 1 is never closed; expected '</br>'.");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.linepos, 9);
  EXPECT_EQ(error.srcText, "<br>text");
}

TEST(WellFormedness, FaultsAreRefusedWithTheirClassPlaceAndReason) {
  std::string many = "<p";
  for (int i = 0; i < 40; ++i) many += " a" + std::to_string(i) + "='v'";
  ExpectAccepted(many + "/>");
  const int afterMany = static_cast<int>(many.size()) + 2;
  const struct {
    std::string text;
    int32_t code;
    int32_t line;
    int32_t linepos;
    const char* reasonPart;
  } kRows[] = {
      // References.
      {"<a>A & B</a>", kXmlErrorBadReference, 1, 6, "'&amp;'"},
      {"<a>&#99999999999999999999;</a>", kXmlErrorBadReference, 1, 4, "not name"},
      // Attributes.
      {"<p class=x>t</p>", kXmlErrorBadAttribute, 1, 10,
       "The value of the attribute 'class' of '<p>' must be in quotes."},
      {"<input disabled>", kXmlErrorBadAttribute, 1, 16, "'disabled'"},
      {"<p title=\"a<b\">t</p>", kXmlErrorBadAttribute, 1, 12, "'<'"},
      {"<p a=\"1\" b='2' a=\"3\"/>", kXmlErrorDuplicateAttribute, 1, 16, "'a'"},
      {many + " a7='again'/>", kXmlErrorDuplicateAttribute, 1, afterMany, "'a7'"},
      // Tags and names.
      {"<p>\n  <br>\n</p>", kXmlErrorTagMismatch, 3, 1,
       "does not match the start tag '<br>' on line 2, position 3; expected '</br>'"},
      {"<a/>\n<b/>", kXmlErrorMisplacedContent, 2, 1,
       "Only one root element is allowed: '<b>' follows the root element '<a>'."},
      {"<1a>x</1a>", kXmlErrorBadName, 1, 2, "'1a' is not valid"},
      // Text outside the root, or no root.
      {"<a/>\r\n bye", kXmlErrorMisplacedContent, 2, 2, "after the root element"},
      {"", kXmlErrorMisplacedContent, 1, 1, "no root element"},
      // Declarations and comments.
      {"\n<?xml version=\"1.0\"?><a/>", kXmlErrorBadDeclaration, 2, 1, "very start"},
      {"<?xml version='1.0' encoding='a b'?><a/>", kXmlErrorBadDeclaration, 1, 31, "'a b'"},
      {"<a><!-- x -- y --></a>", kXmlErrorBadComment, 1, 11, "'--'"},
      // Unterminated constructs name their start.
      {"<a><!-- open", kXmlErrorUnterminated, 1, 13, "comment begun on line 1, position 4"},
      {"<a>\n<b c='1'", kXmlErrorUnterminated, 2, 9, "'<b' begun on line 2, position 1"},
      // Forbidden characters and bad UTF-8.
      {"<a>x\xC3\x28</a>", kXmlErrorInvalidCharacter, 1, 5, "byte 0xC3"},
      {std::string("<a>\0</a>", 8), kXmlErrorInvalidCharacter, 1, 4, "U+0000"},
      // Positions count characters; CR, LF and CR LF each end one line.
      {"<a>\r\r&bad;</a>", kXmlErrorUndefinedEntity, 3, 1, "'bad'"},
      {"<a>\r\n\xE6\x97\xA5\xE6\x9C\xAC &bad;</a>", kXmlErrorUndefinedEntity, 2, 4, "'bad'"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.text.substr(0, 60));
    const DomParseError error = Refuse(row.text);
    EXPECT_EQ(error.errorCode, row.code) << error.reason;
    EXPECT_EQ(error.line, row.line) << error.reason;
    EXPECT_EQ(error.linepos, row.linepos) << error.reason;
    EXPECT_NE(error.reason.find(row.reasonPart), std::string::npos) << error.reason;
  }
}

TEST(WellFormedness, AcceptsPageMarkupDoctypesAndReferences) {
  // What saved pages hold beyond the fixture: CR LF, markup in conditional comments, PIs, CDATA,
  // empty values, non-ASCII names and a comment after the root.
  ExpectAccepted(
      "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone='no'?>\r\n<html>\r\n"
      "<!--[if gte mso 9]><xml><w:WordDocument><w:View>Print</w:View></w:WordDocument></xml>"
      "<![endif]--><?mso-application progid=\"Word.Document\"?>\r\n"
      "<script><![CDATA[if (a < b && c) x();]]></script><v:imagedata o:title=\"\"/>\r\n"
      "<gr\303\266\303\237e xml:lang='de'>\xE6\x97\xA5</gr\303\266\303\237e>\r\n"
      "</html>\r\n<!-- trailer -->\r\n");
  ExpectAccepted("<a t='&lt;&gt;&amp;&quot;&apos;'>&#65;&#x1F600;&#xe9;&amp;</a>");
  ExpectAccepted(
      "<!DOCTYPE a [\n<!ENTITY nbsp \"&#160;\">\n<!ATTLIST a t CDATA 'x>y'>\n]>\n<a>x&nbsp;y</a>");
}

// Elements nest up to kMaxElementNesting; the first one deeper is refused where it starts, so that
// nothing walks a deeper document (a hundred thousand unclosed levels included).
TEST(WellFormedness, ElementsNestUpToTheLimitOfElementNesting) {
  const auto nested = [](std::size_t depth, bool closed) {
    std::string text;
    for (std::size_t i = 0; i < depth; ++i) text += "<d>";
    for (std::size_t i = 0; closed && i < depth; ++i) text += "</d>";
    return text;
  };
  ExpectAccepted(nested(kMaxElementNesting, true));
  for (const std::size_t depth : {kMaxElementNesting + 1, std::size_t{100000}}) {
    SCOPED_TRACE(depth);
    const DomParseError error = Refuse(nested(depth, depth < 100000));
    EXPECT_EQ(error.errorCode, kXmlErrorNestingTooDeep);
    EXPECT_EQ(error.reason, "The element '<d>' is nested deeper than the limit of " +
                                std::to_string(kMaxElementNesting) + " nested elements.");
    EXPECT_EQ(error.linepos, static_cast<int32_t>(3 * kMaxElementNesting + 1));
  }
}

// Nothing may be accepted that the lenient parser cannot read.
TEST(WellFormedness, RandomAndMutatedInputsGiveCompleteAnswers) {
  const std::vector<std::string> seeds = {
      "<?xml version='1.0'?><a b=\"1\"><!-- c --><![CDATA[x]]>t&amp;<?p d?></a>",
      "<!DOCTYPE a [<!ENTITY e 'v'>]><a>&e;&#65;</a>", "<html><p class=x>a&nbsp;b<br></p></html>",
      "<v:shape o:p='1'>\xC3\xA9\xE6\x97\xA5</v:shape>"};
  const std::string alphabet = "<>/!?-[]&;#x='\" \n\rabAB:\xC3\xA9\x80\xFF";
  std::mt19937 random(20240531);
  for (int round = 0; round < 3000; ++round) {
    std::string text = seeds[random() % seeds.size()];
    for (int edits = 1 + static_cast<int>(random() % 4); edits > 0; --edits) {
      const size_t at = random() % (text.size() + 1);
      const char c = alphabet[random() % alphabet.size()];
      const unsigned kind = random() % 4;
      if (kind == 0) text.insert(at, 1, c);
      if (kind == 1 && at < text.size()) text.erase(at, 1);
      if (kind == 2 && at < text.size()) text[at] = c;
      if (kind == 3) text.resize(at);
    }
    DomParseError error;
    pugi::xml_document document;
    if (CheckWellFormed(text, error)) {
      EXPECT_TRUE(
          document.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_doctype))
          << "accepted but unreadable: " << text;
      continue;
    }
    EXPECT_FALSE(error.reason.empty()) << text;
    EXPECT_GE(error.line, 1) << text;
    EXPECT_GE(error.linepos, 1) << text;
    EXPECT_EQ(FindInvalidUtf8(error.srcText), std::string::npos) << text;
    EXPECT_EQ(FindInvalidUtf8(error.reason), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace platform
