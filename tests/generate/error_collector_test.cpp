// The error page of a request that could not produce its page.
#include "generate/error_collector.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/common/test_support.h"

namespace {

using test_support::ReadFile;

class ErrorCollectorTest : public ::testing::Test {
 protected:
  void SetUp() override { test_support::LoadSampleHostStrings(); }
  std::string path(const std::string& name) const { return folder_.Path(name); }

  test_support::TempFolder folder_{"error_page"};
  test_support::ScopedVariable home_{"VISTAFOLD_HOME", folder_.Path()};
};

TEST_F(ErrorCollectorTest, ListsTheHeadingAndEveryMessageInOrder) {
  folder_.Write("errreport.htm", "<html><body><div><p>Shipped text</p></div></body></html>");
  ErrorCollector errors("page.htm");
  errors.add("first <problem>");
  errors.add("second");
  errors.add("third");
  errors.writeErrorPage(path("pageERR.htm"));
  const std::string expected =
      "<html><body><div><p>Shipped text</p><p>Errors were found while generating page.htm</p>"
      "<p>first &lt;problem&gt;</p><p>second</p><p>third</p></div></body></html>";
  EXPECT_EQ(errors.pageText().substr(errors.pageText().find("<html>")), expected);
  EXPECT_NE(ReadFile(path("pageERR.htm")).find(expected), std::string::npos);

  // A second page of the same request starts again from the shipped page.
  errors.add("fourth");
  errors.writeErrorPage(path("pageERR.htm"));
  EXPECT_EQ(errors.pageText().find("first"), errors.pageText().rfind("first"));
}

// A shipped page that is missing or has no place for the messages does not swallow them: the
// plain page takes them, and every message is in the log at the default level whether or not a
// page is written.
TEST_F(ErrorCollectorTest, WithoutAUsableShippedPageThePlainPageAndTheLogLinesTakeTheMessages) {
  ErrorCollector errors("page.htm");
  errors.add("the template does not load");
  for (const char* shipped : {"", "<html><body><p>no list here</p></body></html>"}) {
    SCOPED_TRACE(shipped);
    if (*shipped != '\0') folder_.Write("errreport.htm", shipped);
    const std::string log =
        test_support::CapturedStderr([&] { errors.writeErrorPage(path("pageERR.htm")); });
    EXPECT_EQ(errors.pageText().rfind("<html><body><div>", 0), 0u) << errors.pageText();
    EXPECT_NE(errors.pageText().find("<p>the template does not load</p>"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(path("pageERR.htm")));
    EXPECT_NE(log.find("Critical error: Error generating page.htm: the template does not load"),
              std::string::npos)
        << log;
  }

  const std::string unwritable =
      test_support::CapturedStderr([&] { errors.writeErrorPage(path("missing/pageERR.htm")); });
  EXPECT_NE(
      unwritable.find("Critical error: Error generating page.htm: the template does not load"),
      std::string::npos)
      << unwritable;
  EXPECT_NE(unwritable.find("Cannot write the error page " + path("missing/pageERR.htm")),
            std::string::npos)
      << unwritable;
}

TEST(ErrorPagePath, PutsErrBeforeTheExtension) {
  EXPECT_EQ(ErrorCollector::errorPagePath("/data/page.htm"), "/data/pageERR.htm");
  EXPECT_EQ(ErrorCollector::errorPagePath("/data/page"), "/data/pageERR");
  EXPECT_EQ(ErrorCollector::errorPagePath("/data.d/page"), "/data.d/pageERR");
  EXPECT_EQ(ErrorCollector::errorPagePath("a.b.htm"), "a.bERR.htm");
}

}  // namespace
