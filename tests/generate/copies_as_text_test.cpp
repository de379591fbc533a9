// A MASTER's copies written out as text while the walk goes must make the page, the messages and
// the progress that copies built as nodes make: each template here is generated both ways over
// real folders and record files and the results compared byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/progress_sink.h"
#include "generate/web_page_generator.h"
#include "generation_fixture.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"

namespace {

using test_support::kFilesByName;
using test_support::Span;

struct PercentSink : ProgressSink {
  void report(const std::string& /*message*/, int percent) override { percents.push_back(percent); }
  std::vector<int> percents;
};

// What one generation gave.
struct Generated {
  QuireStatus status;
  std::string page;  // the bytes written out, in the page's declared encoding
  std::vector<std::string> messages;
  std::vector<int> percents;
  bool written = false;  // some copies were written as text
};

const std::string kOpenList = Span("C:d:FileSys:Directory:FullName=@LIST@");
// The records of the file bound to "f", each a paragraph with its first two fields.
const std::string kRecordList =
    Span("M:records", Span("R:r:FileSys:FileRecord:f:FileSys:File:N=Records:",
                           "<p>" + Span("F:r:FileSys:FileRecord::Field01:SAA:") + " / " +
                               Span("F:r:FileSys:FileRecord::Field02:SUA:") + "</p>"));
std::string Show(const std::string& attribute) {
  return Span("F:f:FileSys:File::" + attribute + ":SAA:", "&lt;" + attribute + "&gt;");
}
// A table MASTER: a heading row, then a row per file with its name, its text (several lines for
// some) and its records.
const std::string kTableOfFiles =
    Span("M:rows:TABLEINFO:A:1",
         "<table><tr><td style=\"border-bottom:solid .5pt\">Name</td></tr>" +
             Span(kFilesByName, "<tr><td style=\"border-top:none;border-bottom:solid 1.5pt\">" +
                                    Show("SimpleName") + "</td><td style=\"border-bottom:none\">" +
                                    Show("Text") + kRecordList + "</td></tr>") +
             "</table>");
// Paragraphs of file names with their records, outside any table; a style written over two
// lines, as Word writes long ones.
const std::string kListOfFiles =
    Span("M:files", Span(kFilesByName, "<h2 style=\"margin:0;&#13;&#10;font-size:9pt\">" +
                                           Show("SimpleName") + "</h2>" + kRecordList));

class CopiesAsTextTest : public test_support::GenerationFixture<false> {
 protected:
  void SetUp() override {
    GenerationFixture::SetUp();
    // Values with references, a control character, a Latin-1 byte and none at all.
    folder.Write("list/a.txt",
                 "alpha one\nbeta & <two> \"three\"\nsolo\n\x02ctl z\nlatin caf\xE9\n");
    folder.Write("list/caf\xC3\xA9.txt", "caf\xC3\xA9 \xE2\x82\xAC\n\xE4\xB8\xAD x\n");
    folder.Write("list/empty.txt", "");
    folder.Write("list/one.txt", "single");
  }

  Generated Generate(const std::string& body, bool asText, const std::string& declaration = "") {
    std::string html =
        declaration + "<html><head><title>t</title></head><body>" + body + "</body></html>";
    for (std::size_t at = html.find("@LIST@"); at != std::string::npos; at = html.find("@LIST@"))
      html.replace(at, 6, folder.Path("list"));
    const auto document = platform::DomDocument::Create();
    EXPECT_TRUE(document->loadXML(html)) << document->parseError().reason;
    ErrorCollector errors("page.htm");
    PercentSink sink;
    WebPageGenerator generator(document, folder.Path("page.htm"), errors, &sink);
    generator.setCopiesAsText(asText);
    std::optional<std::string> outline;
    Generated result;
    result.status = generator.generatePage("", "http://portal", "template", outline);
    result.page = document->encodedXml();
    result.messages = errors.messages();
    result.percents = sink.percents;
    result.written = HoldsRawMarkup(document->documentElement());
    return result;
  }

  static bool HoldsRawMarkup(const platform::DomNode& node) {
    for (const platform::DomNode& child : node.childNodes()) {
      if (child.nodeType() == platform::kDomProcessingInstruction &&
          child.nodeName() == platform::kRawMarkupTarget) {
        return true;
      }
      if (HoldsRawMarkup(child)) return true;
    }
    return false;
  }

