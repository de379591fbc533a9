// Completing pages for the portal: script blocks, portal form, paths, outline entries, escaping.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/outline_entries.h"
#include "generate/script_escaping.h"
#include "generate/web_page_generator.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

namespace {

using platform::DomNode;
using Texts = std::vector<std::string>;
using Clock = std::chrono::system_clock;

// 9 March 2007 08:05:03 UTC and the given microseconds.
Clock::time_point March2007(long long microseconds) {
  return Clock::time_point(std::chrono::seconds(1173427503)) +
         std::chrono::microseconds(microseconds);
}

std::shared_ptr<platform::DomDocument> EmptyOutline() {
  auto outline = platform::DomDocument::Create();
  EXPECT_TRUE(outline->loadXML("<outline></outline>"));
  return outline;
}

// The contexts of an entry as "name=value", in order.
Texts Contexts(const DomNode& entry) {
  Texts contexts;
  for (const DomNode& context : entry.selectNodes("context")) {
    contexts.push_back(context.getAttribute("name") + "=" + context.getAttribute("value"));
  }
  return contexts;
}

TEST(OutlineIdTest, AnIdGivenOutAlreadyGivesWayToTheNextFreeNumber) {
  auto outline = EmptyOutline();
  OutlineIds ids;
  const auto append = [&](long long microseconds) {
    return AppendOutlineEntry(*outline, ids, {"a", "a", "", "", "", ""}, March2007(microseconds));
  };
  EXPECT_EQ(append(45'100), "20073985345");
  EXPECT_EQ(append(45'900), "20073985346");  // the same millisecond
  EXPECT_EQ(append(46'000), "20073985347");  // its own digits were given out just before
  EXPECT_EQ(append(48'000), "20073985348");
  EXPECT_EQ(OutlineIds().next(March2007(45'000)), "20073985345");  // another outline
  Texts written;
  for (const DomNode& entry : outline->documentElement().selectNodes("outline")) {
    written.push_back(entry.getAttribute("id"));
  }
  EXPECT_EQ(written, (Texts{"20073985345", "20073985346", "20073985347", "20073985348"}));
}

TEST(OutlineEntryTest, WithoutUrlFrameOrImageIsAPortalEntryWithTheDefaults) {
  auto outline = EmptyOutline();
  OutlineIds ids;
  AppendOutlineEntry(*outline, ids,
                     {"Plan\\x20A", "FileSys:File:N=p\\x2Ehtm", "folder%2Ehtm", "", "", ""},
                     March2007(45'000));
  const DomNode entry = outline->documentElement().selectSingleNode("outline");
  ASSERT_FALSE(entry.isNull());
  EXPECT_EQ(entry.getAttribute("text"), "Plan A");
  EXPECT_EQ(entry.getAttribute("id"), "20073985345");
  EXPECT_EQ(entry.getAttribute("className"), "com.norvane.portal.tree.portalTreeControlUserObject");
  EXPECT_EQ(Contexts(entry), (Texts{"artifactID=FileSys:File:N=p.htm", "template=folder.htm",
                                    "nodeType=portal", "frame=main", "image=#!--!image#"}));
}

TEST(ScriptEscapingTest, EscapesEveryCharacterThatEndsOrBreaksTheArgument) {
  EXPECT_EQ(EscapeScriptArgument("a\\b'c\"d<e>f%g\r\nh\ti"),
            "a\\x5Cb\\x27c\\x22d\\x3Ce\\x3Ef\\x25g\\x0D\\x0Ah\\x09i");
}

class PortalPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::LoadSampleHostStrings(); }
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("debugLevel", "3");  // warnings reach the log
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  // Generates a page (without commands) from `html` saved as page.htm in the folder.
  void Generate(const std::string& html) {
    document = platform::DomDocument::Create();
    ASSERT_TRUE(document->loadXML(html)) << document->parseError().reason;
    ErrorCollector errors("page.htm");
    WebPageGenerator generator(document, folder.Path("page.htm"), errors);
    const QuireStatus status = generator.generatePage("", "http://portal", "template", outline);
    ASSERT_TRUE(status.IsOk()) << status.Text();
  }
  void GenerateBody(const std::string& body) {
    Generate("<html><head><title>t</title></head><body>" + body + "</body></html>");
  }
  DomNode Root() const { return document->documentElement(); }
  // The outline entries handed back, as a document.
  std::shared_ptr<platform::DomDocument> Outline() const {
    auto entries = platform::DomDocument::Create();
    EXPECT_TRUE(entries->loadXML("<outline>" + outline.value_or("") + "</outline>"));
    return entries;
  }
  DomNode Entry(std::size_t index) const {
    return Outline()->documentElement().selectNodes("outline").item(index);
  }
  std::string Href(const std::string& id) const {
    return Root().selectSingleNode(".//a[@id='" + id + "']").getAttribute("href");
  }

  test_support::TempFolder folder{"portal"};
  std::shared_ptr<platform::DomDocument> document;
  std::optional<std::string> outline;
};

TEST_F(PortalPageTest, AddsTheScriptBlocksAndThePortalFormFirstInTheBody) {
  GenerateBody("<p>text</p>");
  const platform::DomNodeList scripts = Root().selectNodes("head/script");
  ASSERT_EQ(scripts.length(), 2u);
  EXPECT_EQ(scripts.item(1).getAttribute("src"), "page.js");

  const DomNode form = Root().selectSingleNode("body").firstChild();
  EXPECT_EQ(form.nodeName(), "form");
  EXPECT_EQ(form.getAttribute("name"), "portal");
  Texts inputs;
  for (const DomNode& input : form.childNodes()) {
    inputs.push_back(input.nodeName() + ":" + input.getAttribute("type") + ":" +
                     input.getAttribute("name") + "=" + input.getAttribute("value"));
  }
  EXPECT_EQ(inputs, (Texts{"input:hidden:operation=same", "input:hidden:templateID=",
                           "input:hidden:artifactID=", "input:hidden:projectID="}));
  EXPECT_FALSE(outline.has_value());  // no portal link, no entry
}

TEST_F(PortalPageTest, KeepsAnExistingPortalFormAndScriptBlock) {
  Generate(
      "<html><head><script language=\"JavaScript\">var kept;</script></head><body><p>x</p>"
      "<div><form name=\"portal\" method=\"POST\"><input name=\"mine\"/></form></div>"
      "</body></html>");
  EXPECT_EQ(Root().selectNodes(".//form").length(), 1u);
  ASSERT_EQ(Root().selectNodes("head/script").length(), 2u);
  EXPECT_EQ(Root().selectSingleNode("head/script").text(), "var kept;");
}

TEST_F(PortalPageTest, PathsIntoTheCompanionFolderBecomeRelativeToThePage) {
  const std::string folderPath = folder.Path("page_files");
  GenerateBody("<img id=\"absolute\" src=\"" + folderPath + "/image001.gif\"/>" +
               "<img id=\"backslash\" src=\"page_files\\image002.png\"/>" +
               "<img id=\"elsewhere\" src=\"" + folder.Path("other_files") + "/a.gif\"/>" +
               "<img id=\"folderItself\" src=\"" + folderPath + "\"/>");
  const auto source = [&](const std::string& id) {
    return Root().selectSingleNode(".//*[@id='" + id + "']").getAttribute("src");
  };
  EXPECT_EQ(source("absolute"), "./page_files/image001.gif");
  EXPECT_EQ(source("backslash"), "./page_files/image002.png");
  EXPECT_EQ(source("elsewhere"), folder.Path("other_files") + "/a.gif");
  EXPECT_EQ(source("folderItself"), folderPath);
}

TEST_F(PortalPageTest, GetPageLinksBecomePortalEntriesWithTheirCallRewritten) {
  GenerateBody(
      "<p><a id=\"plan\" href=\"javascript:getPage('FileSys:File:FullName=\\x2Ft\\x2Fplan.htm',"
      "'folder','','1','Plan','','1')\">Plan</a></p>"
      "<a id=\"bare\" href=\"JavaScript:GetPage('Doc:Note:N=n1')\"></a>");
  EXPECT_EQ(
      Href("plan"),
      "javascript:getPage('FileSys:File:FullName=/t/plan.htm','folder','','1','Plan','','1')");
  EXPECT_EQ(Href("bare"), "javascript:getPage('Doc:Note:N=n1')");

  ASSERT_EQ(Outline()->documentElement().selectNodes("outline").length(), 2u);
  // A link without text is labelled with its target.
  EXPECT_EQ(Entry(1).getAttribute("text"), "Doc:Note:N=n1");
}

TEST_F(PortalPageTest, EveryEntryOfAPageHasItsOwnId) {
  // Registered one after the other, many of them within the same millisecond.
  std::string links;
  for (int i = 0; i < 50; ++i) {
    links += "<a href=\"javascript:getPage('Doc:Note:N=n" + std::to_string(i) + "')\">n</a>";
  }
  GenerateBody(links);
  const platform::DomNodeList entries = Outline()->documentElement().selectNodes("outline");
  ASSERT_EQ(entries.length(), 50u);
  std::set<std::string> ids;
  for (const DomNode& entry : entries) ids.insert(entry.getAttribute("id"));
  EXPECT_EQ(ids.size(), 50u);
}

TEST_F(PortalPageTest, TargetTextsWithQuotesStayInsideTheScriptArgument) {
  // A quote, a double quote, "<", a backslash and a line break, encoded in the target.
  GenerateBody(
      "<a id=\"evil\" href=\"javascript:getPage('Doc:Note:N=a\\x27);alert(1);//\\x22\\x3Cb"
      "\\x5C\\x0Ae','t','','0','','','0')\">n</a>");
  EXPECT_EQ(Href("evil"),
            "javascript:getPage('Doc:Note:N=a\\x27);alert(1);//"
            "\\x22\\x3Cb\\x5C\\x0Ae','t','','0','','','0')");
  EXPECT_EQ(Contexts(Entry(0))[0],
            "artifactID=Doc:Note:N=a\\x27);alert(1);//\\x22\\x3Cb\\x5C\\x0Ae");
}

TEST_F(PortalPageTest, GetUrlLinksBecomeStaticEntriesCalledThroughTheirId) {
  GenerateBody(
      "<a id=\"doc\" href=\"javascript:getURL('c:\\docs\\a.htm')\">Doc</a>"
      "<a id=\"web\" href=\"javascript:getURL('http://x/y%3Fz')\"></a>");
  ASSERT_EQ(Outline()->documentElement().selectNodes("outline").length(), 2u);
  const DomNode doc = Entry(0);
  EXPECT_EQ(Contexts(doc)[0], "url=file://c:/docs/a.htm");
  EXPECT_EQ(Href("doc"), "javascript:getProxy('" + doc.getAttribute("id") + "')");
  EXPECT_EQ(Root().selectSingleNode(".//a[@id='doc']").getAttribute("target"), "_self");
  EXPECT_EQ(Contexts(Entry(1))[0], "url=http://x/y?z");
}

TEST_F(PortalPageTest, ScriptUrlsInGetUrlLinksAreDroppedWithoutAnEntry) {
  const std::string log = test_support::CapturedStderr([&] {
    GenerateBody(
        "<a id=\"js\" href=\"javascript:getURL(' JavaScript:alert(1)')\">x</a>"
        "<a id=\"encoded\" href=\"javascript:getURL('vbscript%3Amsgbox')\">y</a>");
  });
  EXPECT_FALSE(Root().selectSingleNode(".//a[@id='js']").hasAttribute("href"));
  EXPECT_FALSE(Root().selectSingleNode(".//a[@id='encoded']").hasAttribute("href"));
  EXPECT_FALSE(outline.has_value());
  EXPECT_NE(log.find("Script URL dropped"), std::string::npos) << log;
}

TEST_F(PortalPageTest, MalformedPortalCallsAreLeftAsWritten) {
  GenerateBody(
      "<a id=\"noParen\" href=\"javascript:getPage\">a</a>"
      "<a id=\"open\" href=\"javascript:getPage('never closed\">b</a>");
  EXPECT_EQ(Href("noParen"), "javascript:getPage");
  EXPECT_EQ(Href("open"), "javascript:getPage('never closed");
  EXPECT_FALSE(outline.has_value());
}

}  // namespace
