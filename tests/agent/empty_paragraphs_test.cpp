#include "agent/empty_paragraphs.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

const std::string kMarkup = "<![if !supportEmptyParas]>&nbsp;<![endif]>";

TEST(EmptyParagraphsTest, MarkersBecomeTheMarkupAndTextAfterTheFirstHtmlEndIsCut) {
  const struct {
    const char* name;
    std::string text, expected;
  } cases[] = {
      {"attribute: markup after its tag", "<p class=\"a\" nbsp=\"True\">x</p>",
       "<p class=\"a\">" + kMarkup + "x</p>"},
      {"comment replaced", "<p><!-- nbsp=\"True\"--></p>", "<p>" + kMarkup + "</p>"},
      {"every marker, cut after </html>",
       "<html><p nbsp=\"True\"></p><p nbsp=\"True\"/></html>\n<html></html>",
       "<html><p>" + kMarkup + "</p><p/>" + kMarkup + "</html>"},
      {"no marker, no </html>", "<p>nbsp=\"True\" &nbsp;</p>", "<p>nbsp=\"True\" &nbsp;</p>"},
      {"unfinished tag: marker only removed", "<p>a</p><p nbsp=\"True\"", "<p>a</p><p"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RestoreEmptyParagraphsInText(c.text), c.expected);
  }
}

TEST(EmptyParagraphsTest, FileIsRewrittenInPlaceAndAMissingOneIsNotMade) {
  test_support::TempFolder folder;
  const std::string path = folder.Write("page.htm", "<html><p nbsp=\"True\"></p></html>tail");
  EXPECT_TRUE(RestoreEmptyParagraphs(path));
  EXPECT_EQ(test_support::ReadFile(path), "<html><p>" + kMarkup + "</p></html>");
  EXPECT_FALSE(RestoreEmptyParagraphs(folder.Path("missing.htm")));
  EXPECT_FALSE(std::filesystem::exists(folder.Path("missing.htm")));
}

}  // namespace
