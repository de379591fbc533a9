#include "platform/dom/xml_wellformedness.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <random>
#include <string>
#include <vector>

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

// Checks the class, where, and a fragment of the reason of a refusal.
void ExpectRefused(const std::string& text, int32_t code, int32_t line, int32_t linepos,
                   const std::string& reasonPart) {
  const DomParseError error = Refuse(text);
  EXPECT_EQ(error.errorCode, code) << error.reason;
  EXPECT_EQ(error.line, line) << error.reason;
  EXPECT_EQ(error.linepos, linepos) << error.reason;
  EXPECT_NE(error.reason.find(reasonPart), std::string::npos) << error.reason;
}

TEST(WellFormednessEntities, UndefinedEntityIsNamedWithLinePositionAndSourceText) {
  const DomParseError error = Refuse("<html>\n<body>\n<p>abc&nbsp;</p>\n</body></html>");
  EXPECT_EQ(error.errorCode, kXmlErrorUndefinedEntity);
  EXPECT_EQ(error.reason, "The entity 'nbsp' is referenced but not defined.");
  EXPECT_EQ(error.line, 3);
  EXPECT_EQ(error.linepos, 7);
  EXPECT_EQ(error.filepos, 20);
  EXPECT_EQ(error.srcText, "<p>abc&nbsp;</p>");
}

TEST(WellFormednessEntities, RawAmpersandsAndBadCharacterReferencesAreRefused) {
  ExpectRefused("<a>A & B</a>", kXmlErrorBadReference, 1, 6, "'&amp;'");
  ExpectRefused("<a>AT&T</a>", kXmlErrorBadReference, 1, 6, "not closed by ';'");
  ExpectRefused("<a t='x&y'/>", kXmlErrorBadReference, 1, 8, "'&amp;'");
  ExpectRefused("<a>&#0;</a>", kXmlErrorBadReference, 1, 4, "'&#0;'");
  ExpectRefused("<a>&#xD800;</a>", kXmlErrorBadReference, 1, 4, "not name a character");
  ExpectRefused("<a>&#99999999999999999999;</a>", kXmlErrorBadReference, 1, 4, "not name");
  ExpectRefused("<a>&#X41;</a>", kXmlErrorBadReference, 1, 4, "not valid");
  ExpectRefused("<a>&#;</a>", kXmlErrorBadReference, 1, 4, "not valid");
}

TEST(WellFormednessEntities, PredefinedCharacterAndDeclaredEntitiesAreAccepted) {
  ExpectAccepted("<a t='&lt;&gt;&amp;&quot;&apos;'>&#65;&#x1F600;&#xe9;&amp;</a>");
  ExpectAccepted(
      "<!DOCTYPE a [\n<!ENTITY nbsp \"&#160;\">\n<!ATTLIST a t CDATA 'x>y'>\n]>\n"
      "<a>x&nbsp;y</a>");
  // A parameter entity does not define a general one.
  ExpectRefused("<!DOCTYPE a [<!ENTITY % p 'x'>]><a>&p;</a>", kXmlErrorUndefinedEntity, 1, 36,
                "'p'");
}

TEST(WellFormednessAttributes, MalformedAttributesAreRefusedAtTheFault) {
  ExpectRefused("<p class=x>t</p>", kXmlErrorBadAttribute, 1, 10, "must be in quotes");
  ExpectRefused("<input disabled>", kXmlErrorBadAttribute, 1, 16, "'disabled'");
  ExpectRefused("<p title=\"a<b\">t</p>", kXmlErrorBadAttribute, 1, 12, "'<'");
  ExpectRefused("<p a=\"1\"b=\"2\"/>", kXmlErrorBadAttribute, 1, 9, "separated by white space");
  ExpectRefused("<p a=\"1\" / >", kXmlErrorBadAttribute, 1, 10, "'/' must be followed by '>'");
}

TEST(WellFormednessAttributes, DuplicateAttributesAreFoundAmongFewAndMany) {
  ExpectRefused("<p a=\"1\" b='2' a=\"3\"/>", kXmlErrorDuplicateAttribute, 1, 16, "'a'");
  std::string many = "<p";
  for (int i = 0; i < 40; ++i) many += " a" + std::to_string(i) + "='v'";
  ExpectAccepted(many + "/>");
  const int column = static_cast<int>(many.size()) + 2;
  ExpectRefused(many + " a7='again'/>", kXmlErrorDuplicateAttribute, 1, column, "'a7'");
}

