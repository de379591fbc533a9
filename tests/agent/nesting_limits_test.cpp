// Templates nested past the limit of element nesting fail with an error page that names the
// limit, on a thread with a Java thread's stack, at once and through the request queue; the
// document is left as it was. At the limit the page generates on that stack.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "agent/generation_driver.h"
#include "document_request.h"
#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "foundation/input_limits.h"
#include "platform/config.h"
#include "tests/common/small_stack.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::RunOnJvmSizedStack;
using test_support::WriteFile;

constexpr char kOpen[] = "<span QuireQuery=\"C:d:FileSys:Directory:FullName=\">x</span>";
constexpr char kShowName[] =
    "<span QuireQuery=\"F:d:FileSys:Directory::SimpleName:SAA:\">name</span>";

// A page whose innermost `tag` element lies `depth` elements deep (html and body counted),
// holding `inner`.
std::string NestedPage(std::size_t depth, const std::string& tag, const std::string& inner) {
  std::string page = "<html><body>";
  page.reserve(depth * (2 * tag.size() + 5) + inner.size() + 64);
  for (std::size_t i = 2; i < depth; ++i) page += "<" + tag + ">";
  page += inner;
  for (std::size_t i = 2; i < depth; ++i) page += "</" + tag + ">";
  return page + "</body></html>";
}

const std::string kLimitText =
    "nested deeper than the limit of " + std::to_string(kMaxElementNesting) + " nested elements";

class NestingLimits : public test_support::DocumentRequestTest,
                      public testing::WithParamInterface<const char*> {
 protected:
  NestingLimits() { timeout_ = GetParam(); }

  // Generates the document from a thread with a Java thread's stack; the outcome.
  int GenerateOnJvmStack(const fs::path& document) {
    int outcome = -3;
    RunOnJvmSizedStack([&] { outcome = GenerateDocument(document); });
    return outcome;
  }

  fs::path document_ = root_ / "deep.htm", errorPage_ = root_ / "deepERR.htm";
};

INSTANTIATE_TEST_SUITE_P(Modes, NestingLimits, testing::Values("0", "8000"),
                         test_support::ModeName);

TEST_P(NestingLimits, ATemplateNestedFarPastTheLimitFailsWithTheLimitNamed) {
  for (const char* tag : {"span", "div"}) {
    SCOPED_TRACE(tag);
    const std::string page = NestedPage(100000, tag, std::string(kOpen) + kShowName);
    WriteFile(document_, page);
    fs::remove(errorPage_);
    EXPECT_EQ(GenerateOnJvmStack(document_), 0) << log_;
    ASSERT_TRUE(fs::exists(errorPage_)) << log_;
    const std::string errors = ReadFile(errorPage_);
    if (std::string(GetParam()) == "0") {
      EXPECT_EQ(ReadFile(document_), page) << "the template is left as it was";
    } else {
      // The queued mode writes the error page into the document, as for every failed request.
      EXPECT_NE(ReadFile(document_).find(kLimitText), std::string::npos);
    }
    EXPECT_NE(errors.find(kLimitText), std::string::npos) << errors.substr(0, 2000);
    EXPECT_NE(errors.find("&lt;" + std::string(tag) + "&gt;"), std::string::npos)
        << "the element is named: " << errors.substr(0, 2000);
  }
}

// Word's HTML is converted to XML before it is loaded; the converted page is refused the same way.
TEST_P(NestingLimits, AWordTemplateNestedPastTheLimitIsRefusedAfterItsConversion) {
  std::string page = NestedPage(kMaxElementNesting + 1, "div", std::string(kOpen) + kShowName);
  page.insert(page.find("<body>") + 6, "<p>a&nbsp;b<br></p>");  // HTML, no XML
  WriteFile(document_, page);
  EXPECT_EQ(GenerateOnJvmStack(document_), 0) << log_;
  ASSERT_TRUE(fs::exists(errorPage_)) << log_;
  const std::string errors = ReadFile(errorPage_);
  EXPECT_NE(errors.find(kLimitText), std::string::npos) << errors.substr(0, 2000);
}

TEST_P(NestingLimits, ATemplateAtTheLimitGenerates) {
  // The commands' spans are the elements at the limit.
  WriteFile(document_, NestedPage(kMaxElementNesting - 1, "span", std::string(kOpen) + kShowName));
  EXPECT_EQ(GenerateOnJvmStack(document_), 1) << log_;
  EXPECT_FALSE(fs::exists(errorPage_));
  EXPECT_NE(ReadFile(document_).find(">data<"), std::string::npos) << "the folder's name";
}

// The generation itself, without the command thread in between: every walk of the page runs on
// the small stack, for a page at the limit whose commands sit at the bottom.
TEST(NestingLimitsOnTheCallingThread, TheDriverWalksAPageAtTheLimitOnAJvmSizedStack) {
  test_support::LoadSampleHostStrings();
  platform::ClearInitParametersForTesting();
  platform::BindInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
  DomainRegistry& registry = DomainRegistry::instance();
  if (!registry.hasDomainNamed("FileSys"))
    registry.registerDomain(std::make_unique<FileSysDomain>());
  test_support::TempFolder folder;
  folder.Write("data/a.txt", "a");
  // Inside the innermost div: the MASTER, its REPEAT, a paragraph and the DISPLAY in it, four
  // elements deeper.
  const std::string repeat =
      "<span QuireQuery=\"M:files\"><span QuireQuery=\"R:f:FileSys:File:d:FileSys:Directory:"
      "N=Contents:\"><p><span QuireQuery=\"F:f:FileSys:File::SimpleName:SAA:\">file</span></p>"
      "</span></span>";
  const struct {
    std::size_t depth;
    bool generated;
  } cases[] = {{kMaxElementNesting - 4, true}, {kMaxElementNesting - 3, false}, {100000, false}};
  for (const auto& [depth, generated] : cases) {
    SCOPED_TRACE(depth);
    PageRequest request;
    request.fileName =
        folder.Write("deep.htm", NestedPage(depth, "div", std::string(kOpen) + kShowName + repeat));
    request.artifactLocator = "FileSys:Directory:FullName=" + folder.Path("data");
    request.templateId = "deep";
    GenerationResult result;
    RunOnJvmSizedStack([&] { result = GenerateDocument(request, nullptr); });
    EXPECT_EQ(result.generated, generated);
    std::string errors;
    for (const std::string& message : result.errors) errors += message + "\n";
    if (generated) {
      EXPECT_EQ(errors, "");
      EXPECT_NE(result.page.value_or("").find(">a.txt<"), std::string::npos);
    } else {
      EXPECT_NE(errors.find(kLimitText), std::string::npos) << errors.substr(0, 2000);
    }
  }
  platform::ClearInitParametersForTesting();
}

}  // namespace
