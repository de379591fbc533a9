// Where a request's pages go when its parameter file names no document, or names it relative to
// the user-data folder: never into the process's working folder. In both modes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document_request.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;
using test_support::WriteParameterFile;

class DocumentPath : public test_support::DocumentRequestTest,
                     public testing::WithParamInterface<const char*> {
 protected:
  DocumentPath() { timeout_ = GetParam(); }

  // Error pages that a request without a document would have left in the working folder.
  static bool StrayErrorPages() {
    for (const char* name : {"ERR", "ERR.htm"}) {
      if (fs::exists(fs::current_path() / name)) return true;
    }
    return false;
  }
  std::string OutputText() const { return ReadFile(user_ / "generated" / "Output.txt"); }
};

// An empty parameter file, a binary one and one without FILE_NAME: the reason goes to the log
// and Output.txt, and no page is written anywhere.
TEST_P(DocumentPath, NoFileNameIsReportedWithoutAnyPage) {
  ASSERT_FALSE(StrayErrorPages()) << "left by an earlier run in " << fs::current_path();
  const std::string locator = "ARTIFACT_LOCATOR=FileSys:Directory:FullName=" + data_.string();
  for (const std::string& parameters : {std::string(),
                                        std::string("\x7F"
                                                    "ELF\x02\x01\x01\0\0\xFF\xFE\n\x01",
                                                    14),
                                        locator + "\nTEMPLATE_ID=t\n"}) {
    SCOPED_TRACE(parameters);
    WriteParameterFile(user_, parameters);
    EXPECT_EQ(Generate(), -1);  // not run: there is no document to generate
    const std::string reason =
        "No FILE_NAME in " + (user_ / "generated" / "ParameterFile.txt").string();
    EXPECT_EQ(OutputText(), reason);
    EXPECT_NE(log_.find("Critical error: " + reason), std::string::npos) << log_;
    EXPECT_FALSE(StrayErrorPages());
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), fs::directory_iterator()), 4)
        << "only home, user, data and the data folder";
  }
}

// A relative FILE_NAME names a file in the user-data folder: its page and its error page go there.
TEST_P(DocumentPath, RelativeFileNameIsInTheUserDataFolder) {
  fs::create_directories(user_ / "pages");
  fs::copy_file(fs::path(XMLAGENT_TEST_DATA) / "charsets" / "html5_quoted.htm",
                user_ / "pages" / "good.htm");
  const std::string locator = "\nARTIFACT_LOCATOR=FileSys:Directory:FullName=" + data_.string();
  WriteParameterFile(user_, "FILE_NAME=pages/good.htm" + locator);
  EXPECT_EQ(Generate(), 1) << log_;
  EXPECT_NE(ReadFile(user_ / "pages" / "good.htm").find("portal"), std::string::npos);

  WriteParameterFile(user_, "FILE_NAME=pages/missing.htm" + locator);
  EXPECT_EQ(Generate(), 0);
  EXPECT_NE(
      ReadFile(user_ / "pages" / "missingERR.htm").find((user_ / "pages/missing.htm").string()),
      std::string::npos);
  EXPECT_FALSE(fs::exists(fs::current_path() / "pages"));
  EXPECT_FALSE(StrayErrorPages());
}

INSTANTIATE_TEST_SUITE_P(Modes, DocumentPath, testing::Values("0", "20000"),
                         test_support::ModeName);

}  // namespace