TEST(WellFormednessTags, MismatchedTagNamesTheExpectedEndTagAndTheStartTagPlace) {
  ExpectRefused("<p>\n  <br>\n</p>", kXmlErrorTagMismatch, 3, 1,
                "does not match the start tag '<br>' on line 2, position 3; expected '</br>'");
}

TEST(WellFormednessTags, UnclosedElementAtTheEndNamesTheExpectedEndTag) {
  const DomParseError error = Refuse("<a>\n<br>text");
  EXPECT_EQ(error.errorCode, kXmlErrorUnclosedElement);
  EXPECT_EQ(error.reason,
            "The element '<br>' begun on line 2, position 1 is never closed; expected '</br>'.");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.linepos, 9);
  EXPECT_EQ(error.srcText, "<br>text");
}

TEST(WellFormednessTags, StrayEndTagsAndSecondRootsAreRefused) {
  ExpectRefused("<a></a></b>", kXmlErrorTagMismatch, 1, 8, "no matching start tag");
  ExpectRefused("</b><a/>", kXmlErrorTagMismatch, 1, 1, "no matching start tag");
  ExpectRefused("<a/>\n<b/>", kXmlErrorMisplacedContent, 2, 1,
                "'<b>' follows the root element '<a>'");
}

TEST(WellFormednessTags, BadNamesAreQuoted) {
  ExpectRefused("<1a>x</1a>", kXmlErrorBadName, 1, 2, "'1a' is not valid");
  ExpectRefused("<a><-b/></a>", kXmlErrorBadName, 1, 5, "'-b'");
  ExpectRefused("<a>< b/></a>", kXmlErrorBadName, 1, 5, "A name is expected");
  ExpectRefused("<a 9x='1'/>", kXmlErrorBadName, 1, 4, "attribute name '9x'");
}

TEST(WellFormednessStructure, TextOutsideTheRootAndMissingRootAreRefused) {
  ExpectRefused("  hello<a/>", kXmlErrorMisplacedContent, 1, 3, "before the root element");
  ExpectRefused("<a/>\r\n bye", kXmlErrorMisplacedContent, 2, 2, "after the root element");
  ExpectRefused("<a/>&amp;", kXmlErrorMisplacedContent, 1, 5, "after the root element");
  ExpectRefused("", kXmlErrorMisplacedContent, 1, 1, "no root element");
  ExpectRefused("<?xml version='1.0'?>\n<!-- only -->\n", kXmlErrorMisplacedContent, 3, 1,
                "no root element");
  ExpectRefused("<![CDATA[x]]><a/>", kXmlErrorMisplacedContent, 1, 1, "CDATA");
  ExpectRefused("<a>x]]>y</a>", kXmlErrorMisplacedContent, 1, 5, "']]>'");
}

TEST(WellFormednessStructure, DeclarationsOutOfPlaceAreRefused) {
  ExpectRefused("\n<?xml version=\"1.0\"?><a/>", kXmlErrorBadDeclaration, 2, 1, "very start");
  ExpectRefused("<!--c--><?xml version=\"1.0\"?><a/>", kXmlErrorBadDeclaration, 1, 9, "very start");
  ExpectRefused("<?xml encoding='UTF-8'?><a/>", kXmlErrorBadDeclaration, 1, 7, "version");
  ExpectRefused("<?xml version='1.0' encoding='a b'?><a/>", kXmlErrorBadDeclaration, 1, 31,
                "'a b'");
  ExpectRefused("<a/><!DOCTYPE a>", kXmlErrorBadDeclaration, 1, 5, "before the root");
  ExpectRefused("<!DOCTYPE a><!DOCTYPE a><a/>", kXmlErrorBadDeclaration, 1, 13, "Only one");
  ExpectRefused("<?XML version='1.0'?><a/>", kXmlErrorBadName, 1, 3, "reserved");
}

TEST(WellFormednessStructure, CommentsMustNotHoldDoubleHyphens) {
  ExpectRefused("<a><!-- x -- y --></a>", kXmlErrorBadComment, 1, 11, "'--'");
  ExpectRefused("<a><!-- x ---></a>", kXmlErrorBadComment, 1, 11, "'--'");
  ExpectAccepted("<a><!----><!-- a-b - c --><!---x--></a>");
}

