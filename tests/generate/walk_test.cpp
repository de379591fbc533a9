// The generation walk's failures and hand-backs over real folders and record files: an OPEN that
// cannot be evaluated, progress, the outline, failing commands, the "Word" domain's refresh and
// ten thousand records. What pages look like is in tests/golden; the limits are in
// work_limits_test.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/progress_sink.h"
#include "generate/web_page_generator.h"
#include "generation_fixture.h"
#include "model/quire_standard_domain.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"

namespace {

using platform::DomNode;
using test_support::kFilesByName;
using test_support::Span;
using test_support::TempFolder;

struct RecordingSink : ProgressSink {
  void report(const std::string& /*message*/, int percent) override { percents.push_back(percent); }
  std::vector<int> percents;
};

// A generator whose page completion writes `entries` into the outline.
class OutlineWriter : public WebPageGenerator {
 public:
  using WebPageGenerator::WebPageGenerator;
  std::string entries;

 protected:
  bool completePage(const RequestTexts& /*request*/) override {
    std::string xml = "<outline>" + entries + "</outline>";
    return outlineDocument()->loadXML(xml);
  }
};

// A "Word" domain that counts its refreshes.
class WordDomain : public QuireStandardDomain {
 public:
  WordDomain() : QuireStandardDomain("Word") {}
  void loadSchema(QuireStatus& status) override { status = QuireStatus(); }
  void refresh() override { ++refreshes; }
  int refreshes = 0;
};

// Command texts over the file-system domain.
std::string OpenFolder(const std::string& variable, const std::string& path) {
  return "C:" + variable + ":FileSys:Directory:FullName=" + path;
}
std::string ShowName(const std::string& variable, const std::string& className = "File") {
  return Span("F:" + variable + ":FileSys:" + className + "::SimpleName:SAA:", "&lt;Name&gt;");
}
// A MASTER over the files of "d", each shown as a paragraph with its name.
std::string FileMaster(const std::string& extra = "") {
  return Span("M:files", Span(kFilesByName, "<p>" + ShowName("f") + "</p>") + extra);
}

// The non-empty texts a browser would show, in document order.
void CollectVisible(const DomNode& node, std::vector<std::string>& texts) {
  for (const DomNode& child : node.childNodes()) {
    if (child.nodeType() == platform::kDomText && !child.nodeValue().empty()) {
      texts.push_back(child.nodeValue());
    } else if (child.nodeType() == platform::kDomElement &&
               child.getAttribute("style").find("display:none") == std::string::npos) {
      CollectVisible(child, texts);
    }
  }
}

using Texts = std::vector<std::string>;

class WalkTest : public test_support::GenerationFixture<false> {
 protected:
  void SetUp() override {
    GenerationFixture::SetUp();
    for (const char* name : {"c.txt", "a.txt", "b.txt"})
      folder.Write("list/" + std::string(name), name);
  }

  QuireStatus Generate(const std::string& body, const std::string& locator = "",
                       WebPageGenerator* custom = nullptr) {
    document = platform::DomDocument::Create();
    EXPECT_TRUE(document->loadXML("<html><body>" + body + "</body></html>"))
        << document->parseError().reason;
    errors = std::make_unique<ErrorCollector>("page.htm");
    WebPageGenerator plain(document, folder.Path("page.htm"), *errors, &sink);
    WebPageGenerator& generator = custom != nullptr ? *custom : plain;
    return generator.generatePage(locator, "http://portal", "template", outline);
  }
  DomNode Body() const { return document->documentElement().selectSingleNode("body"); }
  // The visible texts of the page as it is written: copies written as text are nodes only there.
  Texts Visible() const {
    const auto page = platform::DomDocument::Create();
    EXPECT_TRUE(page->loadXML(document->xml()));
    Texts texts;
    CollectVisible(page->documentElement().selectSingleNode("body"), texts);
    return texts;
  }
  std::string Folder(const std::string& name) const { return folder.Path(name); }

