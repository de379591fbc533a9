// Hiding and showing template parts, table borders, list numbers, date fields and indentation.
#include "generate/page_formatting.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>

#include "foundation/quire_status.h"
#include "platform/dom/dom_document.h"
#include "tests/common/test_support.h"

namespace {

using platform::DomNode;

const std::string kMarker = kGenerationHiddenStyle;

class PageFormattingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::LoadSampleHostStrings(); }
  DomNode load(const std::string& xml) {
    document_ = platform::DomDocument::Create();
    EXPECT_TRUE(document_->loadXML(xml)) << xml;
    return document_->documentElement();
  }
  std::string style(const std::string& pattern) const {
    const DomNode node = document_->selectSingleNode(pattern);
    EXPECT_FALSE(node.isNull()) << pattern;
    return node.isNull() ? "<none>" : node.getAttribute("style");
  }
  bool hidden(const std::string& pattern) const {
    return style(pattern).find(kMarker) != std::string::npos;
  }

  std::shared_ptr<platform::DomDocument> document_;
};

TEST_F(PageFormattingTest, HideAndShowKeepWhatTheAuthorHid) {
  const DomNode root = load(
      "<body><p id='plain'/><p id='red' style='color:red'/>"
      "<p id='author' style='display:none;mso-hide:all'/></body>");
  for (const char* id : {"plain", "red", "author"}) {
    HideElement(root.selectSingleNode(std::string("p[@id='") + id + "']"));
  }
  EXPECT_EQ(style("//p[@id='plain']"), kMarker + ";");
  EXPECT_EQ(style("//p[@id='red']"), kMarker + ";color:red");
  EXPECT_EQ(style("//p[@id='author']"), "display:none;mso-hide:all");
  EXPECT_FALSE(IsHiddenByGeneration(root.selectSingleNode("p[@id='author']")));

  HideElement(root.selectSingleNode("p[@id='red']"));  // hiding twice adds nothing
  EXPECT_EQ(style("//p[@id='red']"), kMarker + ";color:red");
  for (const DomNode& p : root.selectNodes("p")) ShowElement(p);
  EXPECT_FALSE(root.selectSingleNode("p[@id='plain']").hasAttribute("style"));
  EXPECT_EQ(style("//p[@id='red']"), "color:red");
  EXPECT_EQ(style("//p[@id='author']"), "display:none;mso-hide:all");

  const DomNode twice = load("<p style='" + kMarker + ";color:blue;" + kMarker + "'/>");
  ShowElement(twice);
  EXPECT_EQ(twice.getAttribute("style"), "color:blue;");
}

TEST_F(PageFormattingTest, HideRegionWrapsLooseTextAndShowRegionUndoesIt) {
  const DomNode root =
      load("<div><p>lead<b>bold</b>tail</p><span QuireQuery='R:x'/><i>alone</i></div>");
  HideRegion(root);
  EXPECT_EQ(root.selectNodes("p/span").length(), 2u);  // "lead" and "tail" got spans
  for (const char* path : {"//p/span[0]", "//p/span[1]", "//b", "//span[@QuireQuery]", "//i"}) {
    EXPECT_TRUE(hidden(path)) << path;
  }
  EXPECT_EQ(root.text(), "leadboldtailalone");
  ShowRegion(root);
  EXPECT_EQ(document_->xml().find("quire_hidden"), std::string::npos) << document_->xml();
}

TEST_F(PageFormattingTest, MarkRegionHidesTextAndDisplaysAndWalksOtherCommands) {
  const DomNode limit = load(
      "<span QuireQuery='S:a'>before<span QuireQuery='F:v'><b>value</b></span>"
      "<span QuireQuery='R:r'><b>inner</b>tail</span><i>plain</i></span>");
  MarkRegion(limit, true);
  EXPECT_TRUE(hidden("/span/span[not(@QuireQuery)]"));  // "before", wrapped
  EXPECT_TRUE(hidden("//span[@QuireQuery='F:v']"));
  EXPECT_FALSE(hidden("//span[@QuireQuery='F:v']/b"));  // the DISPLAY hides its content
  EXPECT_FALSE(hidden("//span[@QuireQuery='R:r']"));    // walked, not hidden itself
  EXPECT_TRUE(hidden("//span[@QuireQuery='R:r']/b"));
  EXPECT_TRUE(hidden("//span[@QuireQuery='R:r']/span"));  // "tail", wrapped
  EXPECT_TRUE(hidden("//i"));
  EXPECT_FALSE(IsHiddenByGeneration(limit));

  MarkRegion(limit, false);
  EXPECT_EQ(document_->xml().find("quire_hidden"), std::string::npos) << document_->xml();
  EXPECT_EQ(limit.text(), "beforevalueinnertailplain");
}

