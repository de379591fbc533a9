// The error page of a request that could not produce its page.
#include "generate/error_collector.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/resource_module.h"
#include "tests/common/test_support.h"

namespace {

class ErrorCollectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform::HostResources().Load(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc",
                                   error);
    folder_ =
        std::filesystem::temp_directory_path() / ("error_page_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
    setenv("VISTAFOLD_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("VISTAFOLD_HOME");
    std::filesystem::remove_all(folder_);
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  std::filesystem::path folder_;
};

TEST_F(ErrorCollectorTest, ListsTheHeadingAndEveryMessageInOrder) {
  std::ofstream(folder_ / "errreport.htm")
      << "<html><body><div><p>Shipped text</p></div></body></html>";
  ErrorCollector errors("page.htm");
  errors.add("first <problem>");
  errors.add("second");
  errors.add("third");
  errors.writeErrorPage(path("pageERR.htm"));
  const std::string expected =
      "<html><body><div><p>Shipped text</p><p>Errors were found while generating page.htm</p>"
      "<p>first &lt;problem&gt;</p><p>second</p><p>third</p></div></body></html>";
  EXPECT_EQ(errors.pageText().substr(errors.pageText().find("<html>")), expected);
  std::ifstream saved(path("pageERR.htm"));
  const std::string file((std::istreambuf_iterator<char>(saved)), {});
  EXPECT_NE(file.find(expected), std::string::npos);

  // A second page of the same request starts again from the shipped page.
  errors.add("fourth");
  errors.writeErrorPage(path("pageERR.htm"));
  EXPECT_EQ(errors.pageText().find("first"), errors.pageText().rfind("first"));
}

TEST_F(ErrorCollectorTest, WithoutTheShippedPageTheMessagesStillReachAPage) {
  ErrorCollector errors("page.htm");
  errors.add("the template does not load");
  errors.writeErrorPage(path("pageERR.htm"));
  EXPECT_NE(errors.pageText().find("<p>the template does not load</p>"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "pageERR.htm"));
}

// A shipped page with no place for the messages does not swallow them: the plain page takes them,
// and every message is in the log at the default level whether or not a page is written.
TEST_F(ErrorCollectorTest, AShippedPageWithoutBodyDivGivesThePlainPageAndTheLogLines) {
  std::ofstream(folder_ / "errreport.htm") << "<html><body><p>no list here</p></body></html>";
  ErrorCollector errors("page.htm");
  errors.add("the template does not load");
  const std::string log =
      test_support::CapturedStderr([&] { errors.writeErrorPage(path("pageERR.htm")); });
  EXPECT_EQ(errors.pageText().rfind("<html><body><div>", 0), 0u) << errors.pageText();
  EXPECT_NE(errors.pageText().find("<p>the template does not load</p>"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "pageERR.htm"));
  EXPECT_NE(log.find("Critical error: Error generating page.htm: the template does not load"),
            std::string::npos)
      << log;

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
