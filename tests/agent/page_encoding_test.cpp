// The page in the encoding its template declares: generated at once and through the consumer
// thread, a template in each of several code pages gives the same page in that code page, and a
// code page that the document layer cannot write back gives an error page that names it.
#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <regex>
#include <string>

#include "agent/agent_entry.h"
#include "agent/empty_paragraphs.h"
#include "document_request.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/xml_encoding.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;

// Text that each template carries in its heading: Latin, punctuation and ideographs, so that each
// single- or double-byte code page below lacks some of it and writes that part as character
// references.
const char kHeading[] = "R\xC3\xA9sum\xC3\xA9 \xE2\x80\x93 \xE8\xB3\x87\xE6\x96\x99";

// The windows-1252 bytes of the demo template as UTF-8 text.
std::string DemoTemplateAsUtf8() {
  const std::string bytes = ReadFile(XMLAGENT_SOURCE_DIR "/sample/templates/folder.htm");
  iconv_t handle = iconv_open("UTF-8", "WINDOWS-1252");
  EXPECT_NE(handle, reinterpret_cast<iconv_t>(-1));
  std::string utf8(bytes.size() * 3, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* out = utf8.data();
  size_t outLeft = utf8.size();
  EXPECT_NE(iconv(handle, &in, &inLeft, &out, &outLeft), static_cast<size_t>(-1));
  iconv_close(handle);
  utf8.resize(utf8.size() - outLeft);
  return utf8;
}

// `text` in `encoding`, characters that it lacks as character references.
std::string Encoded(const std::string& text, const std::string& encoding) {
  std::string bytes;
  std::string error;
  EXPECT_TRUE(platform::EncodeXmlText(text, encoding, bytes, error)) << error;
  return bytes;
}

// The demo template declaring `charset` in its meta tag, with kHeading in its heading, written in
// `encoding` (the declared code page unless the test says otherwise).
std::string DemoTemplateIn(const std::string& charset, const std::string& encoding) {
  std::string text = DemoTemplateAsUtf8();
  const std::string meta = "charset=windows-1252";
  const size_t at = text.find(meta);
  EXPECT_NE(at, std::string::npos);
  text.replace(at, meta.size(), "charset=" + charset);
  const size_t heading = text.find("<h1>Folder ");
  EXPECT_NE(heading, std::string::npos);
  text.insert(heading + 4, std::string(kHeading) + " ");
  return Encoded(text, encoding);
}

// The date that the template's DATE field shows: the one part of the page that depends on when it
// was generated.
std::string WithoutDates(const std::string& page) {
  static const std::regex kDate(
      "(Mon|Tues|Wednes|Thurs|Fri|Satur|Sun)day, [A-Z][a-z]+ [0-9]{2}, [0-9]{4}");
  return std::regex_replace(page, kDate, "<date>");
}

class PageEncodingTest : public test_support::DocumentRequestTest {
 protected:
  void SetUp() override {
    DocumentRequestTest::SetUp();
    fs::copy(XMLAGENT_SOURCE_DIR "/sample/data", data_, fs::copy_options::recursive);
    // Generated values in every script: the file table lists these names.
    WriteFile(data_ / "caf\xC3\xA9.txt", "x");
    WriteFile(data_ / "\xE8\xB3\x87\xE6\x96\x99.txt", "x");
  }

  // Generates the document from the template bytes through init, generate and close with this
  // timeout; gives XmlAgentLastGenerateOutcome.
  int Generate(const std::string& templateBytes, const std::string& timeout) {
    timeout_ = timeout;
    BindInitParameters();
    fs::remove(errorPage_);
    // Picture names count on from the pictures a page left behind: each run starts without any.
    fs::remove_all(root_ / "folder_files");
    WriteFile(document_, templateBytes);
    return GenerateDocument(document_);
  }

  fs::path document_ = root_ / "folder.htm", errorPage_ = root_ / "folderERR.htm";
};

// The queued page is the synchronous page plus the queued mode's empty-paragraph clean-up.
TEST_F(PageEncodingTest, QueuedPageIsTheSynchronousPageInEveryDeclaredEncoding) {
  // Shift_JIS reads byte 0x5C as the backslash, as Windows does, so the "\x2E" escapes in the
  // template's command texts match there as in the other code pages.
  for (const char* encoding : {"windows-1252", "utf-8", "Shift_JIS", "GBK"}) {
    SCOPED_TRACE(encoding);
    const std::string templateBytes = DemoTemplateIn(encoding, encoding);
    ASSERT_EQ(Generate(templateBytes, "0"), 1);
    const std::string synchronous = ReadFile(document_);
    ASSERT_EQ(Generate(templateBytes, "8000"), 1);
    const std::string queued = ReadFile(document_);

    EXPECT_EQ(WithoutDates(queued), WithoutDates(RestoreEmptyParagraphsInText(synchronous)));
    EXPECT_EQ(queued.rfind("<?xml version=\"1.0\" encoding=\"" + std::string(encoding) + "\"?>", 0),
              0u)
        << queued.substr(0, 60);
    EXPECT_NE(queued.find(Encoded(kHeading, encoding)), std::string::npos);
    // Read back as a browser reads it: decoded by its declaration, references resolved.
    std::string text;
    std::string declared;
    platform::DomParseError error;
    ASSERT_TRUE(platform::DecodeXmlBytes(queued, text, declared, error)) << error.reason;
    EXPECT_EQ(declared, encoding);
    const std::string markup = "<![if !supportEmptyParas]>&nbsp;<![endif]>";
    for (size_t at = text.find(markup); at != std::string::npos; at = text.find(markup, at)) {
      text.erase(at, markup.size());
    }
    auto page = platform::DomDocument::Create();
    ASSERT_TRUE(page->loadXML(text)) << page->parseError().reason;
    EXPECT_EQ(page->documentElement().selectSingleNode("body//h1").text().rfind(kHeading, 0), 0u);
    // What the commands that name their files through escapes show: the record list of
    // "team.csv" and the formatted text of "about.htm".
    EXPECT_NE(text.find("Ann Archer"), std::string::npos);
    EXPECT_NE(text.find("sample data"), std::string::npos);
  }
}

// A code page that the document layer reads but cannot write, and one that it cannot even read.
TEST_F(PageEncodingTest, CodePageThatCannotBeWrittenBackGivesAnErrorPageNamingIt) {
  for (const char* encoding : {"UTF-16X", "x-no-such-code-page"}) {
    for (const char* timeout : {"0", "8000"}) {
      SCOPED_TRACE(std::string(encoding) + ", timeout " + timeout);
      EXPECT_EQ(Generate(DemoTemplateIn(encoding, "utf-8"), timeout), 0);
      ASSERT_TRUE(fs::exists(errorPage_));
      EXPECT_NE(ReadFile(errorPage_).find("'" + std::string(encoding) + "'"), std::string::npos)
          << ReadFile(errorPage_);
      EXPECT_EQ(ReadFile(document_).find("<form name=\"portal\""), std::string::npos)
          << "a generated page was written";
    }
  }
}

}  // namespace
