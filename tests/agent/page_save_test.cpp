// A page that cannot be saved fails its request loudly, and text from the file system or a data
// file that is not UTF-8 never does: both through the library's entry points, generated at once
// and through the request queue, with templates in more than one character set.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agent/generation_driver.h"
#include "agent/template_conversion.h"
#include "document_request.h"
#include "foundation/quire_status.h"
#include "platform/dom/dom_document.h"
#include "platform/file_io.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;

// The timeout of each mode: 0 generates at once; the portal's normal mode queues.
class PageSave : public test_support::DocumentRequestTest,
                 public testing::WithParamInterface<const char*> {
 protected:
  PageSave() { timeout_ = GetParam(); }
  void TearDown() override {
    platform::SetWriteSpaceForTesting(-1);
    DocumentRequestTest::TearDown();
  }

  // The fixture template copied beside the test's files and converted to XML in place, as the
  // first request for it leaves it.
  fs::path ConvertedTemplate(const fs::path& fixture, const std::string& name) {
    const fs::path document = root_ / name;
    fs::copy_file(fixture, document);
    QuireStatus status;
    EXPECT_TRUE(ConvertTemplateToXml(document.string(), status, true)) << status.Message();
    return document;
  }
};

TEST_P(PageSave, AFullDiskFailsTheRequestWithTheReasonAtTheDefaultLevel) {
  for (const char* fixture : {"charsets/utf8_bom.htm", "word/word_filtered.htm"}) {
    SCOPED_TRACE(fixture);
    const fs::path document =
        ConvertedTemplate(fs::path(XMLAGENT_TEST_DATA) / fixture, fs::path(fixture).filename());
    const std::string before = ReadFile(document);
    platform::SetWriteSpaceForTesting(0);
    EXPECT_EQ(GenerateDocument(document), 0) << log_;
    platform::SetWriteSpaceForTesting(-1);
    EXPECT_EQ(ReadFile(document), before) << "the document is left whole";
    EXPECT_NE(log_.find("Critical error: Error generating " + document.string() +
                        ": Cannot save the generated page " + document.string() +
                        ": No space left on device"),
              std::string::npos)
        << log_;
    EXPECT_EQ(log_.find("generated in"), std::string::npos) << "not saved, not generated: " << log_;
  }
}

// A folder that the process may not write: the same failure, and Output.txt (elsewhere) is
// written. Root may write any folder, so the case needs an ordinary user.
TEST_P(PageSave, AFolderWithoutWritePermissionFailsTheRequest) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write a folder without write permission";
  fs::create_directory(root_ / "locked");
  const fs::path document =
      ConvertedTemplate(fs::path(XMLAGENT_TEST_DATA) / "charsets/html5_quoted.htm", "locked/p.htm");
  fs::permissions(root_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const int outcome = GenerateDocument(document);
  fs::permissions(root_ / "locked", fs::perms::owner_all);
  EXPECT_EQ(outcome, 0);
  EXPECT_NE(
      log_.find("Cannot save the generated page " + document.string() + ": Permission denied"),
      std::string::npos)
      << log_;
  EXPECT_TRUE(fs::exists(user_ / "generated" / "Output.txt"));
}

// A file name in Latin-1 and a record file of binary bytes reach the page converted: the page is
// generated and saved, in its template's code page (windows-1252 and UTF-8 here).
TEST_P(PageSave, NamesAndRecordsThatAreNotUtf8AreConverted) {
  data_ = root_ / "caf\xE9";
  fs::create_directories(data_);
  WriteFile(data_ / "r\xE9sum\xE9.txt", "text");
  WriteFile(data_ / "team.csv", std::string("#FIELD_DELIMITER ,\nk\x01,\xFF\0z,x\n", 23));
  const struct {
    const char* fixture;
    std::vector<std::string> shown;
  } cases[] = {
      {"../../golden/demo_folder/template.htm", {"caf\xE9", "r\xE9sum\xE9", "k&#65533;", "\xFF"}},
      {"charsets/utf8_bom.htm", {"caf\xC3\xA9</span>"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    const fs::path document = root_ / "page.htm";
    fs::copy_file(fs::path(XMLAGENT_TEST_DATA) / c.fixture, document,
                  fs::copy_options::overwrite_existing);
    ASSERT_EQ(GenerateDocument(document), 1) << ReadFile(root_ / "pageERR.htm") << log_;
    const std::string page = ReadFile(document);
    for (const std::string& shown : c.shown) {
      EXPECT_NE(page.find(shown), std::string::npos) << shown << " in " << page;
    }
    EXPECT_EQ(page.find("&#01;"), std::string::npos);
  }
}

// A page far larger than the pieces it is encoded and written in (windows-1252: the euro sign is
// one byte, a Chinese character a reference), wherever the pieces were cut.
TEST_P(PageSave, ALargePageIsSavedWholeOrNotAtAll) {
  std::string html =
      ReadFile(fs::path(XMLAGENT_TEST_DATA) / "../../golden/demo_folder/template.htm");
  const std::string paragraph = "<p class=MsoNormal>caf\xE9 \x80 &#20013; 1&amp;2</p>\n";
  const int paragraphs = 20000;  // about 900 KB
  std::string block;
  for (int i = 0; i < paragraphs; ++i) block += paragraph;
  html.insert(html.find("</body>"), block);
  const fs::path document = root_ / "large.htm";
  WriteFile(document, html);
  // The first request converts the template in place; the page replaces it after that.
  ASSERT_EQ(GenerateDocument(document), 1) << log_;
  const std::string before = ReadFile(document);
  EXPECT_EQ(test_support::Count(before, "caf\xE9 \x80 &#20013; 1&amp;2</p>"),
            static_cast<size_t>(paragraphs));

  platform::SetWriteSpaceForTesting(static_cast<long long>(before.size() / 2));
  EXPECT_EQ(GenerateDocument(document), 0) << log_;
  platform::SetWriteSpaceForTesting(-1);
  EXPECT_EQ(ReadFile(document), before) << "the document is left whole";
  for (const auto& entry : fs::directory_iterator(root_)) {
    EXPECT_EQ(entry.path().filename().string().find(".~"), std::string::npos) << entry.path();
  }
  EXPECT_NE(log_.find("No space left on device"), std::string::npos) << log_;
}

// The error page of a page that cannot be saved keeps the generation's own errors before the
// reason (a folder stands in the document's place here).
TEST(SaveGeneratedPage, TheErrorPageListsTheGenerationsErrorsThenTheReason) {
  test_support::TempFolder folder("page_save");
  const std::string document = folder.MakeFolder("page.htm");
  std::string errorPage;
  bool saved = true;
  const std::string log = test_support::CapturedStderr(
      [&] { saved = SaveGeneratedPage(document, "<html/>", {"DISPLAY failed"}, errorPage); });
  EXPECT_FALSE(saved);
  const size_t earlier = errorPage.find("<p>DISPLAY failed</p>");
  const size_t reason =
      errorPage.find("<p>Cannot save the generated page " + document + ": Is a directory</p>");
  ASSERT_NE(earlier, std::string::npos) << errorPage;
  EXPECT_GT(reason, earlier) << errorPage;
  EXPECT_NE(ReadFile(folder.Path("pageERR.htm")).find("DISPLAY failed"), std::string::npos);
  EXPECT_NE(log.find("Critical error: Error generating " + document + ": Cannot save"),
            std::string::npos)
      << log;
}

INSTANTIATE_TEST_SUITE_P(Modes, PageSave, testing::Values("0", "20000"), test_support::ModeName);

}  // namespace