TEST(WellFormednessStructure, UnterminatedConstructsAreRefusedWithTheirStart) {
  ExpectRefused("<a><!-- open", kXmlErrorUnterminated, 1, 13,
                "comment begun on line 1, position 4");
  ExpectRefused("<a><![CDATA[x]]", kXmlErrorUnterminated, 1, 16, "CDATA section begun");
  ExpectRefused("<a><?pi x", kXmlErrorUnterminated, 1, 10, "processing instruction begun");
  ExpectRefused("<a>\n<b c='1'", kXmlErrorUnterminated, 2, 9, "'<b' begun on line 2, position 1");
  ExpectRefused("<a b='1", kXmlErrorUnterminated, 1, 8, "attribute 'b' begun");
  ExpectRefused("<a></a", kXmlErrorUnterminated, 1, 7, "'</a>' is not closed");
  ExpectRefused("<a>x<", kXmlErrorUnterminated, 1, 5, "'<'");
  ExpectRefused("<!DOCTYPE a [<!ENTITY x 'y'>", kXmlErrorUnterminated, 1, 29, "DOCTYPE");
}

TEST(WellFormednessCharacters, ForbiddenCharactersAndBadUtf8AreRefused) {
  ExpectRefused("<a>\x01</a>", kXmlErrorInvalidCharacter, 1, 4, "U+0001");
  ExpectRefused("<a t='\x0B'/>", kXmlErrorInvalidCharacter, 1, 7, "U+000B");
  ExpectRefused("<a>\xEF\xBF\xBE</a>", kXmlErrorInvalidCharacter, 1, 4, "U+FFFE");
  ExpectRefused("<a>x\xC3\x28</a>", kXmlErrorInvalidCharacter, 1, 5, "byte 0xC3");
  ExpectRefused("<a>\xED\xA0\x80</a>", kXmlErrorInvalidCharacter, 1, 4, "not valid UTF-8");
  ExpectRefused("<a><!-- \x80 --></a>", kXmlErrorInvalidCharacter, 1, 9, "0x80");
  ExpectRefused(std::string("<a>\0</a>", 8), kXmlErrorInvalidCharacter, 1, 4, "U+0000");
}

TEST(WellFormednessPositions, PositionsCountCharactersAndCrLfEndsOneLine) {
  const DomParseError error = Refuse("<a>\r\n\xE6\x97\xA5\xE6\x9C\xAC &bad;</a>");
  EXPECT_EQ(error.line, 2);
  EXPECT_EQ(error.linepos, 4);
  EXPECT_EQ(error.filepos, 8);
  EXPECT_EQ(error.srcText, "\xE6\x97\xA5\xE6\x9C\xAC &bad;</a>");
  ExpectRefused("<a>\r\r&bad;</a>", kXmlErrorUndefinedEntity, 3, 1, "'bad'");
}

TEST(WellFormednessPositions, SourceTextOfALongLineIsAWindowAroundThePosition) {
  const std::string text =
      "<a>" + std::string(3000, 'x') + "&bad;" + std::string(3000, 'y') + "</a>";
  const DomParseError error = Refuse(text);
  EXPECT_EQ(error.linepos, 3004);
  EXPECT_LE(error.srcText.size(), 210u);
  EXPECT_NE(error.srcText.find("x&bad;y"), std::string::npos);
}

TEST(WellFormednessAccepts, WordLikeNamespacedMarkupWithoutDeclarations) {
  ExpectAccepted(
      "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone='no'?>\r\n"
      "<html xmlns:v=\"urn:schemas-microsoft-com:vml\">\r\n"
      "<head><meta http-equiv=\"Content-Type\" content=\"text/html\"/>\r\n"
      "<!--[if gte mso 9]><xml><w:WordDocument><w:View>Print</w:View></w:WordDocument></xml>"
      "<![endif]-->\r\n"
      "<style><!-- /* Font Definitions */ p.MsoNormal {margin:0cm} --></style></head>\r\n"
      "<body lang=\"EN-GB\" style='tab-interval:36.0pt'>\r\n"
      "<p class=\"MsoNormal\"><span QuireQuery=\"C:VALUE x\"/><o:p><!--nbsp;--></o:p></p>\r\n"
      "<v:shape id=\"_x0000_s1026\" o:spid='a&amp;b' w:bordertop=\"single\"><v:imagedata "
      "src=\"x.png\" o:title=\"\"/></v:shape>\r\n"
      "<?mso-application progid=\"Word.Document\"?><script><![CDATA[if (a < b && c) x();]]>"
      "</script>\r\n"
      "<p>caf\xC3\xA9 \xE2\x80\x9Cquoted\xE2\x80\x9D &#8364; &lt;&lt;x&gt;&gt;</p>\r\n"
      "<gr\xC3\xB6\xC3\x9F"
      "e xml:lang='de'>\xE6\x97\xA5\xE6\x9C\xAC</gr\xC3\xB6\xC3\x9F"
      "e>\r\n"
      "</body>\r\n</html>\r\n<!-- trailer -->\r\n");
}

