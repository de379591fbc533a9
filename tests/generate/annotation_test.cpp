// Template annotation: Word comments become QuireQuery command elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/marker_kind.h"
#include "generate/template_annotator.h"
#include "generate/vml_fallback_images.h"
#include "tests/common/test_support.h"
#include "word_comments.h"

namespace {

using platform::DomDocument;
using platform::DomNode;
using test_support::Mark;
using test_support::WordPage;

std::shared_ptr<DomDocument> Parsed(const std::string& xml) {
  auto document = DomDocument::Create();
  EXPECT_TRUE(document->loadXML(xml)) << document->parseError().reason;
  return document;
}

std::shared_ptr<DomDocument> DataFile(const std::string& name) {
  auto document = DomDocument::Create();
  EXPECT_TRUE(document->load(XMLAGENT_SOURCE_DIR "/tests/generate/data/" + name))
      << document->parseError().reason;
  return document;
}

DomNode Command(const std::shared_ptr<DomDocument>& document, const std::string& text) {
  return document->selectSingleNode("//*[@QuireQuery='" + text + "']");
}

size_t Count(const std::shared_ptr<DomDocument>& document, const std::string& pattern) {
  return document->selectNodes(pattern).length();
}

class AnnotationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::LoadSampleHostStrings(); }
  static QuireStatus Annotate(const std::shared_ptr<DomDocument>& document, bool expectOk = true) {
    QuireStatus status(1, "not run");
    EXPECT_EQ(TemplateAnnotator(document).annotateTemplate(status), expectOk);
    EXPECT_EQ(status.IsOk(), expectOk) << status.Message();
    return status;
  }
};

TEST(MarkerKindTest, ClassifiesByTextPrefixAndLabelForm) {
  struct Case {
    const char* text;
    const char* label;
    MarkerKind kind;
  };
  const Case cases[] = {
      {"C:s:D:C:", "[OPEN1]", MarkerKind::kOpen},
      {"F:b:D:C::a:SAA:", "[DISPLAY3]", MarkerKind::kDisplay},
      {"X:b:D:C::a:SAA:", "", MarkerKind::kDisplay},
      {"M:x", "[MASTER4]", MarkerKind::kMaster},
      {"R:x", "[REPEAT5]", MarkerKind::kRepeat},
      {"Q:x", "", MarkerKind::kRepeat},
      {"S:x", "[LIMIT6]", MarkerKind::kLimit},
      {"L:x", "[LINK7]", MarkerKind::kLink},
      {"", "", MarkerKind::kLink},
      {"F:x", "[ENDDISP8]", MarkerKind::kEndDisplay},
      {"Q:x", "[ENDREP10]", MarkerKind::kEndRepeat},
      {"L:x", "[ENDLINK12]", MarkerKind::kEndLink},
      {"F:x", "[AB13]", MarkerKind::kMismatch},
      {"C:x", "[ENDOPEN15]", MarkerKind::kMismatch},
      {"R:x", "[repeat17]", MarkerKind::kMismatch},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyMarker(c.text, c.label), c.kind) << c.text << " " << c.label;
  }
}

TEST(MarkerKindTest, CommandTextIsTheLastOfTwoChildrenOrTheWholeTextWithoutTheLabel) {
  const auto document = Parsed(
      "<div><p><span>[OPEN1]</span>C:a</p><p><span><a>[OPEN1]</a></span>C:b<o:p/></p>"
      "<p>C:c<span>[OPEN1]</span><o:p/></p><p><span>x</span>C:<b>d</b></p><p/></div>");
  const auto paragraphs = document->selectNodes("div/p");
  EXPECT_EQ(CommandTextOf(paragraphs.item(0), "[OPEN1]"), "C:a");
  EXPECT_EQ(CommandTextOf(paragraphs.item(2), "[OPEN1]"), "C:c");
  EXPECT_EQ(CommandTextOf(paragraphs.item(3), "[OPEN1]"), "xC:d");
  EXPECT_EQ(CommandTextOf(paragraphs.item(4), "[OPEN1]"), "");
}

TEST_F(AnnotationTest, OlderMarkupTurnsEveryCommandIntoAnElement) {
  const auto document = DataFile("shelf_older.htm");
  Annotate(document);

  const DomNode open = Command(document, "C:s:Library:Shelf:name=Fiction");
  ASSERT_TRUE(open);
  EXPECT_FALSE(open.hasChildNodes());
  const DomNode name = Command(document, "F:s:Library:Shelf::name:SAA:");
  ASSERT_TRUE(name);
  EXPECT_EQ(name.text(), "<Name>");

  // Nested REPEATs: each closed by the end mark with its own command text.
  const DomNode books = Command(document, "R:b:Library:Book:s:Library:Shelf:N=books:");
  const DomNode authors = Command(document, "R:a:Library:Author:b:Library:Book:N=authors:");
  ASSERT_TRUE(books && authors);
  EXPECT_TRUE(books.selectSingleNode(".//*[@QuireQuery='F:b:Library:Book::title:SAA:']"));
  EXPECT_TRUE(
      books.selectSingleNode(".//*[@QuireQuery='R:a:Library:Author:b:Library:Book:N=authors:']"));
  EXPECT_NE(books.text().find("Next book."), std::string::npos);
  EXPECT_EQ(authors.text(), "Written by:·<Author>");
  EXPECT_EQ(Command(document, "S:g:Library:Shelf:s:Library:Shelf::floor = 1").text(),
            "Ground floor.");

  // Only the reviewer's comment is left, with its entry and the list's separator line.
  EXPECT_EQ(document->selectSingleNode("//a[@class='msocomanchor']").text(), "[AB11]");
  EXPECT_EQ(Count(document, "//p[@class='MsoCommentText']"), 1u);
}

