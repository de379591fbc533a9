#include "agent/empty_paragraphs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr char kMarkup[] = "<![if !supportEmptyParas]>&nbsp;<![endif]>";

std::string Restored(const std::string& text) { return RestoreEmptyParagraphsInText(text); }

TEST(EmptyParagraphsTest, MarkerAttributeBecomesTheMarkupAfterItsTag) {
  EXPECT_EQ(Restored("<p class=\"a\" nbsp=\"True\">x</p>"),
            std::string("<p class=\"a\">") + kMarkup + "x</p>");
}

TEST(EmptyParagraphsTest, MarkerCommentIsReplacedByTheMarkup) {
  EXPECT_EQ(Restored("<p><!-- nbsp=\"True\"--></p>"), std::string("<p>") + kMarkup + "</p>");
}

TEST(EmptyParagraphsTest, EveryMarkerIsRestoredAndTheTextAfterTheFirstHtmlEndIsCut) {
  EXPECT_EQ(Restored("<html><p nbsp=\"True\"></p><p nbsp=\"True\"/></html>\n<html></html>"),
            std::string("<html><p>") + kMarkup + "</p><p/>" + kMarkup + "</html>");
}

TEST(EmptyParagraphsTest, TextWithoutMarkersOrHtmlEndIsUnchanged) {
  EXPECT_EQ(Restored("<p>nbsp=\"True\" &nbsp;</p>"), "<p>nbsp=\"True\" &nbsp;</p>");
  EXPECT_EQ(Restored(""), "");
}

TEST(EmptyParagraphsTest, MarkerInAnUnfinishedTagIsOnlyRemoved) {
  EXPECT_EQ(Restored("<p>a</p><p nbsp=\"True\""), "<p>a</p><p");
}

TEST(EmptyParagraphsTest, FileIsRewrittenInPlace) {
  std::string folder = (std::filesystem::temp_directory_path() / "empty_paras_XXXXXX").string();
  ASSERT_NE(mkdtemp(folder.data()), nullptr);
  const std::string path = folder + "/page.htm";
  std::ofstream(path, std::ios::binary) << "<html><p nbsp=\"True\"></p></html>tail";
  EXPECT_TRUE(RestoreEmptyParagraphs(path));
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, std::string("<html><p>") + kMarkup + "</p></html>");
  EXPECT_FALSE(RestoreEmptyParagraphs(folder + "/missing.htm"));
  EXPECT_FALSE(std::filesystem::exists(folder + "/missing.htm"));
  std::filesystem::remove_all(folder);
}

}  // namespace
