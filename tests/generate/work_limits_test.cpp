// The limits on work that grows with its input: a REPEAT over too many objects, a page that grows
// past its size, a data file past its size, commands nested too deep, recursion past its levels,
// too many outline entries. Each stops the walk with an error that names the limit (and the
// command); at them the same pages generate, on a thread with a Java thread's stack.
#include "platform/work_limits.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "commands/parse_limits.h"
#include "domains/domain_registry.h"
#include "foundation/input_limits.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/web_page_generator.h"
#include "generation_fixture.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"
#include "tests/common/small_stack.h"
#include "tests/common/test_support.h"

namespace {

using test_support::Count;
using test_support::kFilesByName;
using test_support::Span;

constexpr char kRecords[] = "R:r:FileSys:FileRecord:t:FileSys:File:N=Records:";

class WorkLimits : public test_support::GenerationFixture<false> {
 protected:
  void SetUp() override {
    GenerationFixture::SetUp();
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
      folder_.Write("list/" + std::string(name), name);
  }

  // Generates the body with the limit set (none when `value` is empty); the collected messages.
  std::string Generate(const std::string& body, const char* key, const std::string& value) {
    platform::ClearInitParametersForTesting();
    if (!value.empty()) platform::BindInitParameter(key, value);
    if (!debugLevel_.empty()) {
      platform::BindInitParameter("debugLevel", debugLevel_);
      platform::ResetLogThresholdForTesting();
    }
    auto document = platform::DomDocument::Create();
    EXPECT_TRUE(document->loadXML("<html><body>" + body + "</body></html>"));
    ErrorCollector errors("page.htm");
    WebPageGenerator generator(document, folder_.Path("page.htm"), errors);
    ok_ = generator.generatePage("", "http://portal", "template", outline_).IsOk();
    page_ = document->xml();
    std::string all;
    for (const std::string& message : errors.messages()) all += message + "\n";
    return all;
  }

  std::string OpenList() const {
    return Span("C:d:FileSys:Directory:FullName=" + folder_.Path("list"));
  }

  // As Generate, on a thread with a Java thread's stack.
  std::string GenerateOnJvmStack(const std::string& body, const char* key,
                                 const std::string& value) {
    std::string errors;
    test_support::RunOnJvmSizedStack([&] { errors = Generate(body, key, value); });
    return errors;
  }