  // Generates `body` both ways; the results must be the same, and `written` says whether copies
  // were to be written as text at all. A failed page is kept as the walk left it: built as
  // nodes it also holds the failing copy in part, written as text only the copies before it.
  void ExpectTheSame(const std::string& body, bool written, const std::string& declaration = "") {
    const Generated asText = Generate(body, true, declaration);
    const Generated asNodes = Generate(body, false, declaration);
    EXPECT_EQ(asText.written, written);
    EXPECT_FALSE(asNodes.written);
    EXPECT_EQ(asText.status.Kind(), asNodes.status.Kind());
    EXPECT_EQ(asText.status.Text(), asNodes.status.Text());
    if (asNodes.status.IsOk()) {
      EXPECT_EQ(asText.page, asNodes.page);
    } else {
      EXPECT_TRUE(platform::DomDocument::Create()->loadXML(asText.page)) << asText.page;
    }
    EXPECT_EQ(asText.messages, asNodes.messages);
    EXPECT_EQ(asText.percents, asNodes.percents);
  }

  test_support::TempFolder folder{"copies"};
};

TEST_F(CopiesAsTextTest, TablesAndListsOfValuesComeOutAsFromNodes) {
  ExpectTheSame(kOpenList + kTableOfFiles, true);
  ExpectTheSame(kOpenList + kListOfFiles + "<p>after</p>" + kTableOfFiles, true);
  // In a page declared in a Windows code page, characters it lacks become references.
  ExpectTheSame(kOpenList + kTableOfFiles, true,
                "<?xml version=\"1.0\" encoding=\"windows-1252\"?>");
}

TEST_F(CopiesAsTextTest, OneObjectAndNoObjectComeOutAsFromNodes) {
  const std::string onlyOne = Span("C:d:FileSys:Directory:FullName=@LIST@/../single");
  folder.Write("single/only.txt", "x y");
  std::filesystem::create_directories(folder.Path("none"));
  ExpectTheSame(onlyOne + kTableOfFiles, true);
  ExpectTheSame(Span("C:d:FileSys:Directory:FullName=@LIST@/../none") + kTableOfFiles, false);
}

TEST_F(CopiesAsTextTest, CopiesWithOtherCommandsOrLinksAreBuiltAsNodes) {
  // An OPEN or a link in the copy: the walk builds it.
  const std::string open = Span(
      "M:files", Span(kFilesByName,
                      Show("SimpleName") + Span("C:e:FileSys:Directory:FullName=@LIST@") + "<p/>"));
  ExpectTheSame(kOpenList + open, false);
  const std::string link =
      Span("M:files", Span(kFilesByName, "<a href=\"x.htm\">" + Show("SimpleName") + "</a>"));
  ExpectTheSame(kOpenList + link, false);
  // A numbered list anywhere in the template keeps every copy as nodes for its renumbering.
  ExpectTheSame(kOpenList + "<ol start=\"3\"><li>x</li></ol>" + kListOfFiles, false);
}

TEST_F(CopiesAsTextTest, FailuresInsideCopiesAreReportedAsFromNodes) {
  // A value whose variable is bound nowhere fails in the first copy, before any was written.
  const std::string unbound =
      Span("M:files",
           Span(kFilesByName, Show("SimpleName") + Span("F:zz:FileSys:File::SimpleName:SAA:")));
  ExpectTheSame(kOpenList + unbound, false);
  // The page's size past its limit in the third row, and an inner list longer than allowed.
  const Generated whole = Generate(kOpenList + kTableOfFiles, false);
  platform::BindInitParameter("MaxPageBytes", std::to_string(whole.page.size() - 300));
  ExpectTheSame(kOpenList + kTableOfFiles, true);
  platform::ClearInitParametersForTesting();
  folder.Write("few/a.txt", "1 a\n");
  folder.Write("few/many.txt", "1 a\n2 b\n3 c\n");
  platform::BindInitParameter("MaxRepeatObjects", "2");
  ExpectTheSame(Span("C:d:FileSys:Directory:FullName=@LIST@/../few") + kListOfFiles, true);
}

}  // namespace