// Every command element in document order with its enclosing commands and its text.
std::vector<std::string> CommandOutline(const std::shared_ptr<DomDocument>& document) {
  std::vector<std::string> outline;
  for (const DomNode element : document->selectNodes("//*[@QuireQuery]")) {
    std::string line = element.getAttribute("QuireQuery") + " = " + element.text();
    for (DomNode up = element.parentNode(); up; up = up.parentNode()) {
      if (up.nodeType() == platform::kDomElement && up.hasAttribute("QuireQuery")) {
        line = up.getAttribute("QuireQuery") + " > " + line;
      }
    }
    outline.push_back(line);
  }
  outline.push_back("breaks " + std::to_string(Count(document, "//br")));
  outline.push_back("comments " + std::to_string(Count(document, "//p[@class='MsoCommentText']")));
  return outline;
}

TEST_F(AnnotationTest, NewerMarkupAnnotatesLikeTheOlder) {
  const auto older = DataFile("shelf_older.htm");
  const auto newer = DataFile("shelf_newer.htm");
  Annotate(older);
  Annotate(newer);
  EXPECT_EQ(CommandOutline(newer), CommandOutline(older));
  EXPECT_EQ(CommandOutline(newer).size(), 9u);
}

TEST_F(AnnotationTest, TableMasterRepeatMovesWholeRows) {
  const auto document = DataFile("table_master.htm");
  Annotate(document);
  const DomNode master =
      Command(document, "M:b:Library:Book:s:Library:Shelf:N=books:TABLEINFO:A:2");
  const DomNode rows = Command(document, "R:b:Library:Book:s:Library:Shelf:N=books:");
  ASSERT_TRUE(master && rows);
  EXPECT_EQ(rows.parentNode().nodeName(), "table");
  const auto moved = rows.childNodes();
  ASSERT_EQ(moved.length(), 2u);
  EXPECT_EQ(moved.item(0).nodeName(), "tr");
  EXPECT_EQ(moved.item(0).text(), "<Title><Pages>");
  EXPECT_EQ(rows.previousSibling().text(), "TitlePages");
  EXPECT_EQ(rows.nextSibling().text(), "Total");
}

TEST_F(AnnotationTest, SplitPlaceholderRunsEndUpInOneSpan) {
  const auto document = Parsed(WordPage(
      "<p>Name: " + Mark(1, "[DISPLAY1]") + "&lt;<span class=\"SpellE\">Name</span>&gt;</p>",
      {"F:b:Library:Book::title:SAA:"}));
  Annotate(document);
  const DomNode display = Command(document, "F:b:Library:Book::title:SAA:");
  ASSERT_TRUE(display);
  EXPECT_EQ(display.text(), "<<Name>");
  EXPECT_EQ(display.parentNode().childNodes().length(), 2u);

  // The closing ">" in a run of its own formatting.
  const auto styled = Parsed(WordPage("<p>" + Mark(1, "[DISPLAY1]") +
                                          "&lt;<span>Name</span><span lang=\"DE\">&gt;</span> "
                                          "after</p>",
                                      {"F:b:Library:Book::title:SAA:"}));
  Annotate(styled);
  const DomNode gathered = Command(styled, "F:b:Library:Book::title:SAA:");
  ASSERT_TRUE(gathered);
  EXPECT_EQ(gathered.text(), "<<Name>");
  EXPECT_TRUE(gathered.nextSibling().text().ends_with("after"));
}

TEST_F(AnnotationTest, OpenSharingItsPlaceLeavesTheNextMarkInASavedSpan) {
  const std::string shared =
      "<span class=\"MsoCommentReference\"><span style=\"font-size:8.0pt\"><span/>"
      "<a class=\"msocomanchor\">[OPEN1]</a><span/><span/><a class=\"msocomanchor\">[DISPLAY2]</a>"
      "<span/></span></span>";
  const auto document =
      Parsed(WordPage("<p>" + shared + "&lt;Name&gt;</p>",
                      {"C:s:Library:Shelf:name=Fiction", "F:s:Library:Shelf::name:SAA:"}));
  Annotate(document);
  const DomNode paragraph = document->selectSingleNode("//div[@class='Section1']/p");
  // Each command element carries its comment's place (order and label, the text near the mark)
  // until generation takes it out.
  EXPECT_EQ(paragraph.xml(),
            "<p><span QuireQuery=\"C:s:Library:Shelf:name=Fiction\" QuireLabel=\"1 [OPEN1]\" "
            "QuireNear=\"&lt;Name>\"/>"
            "<span QuireQuery=\"F:s:Library:Shelf::name:SAA:\" QuireLabel=\"2 [DISPLAY2]\" "
            "QuireNear=\"&lt;Name>\">&lt;Name&gt;</span></p>");
}