  test_support::TempFolder folder_;
  bool ok_ = false;
  std::string page_;
  std::optional<std::string> outline_;
  std::string debugLevel_;  // bound as "debugLevel" when not empty
};

// `levels` MASTER/REPEAT pairs inside one another, each over the one file of "one" (so each
// level makes one copy), around `inner`: the commands nest 2 * levels deep.
std::string NestedRepeats(int levels, const std::string& inner) {
  std::string page = inner;
  for (int level = levels; level > 0; --level) {
    const std::string variable = "e" + std::to_string(level);
    page = Span("M:" + variable,
                Span("R:" + variable + ":FileSys:File:o:FileSys:Directory:N=Contents:", page));
  }
  return page;
}

TEST_F(WorkLimits, RepeatOverMoreObjectsThanMaxRepeatObjects) {
  const std::string page = OpenList() + Span("M:files", Span(kFilesByName, "<p>f</p>"));
  EXPECT_EQ(Generate(page, platform::kMaxRepeatObjectsKey, "3"), "");
  EXPECT_TRUE(ok_);
  const std::string errors = Generate(page, platform::kMaxRepeatObjectsKey, "2");
  EXPECT_FALSE(ok_);
  EXPECT_NE(errors.find("REPEAT (" + std::string(kFilesByName) + ") lists 3 objects"),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("MaxRepeatObjects (2)"), std::string::npos) << errors;

  // A listing cut at the limit is refused before it is filtered: filtering what is left of it
  // would drop the objects past the cut without a word.
  folder_.Write("list/d.txt", "d");
  const std::string oneFile =
      OpenList() + Span("M:files", Span("R:f:FileSys:File:d:FileSys:Directory:N=Contents:"
                                        "==A:FileSys:DirectoryObject::SimpleName:Sd.txt:",
                                        "<p>f</p>"));
  EXPECT_EQ(Generate(oneFile, platform::kMaxRepeatObjectsKey, "4"), "");
  EXPECT_TRUE(ok_);
  EXPECT_NE(Generate(oneFile, platform::kMaxRepeatObjectsKey, "2").find("MaxRepeatObjects (2)"),
            std::string::npos);
  EXPECT_FALSE(ok_);
}

// Nested REPEATs multiply the page: three levels over three files make 39 copies.
TEST_F(WorkLimits, NestedRepeatsStopWhenThePagePassesMaxPageBytes) {
  const std::string row = "<p>" + std::string(200, 'x') + "</p>";
  const std::string level3 = Span("M:c", Span(kFilesByName, row));
  const std::string level2 = Span("M:b", Span(kFilesByName, row + level3));
  const std::string page = OpenList() + Span("M:a", Span(kFilesByName, row + level2));
  EXPECT_EQ(Generate(page, platform::kMaxPageBytesKey, ""), "");
  EXPECT_TRUE(ok_);
  const std::string errors = Generate(page, platform::kMaxPageBytesKey, "5000");
  EXPECT_FALSE(ok_);
  EXPECT_NE(errors.find("The generated page grows past MaxPageBytes (5000) bytes at REPEAT (" +
                        std::string(kFilesByName) + ")"),
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

TEST_F(WorkLimits, CommandsNestedUpToTheLimitGenerateAndDeeperOnesFail) {
  folder_.Write("one/only.txt", "only");
  const std::string open = Span("C:o:FileSys:Directory:FullName=" + folder_.Path("one"));
  const std::string leaf = "<p>leaf</p>";
  const int pairs = kMaxCommandNesting / 2;
  EXPECT_EQ(GenerateOnJvmStack(open + NestedRepeats(pairs, leaf), "", ""), "");
  EXPECT_TRUE(ok_);
  const std::string deeper = open + NestedRepeats(pairs + 1, leaf);
  const std::string errors = GenerateOnJvmStack(deeper, "", "");
  EXPECT_FALSE(ok_);
  EXPECT_NE(errors.find("Commands nested " + std::to_string(kMaxCommandNesting + 1) +
                        " deep, more than the limit of " + std::to_string(kMaxCommandNesting) +
                        " nested commands"),
            std::string::npos)
      << errors;
  EXPECT_NE(errors.find("in M:e" + std::to_string(pairs + 1)), std::string::npos)
      << "the command is named: " << errors;
  EXPECT_EQ(Count(page_, "leaf"), 1u) << "nothing was walked";
}

// A recursive REPEAT makes one level per folder of a chain 70 deep; it stops at the hard limit
// however high MaxRecursionLevel is set, and the deepest walk there is (recursion at the bottom
// of commands nested to their limit) fits a Java thread's stack.
TEST_F(WorkLimits, RecursionStopsAtTheHardLimitWhateverMaxRecursionLevelSays) {
  std::string deep = "deep";
  for (int level = 0; level < 70; ++level) deep += "/n";
  folder_.MakeFolder(deep);
  folder_.Write("one/only.txt", "only");
  const std::string recursion =
      Span("M:loop", Span("R:d:FileSys:Directory:d:FileSys:Directory:N=Contents:",
                          "<p>" + Span("F:d:FileSys:Directory::SimpleName:SAA:", "?") + "</p>"));
  const std::string open = Span("C:d:FileSys:Directory:FullName=" + folder_.Path("deep")) +
                           Span("C:o:FileSys:Directory:FullName=" + folder_.Path("one"));
  // The recursion's MASTER, REPEAT and DISPLAY come last, at the limit of nesting or just above.
  const std::string page = open + NestedRepeats((kMaxCommandNesting - 3) / 2, recursion);
  const int hard = TemplateGenerator::kHardRecursionLimit;
  debugLevel_ = "3";  // where recursion stops is logged at the warning level
  const struct {
    std::string configured;
    int levels;
  } cases[] = {{"", hard}, {std::to_string(hard), hard}, {"5", 5}, {"1000000", hard}};
  for (const auto& [configured, levels] : cases) {
    SCOPED_TRACE(configured);
    std::string errors;
    const std::string log = test_support::CapturedStderr(
        [&] { errors = GenerateOnJvmStack(page, "MaxRecursionLevel", configured); });
    EXPECT_EQ(errors, "");
    EXPECT_TRUE(ok_);
    // The folders of levels 0 to the limit show their names.
    EXPECT_EQ(Count(page_, ">n<"), static_cast<std::size_t>(levels + 1)) << configured;
    EXPECT_NE(log.find("reached the limit of " + std::to_string(levels)), std::string::npos) << log;
    if (configured == "1000000") {
      EXPECT_NE(log.find("MaxRecursionLevel 1000000 is taken as " + std::to_string(hard)),
                std::string::npos)
          << log;
    }
  }
}

TEST_F(WorkLimits, OutlineEntriesUpToTheLimit) {
  const std::string link = "<a href=\"javascript:getPage('Doc:Page:n=1','t')\">p</a>";
  std::string links;
  links.reserve(link.size() * (kMaxOutlineEntries + 1));
  for (std::size_t i = 0; i < kMaxOutlineEntries; ++i) links += link;
  EXPECT_EQ(Generate("<p>" + links + "</p>", "", ""), "");
  EXPECT_TRUE(ok_);
  EXPECT_EQ(Count(outline_.value_or(""), "<outline "), kMaxOutlineEntries);
  const std::string errors = Generate("<p>" + links + link + "</p>", "", "");
  EXPECT_FALSE(ok_);
  EXPECT_EQ(outline_, std::nullopt) << "no part of the outline is handed back";
  EXPECT_NE(errors.find("more than " + std::to_string(kMaxOutlineEntries) +
                        " outline entries (portal links and URLs), the limit of outline entries"),
            std::string::npos)
      << errors.substr(0, 2000);
}

}  // namespace