TEST(WellFormednessAccepts, DoctypesWithAndWithoutSubsetsAndALeadingByteOrderMark) {
  ExpectAccepted(
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\"><html/>");
  ExpectAccepted(
      "<!DOCTYPE a SYSTEM 'a.dtd' [ %ext; <!ELEMENT a (#PCDATA)> <?p x?> "
      "<!-- c --> <!NOTATION n SYSTEM \"n\"> ]><a/>");
  ExpectAccepted("\xEF\xBB\xBF<a/>");
}

TEST(WellFormednessAccepts, LargeGeneratedReportIsAcceptedAndPugixmlAgrees) {
  std::string text = "<?xml version=\"1.0\"?>\n<html><body><table border=\"1\">\n";
  for (int row = 0; row < 20000; ++row) {
    text += "<tr class=\"r" + std::to_string(row % 3) + "\"><td style='width:40pt'>" +
            std::to_string(row) +
            "</td><td>caf\xC3\xA9 &amp; &#169; <b>bold</b></td>"
            "<td><!-- n " +
            std::to_string(row) + " --></td></tr>\n";
  }
  text += "</table></body></html>\n";
  ASSERT_GT(text.size(), 1000000u);
  ExpectAccepted(text);
  pugi::xml_document document;
  EXPECT_TRUE(document.load_buffer(text.data(), text.size()));
}

TEST(WellFormednessDepth, HundredThousandLevelsAreCheckedWithoutRecursion) {
  constexpr int kDepth = 100000;
  std::string open;
  std::string close;
  for (int i = 0; i < kDepth; ++i) open += "<d>";
  for (int i = 0; i < kDepth; ++i) close += "</d>";
  ExpectAccepted(open + close);
  const DomParseError error = Refuse(open + close.substr(4));
  EXPECT_EQ(error.errorCode, kXmlErrorUnclosedElement);
  EXPECT_NE(error.reason.find("begun on line 1, position 1 "), std::string::npos) << error.reason;
}

// Random and mutated inputs: no crash, a complete error record whenever one is refused, and
// nothing accepted that the lenient parser cannot read.
TEST(WellFormednessFuzz, RandomAndMutatedInputsGiveCompleteAnswers) {
  const std::vector<std::string> seeds = {
      "<?xml version='1.0'?><a b=\"1\"><!-- c --><![CDATA[x]]>t&amp;<?p d?></a>",
      "<!DOCTYPE a [<!ENTITY e 'v'>]><a>&e;&#65;</a>",
      "<html><p class=x>a&nbsp;b<br></p></html>",
      "<v:shape o:p='1'>\xC3\xA9\xE6\x97\xA5</v:shape>",
  };
  const std::string alphabet = "<>/!?-[]&;#x='\" \n\rabAB:\xC3\xA9\x80\xFF";
  std::mt19937 random(20240531);
  for (int round = 0; round < 10000; ++round) {
    std::string text = seeds[random() % seeds.size()];
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = random() % (text.size() + 1);
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 4) {
        case 0:
          text.insert(at, 1, c);
          break;
        case 1:
          if (at < text.size()) text.erase(at, 1);
          break;
        case 2:
          if (at < text.size()) text[at] = c;
          break;
        default:
          text = text.substr(0, at);
          break;
      }
    }
    if (round % 10 == 0) {
      text.resize(random() % 64);
      for (char& c : text) c = static_cast<char>(random() % 256);
    }
    DomParseError error;
    if (CheckWellFormed(text, error)) {
      pugi::xml_document document;
      EXPECT_TRUE(
          document.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_doctype))
          << "accepted but unreadable: " << text;
      continue;
    }
    EXPECT_LT(error.errorCode, 0) << text;
    EXPECT_FALSE(error.reason.empty()) << text;
    EXPECT_GE(error.line, 1) << text;
    EXPECT_GE(error.linepos, 1) << text;
    EXPECT_GE(error.filepos, error.linepos - 1) << text;
    EXPECT_EQ(FindInvalidUtf8(error.srcText), std::string::npos) << text;
    EXPECT_EQ(FindInvalidUtf8(error.reason), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace platform
