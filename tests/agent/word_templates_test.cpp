// Templates saved by different Word versions convert, load and annotate: command comments become
// command elements and a reviewer's comment stays where it is.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "agent/template_conversion.h"
#include "foundation/quire_status.h"
#include "generate/template_annotator.h"
#include "platform/dom/dom_document.h"

namespace {

// The fixture converted in a copy, as the driver converts a template in place, then loaded.
std::shared_ptr<platform::DomDocument> ConvertedFixture(const std::string& name) {
  const std::filesystem::path copy = std::filesystem::temp_directory_path() /
                                     ("word_template_" + std::to_string(getpid()) + ".htm");
  std::filesystem::copy_file(std::string(XMLAGENT_TEST_DATA) + "/word/" + name, copy,
                             std::filesystem::copy_options::overwrite_existing);
  QuireStatus status;
  EXPECT_TRUE(ConvertTemplateToXml(copy.string(), status, true)) << status.Text();
  auto document = platform::DomDocument::Create();
  EXPECT_TRUE(document->load(copy.string())) << document->parseError().reason;
  std::filesystem::remove(copy);
  return document;
}

std::size_t Count(const platform::DomDocument& document, const std::string& pattern) {
  return document.selectNodes(pattern).length();
}

TEST(WordTemplates, EveryVersionConvertsLoadsAndAnnotates) {
  struct Case {
    const char* file;
    std::size_t commands;  // QuireQuery elements after annotation
    std::size_t anchorsLeft;
  };
  const Case cases[] = {
      {"word2003_comments.htm", 1, 0},  // older markup: an OPEN
      {"word2016_comments.htm", 1, 1},  // newer markup: a DISPLAY, and a reviewer's [TA2] kept
      {"word_filtered.htm", 0, 0},      // a REPEAT without its end mark is dropped
      {"word97_uppercase.htm", 1, 0},   // a command already written as a QuireQuery span
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto document = ConvertedFixture(c.file);
    QuireStatus status;
    EXPECT_TRUE(TemplateAnnotator(document).annotateTemplate(status)) << status.Text();
    EXPECT_EQ(Count(*document, "//*[@QuireQuery]"), c.commands);
    EXPECT_EQ(Count(*document, "//a[@class='msocomanchor']"), c.anchorsLeft);
  }
}

}  // namespace
