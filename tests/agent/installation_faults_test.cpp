// An installation that lacks its resource file or its home folder: the request ends at once, in
// both modes, with an error page beside the document that names what is missing.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "document_request.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;

class InstallationFaults : public test_support::DocumentRequestTest,
                           public testing::WithParamInterface<const char*> {
 protected:
  InstallationFaults() { timeout_ = GetParam(); }
};

TEST_P(InstallationFaults, TheErrorPageNamesTheMissingFile) {
  const fs::path resource = home_ / "domains" / "Vistafold.rsc";
  fs::remove(resource);
  const fs::path document = root_ / "page.htm";
  fs::copy_file(fs::path(XMLAGENT_TEST_DATA) / "charsets" / "utf8_bom.htm", document);
  const std::string before = ReadFile(document);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(GenerateDocument(document), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5))
      << "not left to time out";
  const std::string missing = resource.string() + " does not exist or can not be loaded.";
  EXPECT_NE(ReadFile(root_ / "pageERR.htm").find(missing), std::string::npos)
      << ReadFile(root_ / "pageERR.htm");
  EXPECT_NE(log_.find("Critical error: " + missing), std::string::npos) << log_;
  EXPECT_EQ(ReadFile(document), before);
}

INSTANTIATE_TEST_SUITE_P(Modes, InstallationFaults, testing::Values("0", "20000"),
                         test_support::ModeName);

}  // namespace
