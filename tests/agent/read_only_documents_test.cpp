// Documents that cannot be replaced are refused before anything is generated, whether they hold
// Word's HTML or XML already; a document that can be replaced keeps its mode.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "agent/template_conversion.h"
#include "document_request.h"
#include "foundation/quire_status.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;

constexpr char kDemoTemplate[] = XMLAGENT_SOURCE_DIR "/sample/templates/folder.htm";
// A page without commands that loads as XML as it stands.
constexpr char kXmlPage[] = "<html><body><p>Plain page</p></body></html>";

mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & 07777;
}

class ReadOnlyDocuments : public test_support::DocumentRequestTest {};

TEST_F(ReadOnlyDocuments, WordAndXmlDocumentsWithoutWritePermissionAreRefused) {
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {{"word.htm", ReadFile(kDemoTemplate)}, {"xml.htm", kXmlPage}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path document = root_ / c.name;
    WriteFile(document, c.bytes);
    ASSERT_EQ(::chmod(document.c_str(), 0444), 0);
    EXPECT_EQ(GenerateDocument(document), 0);
    EXPECT_EQ(ReadFile(document), c.bytes) << "the document was replaced";
    EXPECT_EQ(ModeOf(document), 0444u);
    const fs::path errorPage = root_ / (document.stem().string() + "ERR.htm");
    ASSERT_TRUE(fs::exists(errorPage));
    EXPECT_NE(ReadFile(errorPage).find(document.string() + ": Permission denied"),
              std::string::npos)
        << ReadFile(errorPage);
  }
}

TEST_F(ReadOnlyDocuments, ConversionLeavesAReadOnlyTemplateAsItIs) {
  const fs::path document = root_ / "word.htm";
  const std::string bytes = ReadFile(kDemoTemplate);
  WriteFile(document, bytes);
  ASSERT_EQ(::chmod(document.c_str(), 0444), 0);
  QuireStatus status;
  EXPECT_FALSE(ConvertTemplateToXml(document.string(), status, true));
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(status.Message(), "Permission denied");
  EXPECT_EQ(ReadFile(document), bytes);
}

TEST_F(ReadOnlyDocuments, GeneratedDocumentKeepsItsMode) {
  const fs::path document = root_ / "private.htm";
  WriteFile(document, ReadFile(kDemoTemplate));
  ASSERT_EQ(::chmod(document.c_str(), 0600), 0);
  EXPECT_EQ(GenerateDocument(document), 1) << log_;
  EXPECT_NE(ReadFile(document).find("a.txt"), std::string::npos) << "the page lists the folder";
  EXPECT_EQ(ModeOf(document), 0600u);
}

}  // namespace