TEST_F(AnnotationTest, LinkIsPairedWithItsEndLink) {
  const std::string link = "L:b:Library:Book:code=B1";
  const auto document = Parsed(WordPage(
      "<p>" + Mark(1, "[LINK1]") + "<o:p/></p><p>Linked</p><p>" + Mark(2, "[ENDLINK2]") + "</p>",
      {link, link}));
  Annotate(document);
  const DomNode element = Command(document, link);
  ASSERT_TRUE(element);
  EXPECT_EQ(element.text(), "Linked");
  EXPECT_EQ(element.nextSibling().xml(), "<p><br/></p>");
}

TEST_F(AnnotationTest, UnpairedMarksAreRemovedWithoutCommandElements) {
  const auto document = Parsed(WordPage(
      "<p>" + Mark(1, "[ENDREP1]") + "</p><p>" + Mark(2, "[LIMIT2]") + "Kept text</p>",
      {"R:b:Library:Book:s:Library:Shelf:N=books:", "S:g:Library:Shelf:s:Library:Shelf::x"}));
  Annotate(document);
  EXPECT_EQ(Count(document, "//*[@QuireQuery]"), 0u);
  EXPECT_EQ(Count(document, "//a"), 0u);
  EXPECT_EQ(document->selectSingleNode("//div[@class='Section1']").xml(),
            "<div class=\"Section1\"><p><br/></p><p>Kept text</p></div>");
}

TEST_F(AnnotationTest, MismatchedLabelsAndExtraAnchorsStayInPlace) {
  const auto document =
      Parsed(WordPage("<p>" + Mark(1, "[AB1]") + "Reviewed</p><p>" + Mark(2, "[REPEAT2]") +
                          "Text</p><p>" + Mark(3, "[DISPLAY3]") + "&lt;Name&gt;</p>",
                      {"Looks fine", "F:b:Library:Book::title:SAA:"}));
  const std::string before = document->xml();
  Annotate(document);
  EXPECT_EQ(document->xml(), before);
}

TEST_F(AnnotationTest, GraphicDisplayTakesTheShapeAndOtherVmlPicturesBecomeScripts) {
  const auto document = DataFile("vml_picture.htm");
  Annotate(document);
  const DomNode cover = Command(document, "F:b:Library:Book::cover:GSA:");
  ASSERT_TRUE(cover);
  const auto parts = cover.childNodes();
  ASSERT_EQ(parts.length(), 3u);
  EXPECT_EQ(parts.item(1).nodeName(), "v:shape");
  EXPECT_EQ(parts.item(2).nodeName(), "img");

  const auto scripts = document->selectNodes("//SCRIPT");
  ASSERT_EQ(scripts.length(), 1u);
  EXPECT_EQ(scripts.item(0).previousSibling().nodeName(), "v:shape");
  EXPECT_EQ(scripts.item(0).firstChild().nodeValue(),
            "\rdocument.write(\"<![if !vml]><img width=40 height=40 src=shelf_files/image004.gif "
            "v:shapes=_x0000_i1026/><![endif]>\")\r// ");
  EXPECT_EQ(Count(document, "//img"), 2u);
}

TEST_F(AnnotationTest, DisplayOutsideACommentReferenceStopsThePass) {
  const auto document = Parsed(WordPage(
      "<p><span><span/><a class=\"msocomanchor\">[DISPLAY1]</a><span/></span>&lt;Name&gt;</p>"
      "<p><v:shape/><img src=\"a.gif\"/></p>",
      {"F:b:Library:Book::title:SAA:"}));
  const QuireStatus status = Annotate(document, false);
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(
      status.Message(),
      FormatHostMessage(HostString(host_message::kDisplayMarkOutsideReference), {"[DISPLAY1]"}));
  EXPECT_EQ(Count(document, "//SCRIPT"), 0u);
}

TEST_F(AnnotationTest, DomFailureNamesTheLabelAndStillWrapsImages) {
  // An anchor straight in the section: its "reference" becomes the root element, which the
  // OPEN cannot copy beside itself.
  const auto document = Parsed(WordPage(
      "<p>a</p><p>b</p><a class=\"msocomanchor\">[OPEN1]</a><p><v:shape/><img src=\"a.gif\"/></p>",
      {"C:s:Library:Shelf:name=Fiction"}));
  const QuireStatus status = Annotate(document, false);
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(status.Message().rfind("[OPEN1]:", 0), 0u) << status.Message();
  EXPECT_EQ(Count(document, "//SCRIPT"), 1u);
}

}  // namespace
