// Outline entries, their ids and the escaping of script arguments, and the script URLs that page
// completion drops; what completed pages look like is in tests/golden.
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
#include "generation_fixture.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"

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

class PortalPageTest : public test_support::GenerationFixture<> {
 protected:
  // Generates a page (without commands) with `body`, saved as page.htm in the folder.
  void GenerateBody(const std::string& body) {
    document = platform::DomDocument::Create();
    ASSERT_TRUE(
        document->loadXML("<html><head><title>t</title></head><body>" + body + "</body></html>"));
    ErrorCollector errors("page.htm");
    WebPageGenerator generator(document, folder.Path("page.htm"), errors);
    const QuireStatus status = generator.generatePage("", "http://portal", "template", outline);
    ASSERT_TRUE(status.IsOk()) << status.Text();
  }
  DomNode Root() const { return document->documentElement(); }
  std::shared_ptr<platform::DomDocument> Outline() const {
    auto entries = platform::DomDocument::Create();
    EXPECT_TRUE(entries->loadXML("<outline>" + outline.value_or("") + "</outline>"));
    return entries;
  }

  test_support::TempFolder folder{"portal"};
  std::shared_ptr<platform::DomDocument> document;
  std::optional<std::string> outline;
};

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

}  // namespace
