// The limits on work that grows with its input: a REPEAT over too many objects, a page that grows
// past its size, a data file past its size. Each stops the walk with an error that names the
// limit and the command; below them the same pages generate.
#include "platform/work_limits.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/web_page_generator.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "tests/common/test_support.h"

namespace {

constexpr char kFiles[] =
    "R:f:FileSys:File:d:FileSys:Directory:N=Contents:::A:FileSys:DirectoryObject::SimpleName";
constexpr char kRecords[] = "R:r:FileSys:FileRecord:t:FileSys:File:N=Records:";

std::string Span(const std::string& command, const std::string& content = "x") {
  return "<span QuireQuery=\"" + command + "\">" + content + "</span>";
}

class WorkLimits : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_support::LoadSampleHostStrings();
    DomainRegistry& registry = DomainRegistry::instance();
    if (!registry.hasDomainNamed("FileSys")) {
      registry.registerDomain(std::make_unique<FileSysDomain>());
    }
  }
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      folder_.Write("list/" + std::string(name), name);
  }
  void TearDown() override { platform::ClearInitParametersForTesting(); }

  // Generates the body with the limit set (none when `value` is empty); the collected messages.
  std::string Generate(const std::string& body, const char* key, const std::string& value) {
    platform::ClearInitParametersForTesting();
    if (!value.empty()) platform::BindInitParameter(key, value);
    auto document = platform::DomDocument::Create();
    EXPECT_TRUE(document->loadXML("<html><body>" + body + "</body></html>"));
    ErrorCollector errors("page.htm");
    WebPageGenerator generator(document, folder_.Path("page.htm"), errors);
    std::optional<std::string> outline;
    ok_ = generator.generatePage("", "http://portal", "template", outline).IsOk();
    std::string all;
    for (const std::string& message : errors.messages()) all += message + "\n";
    return all;
  }

  std::string OpenList() const {
    return Span("C:d:FileSys:Directory:FullName=" + folder_.Path("list"));
  }

  test_support::TempFolder folder_;
  bool ok_ = false;
};

TEST_F(WorkLimits, RepeatOverMoreObjectsThanMaxRepeatObjects) {
  const std::string page = OpenList() + Span("M:files", Span(kFiles, "<p>f</p>"));
  EXPECT_EQ(Generate(page, platform::kMaxRepeatObjectsKey, "3"), "");
  EXPECT_TRUE(ok_);
  const std::string errors = Generate(page, platform::kMaxRepeatObjectsKey, "2");
  EXPECT_FALSE(ok_);
  EXPECT_NE(errors.find("REPEAT (" + std::string(kFiles) + ") lists 3 objects"), std::string::npos)
      << errors;
  EXPECT_NE(errors.find("MaxRepeatObjects (2)"), std::string::npos) << errors;
}

// Nested REPEATs multiply the page: three levels over three files make 39 copies.
TEST_F(WorkLimits, NestedRepeatsStopWhenThePagePassesMaxPageBytes) {
  const std::string row = "<p>" + std::string(200, 'x') + "</p>";
  const std::string level3 = Span("M:c", Span(kFiles, row));
  const std::string level2 = Span("M:b", Span(kFiles, row + level3));
  const std::string page = OpenList() + Span("M:a", Span(kFiles, row + level2));
  EXPECT_EQ(Generate(page, platform::kMaxPageBytesKey, ""), "");
  EXPECT_TRUE(ok_);
  const std::string errors = Generate(page, platform::kMaxPageBytesKey, "5000");
  EXPECT_FALSE(ok_);
  EXPECT_NE(errors.find("The generated page grows past MaxPageBytes (5000) bytes at REPEAT (" +
                        std::string(kFiles) + ")"),
            std::string::npos)
      << errors;
}

// The text of a file and the records of a record file are read up to MaxDataFileBytes.
TEST_F(WorkLimits, DataFilesPastMaxDataFileBytes) {
  const std::string file = folder_.Write("data/records.txt", "k1 one\nk2 two\nk3 three\n");
  const std::string open = Span("C:t:FileSys:File:FullName=" + file);
  const std::string text = open + "<p>" + Span("F:t:FileSys:File::Text:SAA:") + "</p>";
  const std::string records =
      open +
      Span("M:r", Span(kRecords, "<p>" + Span("F:r:FileSys:FileRecord::Field01:SAA:") + "</p>"));
  const std::string limit = "MaxDataFileBytes (10)";
  for (const std::string& page : {text, records}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Generate(page, platform::kMaxDataFileBytesKey, "100"), "");
    EXPECT_TRUE(ok_);
    const std::string errors = Generate(page, platform::kMaxDataFileBytesKey, "10");
    EXPECT_FALSE(ok_);
    EXPECT_NE(errors.find(file + ": 23 bytes, more than " + limit), std::string::npos) << errors;
    EXPECT_NE(errors.find(page.find("Text") != std::string::npos ? "F:t:FileSys:File::Text:SAA:"
                                                                 : kRecords),
              std::string::npos)
        << "the command is named: " << errors;
  }
}

}  // namespace