TEST_F(PageFormattingTest, AHiddenRowCarriesTheMarkerOnTheRowAndEachCell) {
  const DomNode table = load(
      "<table><tr><td style='width:1in'><p>a</p></td><th><p>b</p></th></tr>"
      "<tr id='other'><td><p>c</p></td></tr></table>");
  MarkRegion(table.selectSingleNode("tr"), true);
  EXPECT_TRUE(hidden("//tr[0]"));
  EXPECT_EQ(style("//tr[0]/td"), kMarker + ";width:1in");
  EXPECT_TRUE(hidden("//tr[0]/th"));
  EXPECT_FALSE(hidden("//tr[@id='other']/td"));

  HideRegion(table);  // rows found inside a region are hidden the same way
  EXPECT_TRUE(hidden("//tr[@id='other']"));
  EXPECT_TRUE(hidden("//tr[@id='other']/td"));
}

TEST_F(PageFormattingTest, TheBottomBorderMovesToTheLastRowWritten) {
  const DomNode table = load(
      "<table><tr><td style='border-bottom:solid .5pt;color:red'/>"
      "<td style='border-bottom:solid .5pt;width:2in'/><td/></tr>"
      "<tr id='template'><td style='border:solid;border-bottom:double 1.5pt;"
      "mso-border-bottom-alt:solid .5pt'/><td style='border-top:none'/><td/></tr></table>");
  const std::vector<std::string> borders =
      RowBottomBorders(table.selectSingleNode("tr[@id='template']"));
  ASSERT_EQ(borders, (std::vector<std::string>{"border-bottom:double 1.5pt", ""}));
  EXPECT_FALSE(ApplyRowBottomBorders(table, borders));
  // XSL indexes count from 0.
  EXPECT_EQ(style("//tr[0]/td[0]"), "border-bottom:double 1.5pt;color:red");
  EXPECT_EQ(style("//tr[0]/td[1]"), "width:2in");
  EXPECT_EQ(style("//tr[1]/td[0]"),
            "border:solid;border-bottom:double 1.5pt;mso-border-bottom-alt:solid .5pt");
}

TEST_F(PageFormattingTest, ABorderlessTableGivesItsCopiesBorderNone) {
  const DomNode table = load(
      "<table><tr><td style='border:none;border-bottom:solid .5pt'/><td style='width:1in'/>"
      "<td/></tr></table>");
  const DomNode row = table.selectSingleNode("tr");
  EXPECT_TRUE(ApplyRowBottomBorders(table, RowBottomBorders(row)));
  MarkRowBorderless(row);
  MarkRowBorderless(table);  // rows below a container are reached too, once
  EXPECT_EQ(style("//td[0]"), "border:none;border-bottom:solid .5pt");
  EXPECT_EQ(style("//td[1]"), "border:none;width:1in");
  EXPECT_FALSE(table.selectSingleNode("tr/td[2]").hasAttribute("style"));
}

TEST_F(PageFormattingTest, ListsCountOnAcrossCopies) {
  const auto copy = [](const std::string& inner, const std::string& style = "") {
    return "<span QuireQuery='R:r'" + (style.empty() ? "" : " style='" + style + "'") + ">" +
           inner + "</span>";
  };
  const std::string list = "<ol start='1' type='1'><li>x</li></ol>";
  const DomNode body =
      load("<body><span QuireQuery='M:m'>" + copy("<ol start='4' type='1'><li>x</li></ol>") +
           copy(list) + "<p/>" + copy("<span QuireQuery='F:f'>" + list + "</span>") +
           copy(list, kMarker) + copy(list) + "</span></body>");
  RenumberLists(body);
  std::string starts;
  for (const DomNode& ol : body.selectNodes(".//ol")) starts += ol.getAttribute("start") + ",";
  EXPECT_EQ(starts, "4,5,6,1,7,");  // the hidden template copy takes no number
}

TEST_F(PageFormattingTest, DatePicturesTranslateToTimeFormats) {
  EXPECT_EQ(DatePictureFormat("dddd, MMMM dd, yyyy", 7, 3), "%A, %B %d, %Y");
  EXPECT_EQ(DatePictureFormat("d.M.yy", 7, 3), "3.7.%y");
  EXPECT_EQ(DatePictureFormat("hh", 7, 3), "%I%I");
  EXPECT_EQ(DatePictureFormat("h:mm am/pm", 12, 31), "%I:%M %p");
  EXPECT_EQ(DatePictureFormat("MMM d%", 12, 31), "%b 31%%");
  EXPECT_EQ(DatePictureFormat("", 1, 1), "");
}

