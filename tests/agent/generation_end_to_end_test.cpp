// Whole requests through the library's entry points, as the portal makes them, on the demo
// template: progress and the error pages of documents that give no page (pages: tests/golden).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "agent/agent_entry.h"
#include "document_request.h"
#include "foundation/host_hooks.h"
#include "generate/progress_sink.h"
#include "platform/resource_module.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;
using Texts = std::vector<std::string>;

const char kDemoTemplate[] = XMLAGENT_SOURCE_DIR "/sample/templates/folder.htm";

// The host string; the agent unloads the resource module when it closes.
std::string Host(HostMessageId message) {
  test_support::LoadSampleHostStrings();
  return HostString(message);
}

struct RecordingSink : ProgressSink {
  void report(const std::string& message, int percent) override {
    messages.push_back(message);
    percents.push_back(percent);
  }
  Texts messages;
  std::vector<int> percents;
};

// In both modes: at once (timeout "0") and through the request queue.
class GenerationEndToEndTest : public test_support::DocumentRequestTest,
                               public testing::WithParamInterface<const char*> {
 protected:
  GenerationEndToEndTest() { timeout_ = GetParam(); }
  void SetUp() override {
    DocumentRequestTest::SetUp();
    fs::create_directories(data_ / "sub");
    for (const char* name : {"2.10.txt", "2.9.txt", "b.md", "A.txt"}) WriteFile(data_ / name, name);
    WriteFile(data_ / "team.csv",
              "#FIELD_DELIMITER ,\n#KEY_FIELDS 1\nAnn,Architect\nBen,Developer\n");
  }
  void TearDown() override {
    XmlAgentSetProgressSink(nullptr);
    DocumentRequestTest::TearDown();
  }

  // Generates the document file with the given template bytes through init, generate and close;
  // gives XmlAgentLastGenerateOutcome.
  int Generate(const std::string& templateBytes) {
    WriteFile(document_, templateBytes);
    return GenerateDocument(document_);
  }

  // The demo template with the first `from` replaced by `to`.
  static std::string DemoWith(const std::string& from, const std::string& to) {
    std::string bytes = ReadFile(kDemoTemplate);
    const size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
  }

  fs::path document_ = root_ / "folder.htm", errorPage_ = root_ / "folderERR.htm";
};

INSTANTIATE_TEST_SUITE_P(Modes, GenerationEndToEndTest, testing::Values("0", "8000"),
                         test_support::ModeName);

TEST_P(GenerationEndToEndTest, DemoPageReportsProgressFromTheStartToTheLastObject) {
  RecordingSink sink;
  XmlAgentSetProgressSink(&sink);
  ASSERT_EQ(Generate(ReadFile(kDemoTemplate)), 1);
  EXPECT_FALSE(fs::exists(errorPage_));
  ASSERT_FALSE(sink.percents.empty());
  EXPECT_EQ(sink.messages.front(), Host(host_message::kEvaluatingTemplateCommands));
  EXPECT_EQ(sink.percents.front(), 10);
  EXPECT_EQ(sink.messages.back(), "Generating Web Page");
}

// File names that the template's commands write without a folder are found beside the
// template, not in the process's working folder.
TEST_P(GenerationEndToEndTest, RelativeFileNamesOfCommandsAreFoundBesideTheTemplate) {
  ASSERT_NE(fs::current_path(), root_);
  ASSERT_FALSE(fs::exists("beside.csv"));
  WriteFile(root_ / "beside.csv", "#FIELD_DELIMITER ,\n#KEY_FIELDS 1\nAnn,Architect\n");
  ASSERT_EQ(Generate("<html><head><title>Beside</title></head><body>"
                     "<span QuireQuery=\"C:t:FileSys:File:FullName=beside.csv\">x</span>"
                     "<p><span QuireQuery=\"F:t:FileSys:File::FullName:SAA:\">name</span></p>"
                     "<span QuireQuery=\"C:r:FileSys:FileRecord:Filename=beside.csv,"
                     "UniqueKey=Ann\">x</span>"
                     "<p><span QuireQuery=\"F:r:FileSys:FileRecord::Field02:SAA:\">role</span></p>"
                     "</body></html>"),
            1)
      << log_;
  EXPECT_FALSE(fs::exists(errorPage_));
  const std::string page = ReadFile(document_);
  EXPECT_NE(page.find(">" + (root_ / "beside.csv").string() + "<"), std::string::npos) << page;
  EXPECT_NE(page.find(">Architect<"), std::string::npos) << page;
}