  TempFolder folder;
  RecordingSink sink;
  std::shared_ptr<platform::DomDocument> document;
  std::unique_ptr<ErrorCollector> errors;
  std::optional<std::string> outline;
};

TEST_F(WalkTest, ProgressRunsOverBothMastersOfFourObjects) {
  folder.Write("list/d.txt", "d");
  ASSERT_TRUE(Generate(Span(OpenFolder("d", Folder("list"))) + "<div>" + FileMaster() +
                       FileMaster() + "</div>")
                  .IsOk());
  EXPECT_EQ(sink.percents, (std::vector<int>{10, 21, 32, 43, 55, 66, 77, 88, 100}));
}

// What a copy binds ends with it: an OPEN inside each copy hides the page's "d" there, and after
// the MASTER "d" is the page's folder again.
TEST_F(WalkTest, BindingsMadeInsideACopyEndWithIt) {
  folder.Write("other/x.txt", "x");
  const std::string copy = "<p>" + Span(OpenFolder("d", Folder("other"))) +
                           ShowName("d", "Directory") + ShowName("f") + "</p>";
  const QuireStatus status =
      Generate(Span(OpenFolder("d", Folder("list"))) + Span("M:files", Span(kFilesByName, copy)) +
               "<p>" + ShowName("d", "Directory") + "</p>");
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Visible(), (Texts{"other", "a.txt", "other", "b.txt", "other", "c.txt", "list"}));
}

TEST_F(WalkTest, OutlineIsHandedBackOnlyWhenLongerThanTwentyCharacters) {
  for (const auto& [entries, expected] :
       std::vector<std::pair<std::string, std::optional<std::string>>>{
           {"", std::nullopt}, {"x", std::nullopt}, {"<e id=\"1\"/>", "<e id=\"1\"/>"}}) {
    document = platform::DomDocument::Create();
    ErrorCollector collector("page.htm");
    OutlineWriter writer(document, folder.Path("page.htm"), collector);
    writer.entries = entries;
    ASSERT_TRUE(Generate("<p>plain</p>", "", &writer).IsOk());
    EXPECT_EQ(outline, expected) << entries;
  }
}

TEST_F(WalkTest, FailingCommandsReportTheirMessagesAndStopTheWalk) {
  const std::string open = Span(OpenFolder("d", Folder("list")));
  const struct {
    std::string page;
    HostMessageId message;
  } cases[] = {
      {open + Span("F:d:FileSys:Directory::NoSuchAttribute:SAA:"),
       host_message::kDisplayUnreadable},
      {open + Span("M:m", ShowName("d", "Directory")), host_message::kMasterWithoutRepeat},
      {open + "<p>x</p>" + Span("S:o:FileSys:File:d:FileSys:Directory:..OMIT"),
       host_message::kLimitWithoutMaster},
  };
  for (const auto& failing : cases) {
    const QuireStatus status = Generate(failing.page + "<p>" + ShowName("d", "Directory") + "</p>");
    EXPECT_FALSE(status.IsOk()) << failing.message.id;
    std::string all;
    for (const std::string& message : errors->messages()) all += message + "\n";
    EXPECT_NE(all.find(HostString(failing.message)), std::string::npos) << all;
    // The DISPLAY after the failing command is left as written.
    EXPECT_EQ(Visible().back(), "<Name>") << failing.message.id;
  }
}

// OMIT and OTHERWISE decide by their MASTER; they need no variable of their own.
TEST_F(WalkTest, OmitAndOtherwiseWithoutAVariableFollowTheirMaster) {
  const std::string page = Span(OpenFolder("d", Folder("list"))) + "<div>" + FileMaster() +
                           Span("S::FileSys:File:d:FileSys:Directory:..OMIT", "<p>listed</p>") +
                           "</div><div>" + FileMaster() +
                           Span("S::FileSys:File:d:FileSys:Directory:..OTHERWISE:", "<p>none</p>") +
                           "</div>";
  ASSERT_TRUE(Generate(page).IsOk()) << errors->messages().size();
  const Texts shown = Visible();
  EXPECT_NE(std::find(shown.begin(), shown.end(), "listed"), shown.end());
  EXPECT_EQ(std::find(shown.begin(), shown.end(), "none"), shown.end());
}

