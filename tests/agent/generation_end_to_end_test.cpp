// Whole requests through the library's entry points, as the portal makes them: a copy of the
// sample installation, the demo template (Word-saved HTML with comment commands) as the document
// file, and a folder of files that the page is about. Progress and the error pages of documents
// that give no page; the pages themselves are in tests/golden.
#include <gtest/gtest.h>

#include <cstring>
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

TEST_P(GenerationEndToEndTest, UnknownDisplayAttributeGivesTheErrorPageBesideTheDocument) {
  std::string bytes = ReadFile(kDemoTemplate);
  const std::string display = "F:d:FileSys:Directory::FullName:SAA:";
  const size_t at = bytes.find(display);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, display.size(), "F:d:FileSys:Directory::NoSuchAttribute:SAA:");
  ASSERT_EQ(Generate(bytes), 0);
  ASSERT_TRUE(fs::exists(errorPage_));
  const std::string errors = ReadFile(errorPage_);
  EXPECT_NE(errors.find(Host(host_message::kErrorsWhileGenerating) + document_.string()),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find(Host(host_message::kDisplayUnreadable)), std::string::npos) << errors;
  EXPECT_NE(errors.find("NoSuchAttribute"), std::string::npos) << errors;
}

// A template whose comments cannot all be turned into commands: the error page says why, and
// the document file keeps none of the places the messages used.
TEST_P(GenerationEndToEndTest, AnnotationFailureKeepsNoPlaceMarksInTheDocument) {
  std::string bytes = ReadFile(kDemoTemplate);
  const std::string reference =
      "class=MsoCommentReference><span style='font-size:8.0pt;"
      "line-height:107%'><span style='mso-comment-reference:DISPLAY_2";
  const size_t at = bytes.find(reference);
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, std::strlen("class=MsoCommentReference"), "class=MsoNormal");
  ASSERT_EQ(Generate(bytes), 0);
  ASSERT_TRUE(fs::exists(errorPage_));
  const std::string document = ReadFile(document_);
  EXPECT_EQ(document.find("QuireLabel"), std::string::npos);
  EXPECT_EQ(document.find("QuireNear"), std::string::npos);
}

TEST_P(GenerationEndToEndTest, OpenThatCannotBeEvaluatedFailsWithTheErrorPage) {
  const std::string open = "C:d:FileSys:Directory:FullName=";
  for (const char* wrong :
       {"C:d:FileSys:NoSuchClass:FullName=", "C:d:Kestrel:Directory:FullName="}) {
    std::string bytes = ReadFile(kDemoTemplate);
    const size_t at = bytes.find(open);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, open.size(), wrong);
    fs::remove(errorPage_);
    EXPECT_EQ(Generate(bytes), 0) << wrong;
    ASSERT_TRUE(fs::exists(errorPage_)) << wrong;
    const std::string errors = ReadFile(errorPage_);
    EXPECT_NE(errors.find(Host(host_message::kTemplateCommandFailed)), std::string::npos) << errors;
    EXPECT_NE(errors.find(wrong), std::string::npos) << errors;
  }
}

TEST_P(GenerationEndToEndTest, DocumentsThatAreNoTemplateGiveAnErrorPage) {
  const std::string demo = ReadFile(kDemoTemplate);
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"not HTML", "Quarterly figures\x01\x02 & more < less\r\n"},
      {"empty", ""},
      {"truncated", demo.substr(0, demo.size() / 2)},
      {"cut inside a tag", demo.substr(0, demo.find("<table") + 9)},
  };
  for (const auto& bad : cases) {
    fs::remove(errorPage_);
    EXPECT_EQ(Generate(bad.bytes), 0) << bad.what;
    ASSERT_TRUE(fs::exists(errorPage_)) << bad.what;
    EXPECT_NE(ReadFile(errorPage_).find(Host(host_message::kErrorsWhileGenerating)),
              std::string::npos)
        << bad.what;
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