std::string Today(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

TEST_F(PageFormattingTest, DateFieldsTakeTheDateWhereWordShowsTheResult) {
  const std::string field = "<!-- DATE \\@ &quot;d.M.yyyy&quot; -->";
  const std::string odd =
      "<p id='odd'><!-- DATE no picture -->a<!-- TIME; no quote -->b<!--DATE;&quot;-->c</p>";
  const DomNode body = load("<body><p id='text'>" + field + "old</p><p id='element'>" + field +
                            "<span>old</span></p><p id='parent'>x" + field + "</p>" + odd +
                            "<p id='long'><!-- TIME \\@ &quot;" + std::string(1000, 'y') +
                            "&quot; --><b/></p>" + field + "</body>");
  QuireStatus status(1, "stale");
  ConvertDateFields(body, status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  const std::string expected = Today("%d.%m.%Y");
  const std::string date = std::to_string(std::stoi(expected.substr(0, 2))) + "." +
                           std::to_string(std::stoi(expected.substr(3, 2))) + expected.substr(5);
  EXPECT_EQ(body.selectSingleNode("p[@id='text']").text(), date);
  EXPECT_EQ(body.selectSingleNode("p[@id='element']/span").text(), date);
  EXPECT_EQ(body.selectSingleNode("p[@id='parent']").text(), date);
  EXPECT_TRUE(body.selectSingleNode("p[@id='parent']/comment()").isNull());
  // Comments without a picture are no fields.
  EXPECT_EQ(body.selectNodes("p[@id='odd']/comment()").length(), 3u);
  EXPECT_EQ(body.selectSingleNode("p[@id='odd']").text(), "abc");
  // A field standing in the body itself does not take the page's place.
  EXPECT_EQ(body.selectNodes("p").length(), 5u);
  EXPECT_EQ(body.lastChild().nodeValue(), date);
  std::string years;  // "yyyy" is taken before "yy"
  for (int i = 0; i < 250; ++i) years += Today("%Y");
  EXPECT_EQ(body.selectSingleNode("p[@id='long']/b").text(), years);
}

TEST_F(PageFormattingTest, IndentationAddsOneTabIntervalToEachParagraph) {
  const double tab = TabInterval(load("<body/>"));
  EXPECT_DOUBLE_EQ(tab, 0.5);
  EXPECT_DOUBLE_EQ(TabInterval(load("<body style='tab-interval:.25in'/>")), 0.25);
  EXPECT_DOUBLE_EQ(TabInterval(load("<body style='mso-x:1;tab-interval:36.0pt'/>")), 0.5);
  EXPECT_DOUBLE_EQ(TabInterval(load("<body style='tab-interval:wide'/>")), 0.5);

  const DomNode copy = load(
      "<span QuireQuery='R:r'><p id='none'/><p id='set' style='margin-left:.25in;color:red'/>"
      "<p id='other' style='mso-para-margin-left:1in'/><div><h2 id='head'/><h0/></div>"
      "<p id='empty' style=''/><p id='blank' style=' '/><p id='closed' style='color:red;'/>"
      "</span>");
  IndentLevel(copy, tab);
  EXPECT_FALSE(copy.hasAttribute("style"));
  EXPECT_EQ(copy.selectSingleNode("p[@id='none']").getAttribute("style"), "margin-left:0.50in");
  EXPECT_EQ(copy.selectSingleNode("p[@id='set']").getAttribute("style"),
            "margin-left:0.75in;color:red");
  EXPECT_EQ(copy.selectSingleNode("p[@id='other']").getAttribute("style"),
            "mso-para-margin-left:1in;margin-left:0.50in");
  EXPECT_EQ(copy.selectSingleNode("div/h2").getAttribute("style"), "margin-left:0.50in");
  // Only an empty style counts as none; any other gets ";" and the margin appended as it is.
  EXPECT_EQ(copy.selectSingleNode("p[@id='empty']").getAttribute("style"), "margin-left:0.50in");
  EXPECT_EQ(copy.selectSingleNode("p[@id='blank']").getAttribute("style"), " ;margin-left:0.50in");
  EXPECT_EQ(copy.selectSingleNode("p[@id='closed']").getAttribute("style"),
            "color:red;;margin-left:0.50in");
  EXPECT_FALSE(copy.selectSingleNode("div").hasAttribute("style"));
  EXPECT_FALSE(copy.selectSingleNode("div/h0").hasAttribute("style"));
}

}  // namespace
