// Outline entries, their ids and the escaping of script arguments, and the script URLs that page
// completion drops; what completed pages look like is in tests/golden.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
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

TEST(OutlineIdTest, EntriesWithinTheSameMillisecondShareTheId) {
  auto outline = EmptyOutline();
  const std::string first =
      AppendOutlineEntry(*outline, {"a", "a", "", "", "", ""}, March2007(45'100));
  const std::string second =
      AppendOutlineEntry(*outline, {"b", "b", "", "", "", ""}, March2007(45'900));
  EXPECT_EQ(first, second);
  EXPECT_NE(OutlineIdAt(March2007(46'000)), first);
}

TEST(OutlineEntryTest, WithoutUrlFrameOrImageIsAPortalEntryWithTheDefaults) {
  auto outline = EmptyOutline();
  AppendOutlineEntry(*outline,
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

  test_support::TempFolder folder{"portal"};
  std::shared_ptr<platform::DomDocument> document;
  std::optional<std::string> outline;
};

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