TEST_F(WalkTest, OpenOfAnUnknownDomainEndsGenerationBeforeTheWalk) {
  const QuireStatus status = Generate(Span("C:d:NoSuchDomain:Directory:FullName=/") + "<p>" +
                                      ShowName("d", "Directory") + "</p>");
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_NE(status.Message().find("NoSuchDomain"), std::string::npos) << status.Message();
  EXPECT_EQ(Visible(), (Texts{"x", "<Name>"}));  // nothing was walked
  EXPECT_TRUE(sink.percents.empty());
}

// Every OPEN that cannot be evaluated fails the page: its error goes to the collector, whose
// messages make the error page, and the log of a default installation carries it.
TEST_F(WalkTest, OpenThatCannotBeEvaluatedIsCollectedAndLoggedAtTheDefaultLevel) {
  // No "debugLevel": critical errors and notes only.
  const std::string locator = "FileSys:Directory:FullName=" + Folder("list");
  const struct {
    std::string open;
    std::string named;  // what the error names
  } cases[] = {
      {"C:d:FileSys:NoSuchClass:FullName=", "NoSuchClass"},  // completed from the locator
      {"C:d:NoSuchDomain:Directory:FullName=", "NoSuchDomain"},
      {"C:d:FileSys:Directory:NoSuchArgument=x", "NoSuchArgument"},
      {OpenFolder("d", Folder("no/such/folder")), "no/such/folder"},  // no object to make
  };
  for (const auto& c : cases) {
    QuireStatus status;
    const std::string log = test_support::CapturedStderr([&] {
      status = Generate(Span(c.open) + "<p>" + ShowName("d", "Directory") + "</p>", locator);
    });
    EXPECT_FALSE(status.IsOk()) << c.open;
    ASSERT_EQ(errors->messages().size(), 1u) << c.open;
    EXPECT_EQ(errors->messages().front().rfind(HostString(host_message::kTemplateCommandFailed), 0),
              0u)
        << errors->messages().front();
    EXPECT_NE(errors->messages().front().find(c.named), std::string::npos)
        << errors->messages().front();
    EXPECT_NE(log.find(c.named), std::string::npos) << c.open << ": " << log;
    EXPECT_EQ(Visible().back(), "<Name>") << c.open;  // the DISPLAY was never evaluated
  }
}

// A page whose completion fails is not generated either.
TEST_F(WalkTest, FailingPageCompletionIsCollected) {
  class IncompletePage : public WebPageGenerator {
   public:
    using WebPageGenerator::WebPageGenerator;

   protected:
    bool completePage(const RequestTexts& /*request*/) override { return false; }
  };
  document = platform::DomDocument::Create();
  ErrorCollector collector("page.htm");
  IncompletePage generator(document, folder.Path("page.htm"), collector);
  EXPECT_FALSE(Generate("<p>plain</p>", "", &generator).IsOk());
  ASSERT_EQ(collector.messages().size(), 1u);
  EXPECT_NE(collector.messages().front().find("Page completion"), std::string::npos);
}

TEST_F(WalkTest, RegisteredWordDomainIsRefreshedAfterGeneration) {
  auto& word = dynamic_cast<WordDomain&>(
      DomainRegistry::instance().registerDomain(std::make_unique<WordDomain>()));
  ASSERT_TRUE(Generate("<p>plain</p>").IsOk());
  EXPECT_EQ(word.refreshes, 1);
  DomainRegistry::instance().removeDomain(word);
}

TEST_F(WalkTest, TenThousandRecordsGenerateOneRowEach) {
  std::string records;
  for (int i = 0; i < 10000; ++i) records += "key" + std::to_string(i) + " value\n";
  const std::string file = folder.Write("records.txt", records);
  const std::string page =
      Span("C:t:FileSys:File:FullName=" + file) +
      Span("M:records", Span("R:r:FileSys:FileRecord:t:FileSys:File:N=Records:",
                             "<p>" + Span("F:r:FileSys:FileRecord::Field01:SAA:") + "</p>"));
  ASSERT_TRUE(Generate(page).IsOk());
  const Texts shown = Visible();
  ASSERT_EQ(shown.size(), 10000u);
  EXPECT_EQ(shown.front(), "key0");
  EXPECT_EQ(shown.back(), "key9999");
}

}  // namespace