// A template whose comments cannot all be turned into commands: the error page says why, and
// the document file keeps none of the places the messages used.
TEST_P(GenerationEndToEndTest, AnnotationFailureKeepsNoPlaceMarksInTheDocument) {
  const std::string reference =
      "><span style='font-size:8.0pt;line-height:107%'><span "
      "style='mso-comment-reference:DISPLAY_2";
  ASSERT_EQ(
      Generate(DemoWith("class=MsoCommentReference" + reference, "class=MsoNormal" + reference)),
      0);
  ASSERT_TRUE(fs::exists(errorPage_));
  const std::string document = ReadFile(document_);
  EXPECT_EQ(document.find("QuireLabel"), std::string::npos);
  EXPECT_EQ(document.find("QuireNear"), std::string::npos);
}

TEST_P(GenerationEndToEndTest, TemplatesThatCannotGenerateGiveAnErrorPageSayingWhy) {
  const std::string demo = ReadFile(kDemoTemplate);
  const std::string heading = Host(host_message::kErrorsWhileGenerating);
  const std::string failed = Host(host_message::kTemplateCommandFailed);
  const std::string open = "C:d:FileSys:Directory:FullName=";
  const struct {
    const char* what;
    std::string bytes;
    Texts said;  // on the error page
  } cases[] = {
      {"unknown display attribute",
       DemoWith("F:d:FileSys:Directory::FullName:SAA:",
                "F:d:FileSys:Directory::NoSuchAttribute:SAA:"),
       {heading + document_.string(), Host(host_message::kDisplayUnreadable), "NoSuchAttribute"}},
      {"unknown class",
       DemoWith(open, "C:d:FileSys:NoSuchClass:FullName="),
       {failed, "C:d:FileSys:NoSuchClass:FullName="}},
      {"unknown domain",
       DemoWith(open, "C:d:Kestrel:Directory:FullName="),
       {failed, "C:d:Kestrel:Directory:FullName="}},
      // Documents that are no template.
      {"not HTML", "Quarterly figures\x01\x02 & more < less\r\n", {heading}},
      {"empty", "", {heading}},
      {"truncated", demo.substr(0, demo.size() / 2), {heading}},
      {"cut inside a tag", demo.substr(0, demo.find("<table") + 9), {heading}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(errorPage_);
    EXPECT_EQ(Generate(c.bytes), 0);
    ASSERT_TRUE(fs::exists(errorPage_));
    const std::string errors = ReadFile(errorPage_);
    for (const std::string& said : c.said) {
      EXPECT_NE(errors.find(said), std::string::npos) << said << " in " << errors;
    }
  }
}

// The installation's error page declares windows-1252: the error page of a request for a file
// whose name is not ASCII is written in that code page beside the document, and a queued request
// writes the same bytes over the document.
TEST_P(GenerationEndToEndTest, ErrorPageIsWrittenInTheCodePageThatItDeclares) {
  WriteFile(home_ / "errreport.htm",
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<html><head>"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"/>"
            "<title>Seite nicht erzeugt</title></head><body><h1>Gr\xF6\xDF"
            "e</h1><div></div>"
            "</body></html>");
  const fs::path document = root_ /
                            "\xC3\x9C"
                            "bersicht.htm";
  const fs::path errorPage = root_ /
                             "\xC3\x9C"
                             "bersichtERR.htm";
  WriteFile(document, "Quarterly figures\x01\x02 & more < less\r\n");
  EXPECT_EQ(GenerateDocument(document), 0);
  ASSERT_TRUE(fs::exists(errorPage));
  const std::string bytes = ReadFile(errorPage);
  EXPECT_NE(bytes.find("\xDC"
                       "bersicht.htm"),
            std::string::npos)
      << bytes;
  EXPECT_NE(bytes.find("Gr\xF6\xDF"
                       "e"),
            std::string::npos)
      << bytes;
  EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << "no UTF-8: " << bytes;
  if (timeout_ != "0") {
    EXPECT_EQ(ReadFile(document), bytes) << "the queued document holds the error page";
  }
}

TEST_P(GenerationEndToEndTest, MissingDocumentFileGivesAnErrorPageAndKeepsNothing) {
  test_support::WriteParameterFile(user_,
                                   "FILE_NAME=" + document_.string() + "\nTEMPLATE_ID=folder\n");
  EXPECT_EQ(DocumentRequestTest::Generate(), 0);
  EXPECT_TRUE(fs::exists(errorPage_));
  if (timeout_ == "0") {
    EXPECT_FALSE(fs::exists(document_));
  } else {
    // A queued request hands its caller the error page as the document text.
    EXPECT_NE(ReadFile(document_).find(document_.string() + ": File not found"), std::string::npos)
        << ReadFile(document_);
  }
}

}  // namespace
