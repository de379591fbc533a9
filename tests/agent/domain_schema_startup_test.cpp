// Schema files of the installation's "domains" folder at the agent's start: a broken one is
// reported in the log with its path and reason, and the request is served all the same.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document_request.h"

namespace {

using test_support::WriteFile;

class DomainSchemaStartup : public test_support::DocumentRequestTest {};

TEST_F(DomainSchemaStartup, BrokenSchemaIsLoggedAndTheRequestIsServed) {
  const std::filesystem::path schema = home_ / "domains" / "Broken.dom";
  WriteFile(schema, "domain Broken v\n# no class\nclass\n");
  const std::filesystem::path document = root_ / "page.htm";
  WriteFile(document, "<html><body><p>text</p></body></html>");
  EXPECT_EQ(GenerateDocument(document), 1) << log_;

  EXPECT_NE(log_.find("line 3: Parse Error: expected <NAME>, saw <EOF>\nToken kind was 0\n"),
            std::string::npos)
      << log_;
  EXPECT_NE(log_.find("Processing error: The domain schema " + schema.string() +
                      " could not be read: The domain schema has a syntax error: line 3: Parse "
                      "Error: expected <NAME>, saw <EOF>\n"),
            std::string::npos)
      << log_;
}

}  // namespace
