#include "agent/parameter_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/input_limits.h"
#include "platform/config.h"
#include "platform/resource_module.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Fields = std::array<std::string, 6>;  // file, locator, server, template, user, password

const std::vector<std::string> kGenerateKeys = {kFileNameKey,     kArtifactLocatorKey,
                                                kServerUrlKey,    kTemplateIdKey,
                                                kPasswordNameKey, kPasswordValueKey};
const std::vector<std::string> kAncestorsKeys = {kArtifactLocatorKey, kPasswordNameKey,
                                                 kPasswordValueKey};

class ParameterFileTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    unsetenv("USER_DATA");
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::HostResources().Unload();
  }

  PageRequest Read(const std::string& text, bool generate = true) {
    return ReadParameterFile(folder_.Write("ParameterFile.txt", text),
                             generate ? kGenerateKeys : kAncestorsKeys, generate);
  }
  size_t Entries() const {
    return std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator());
  }

  test_support::TempFolder folder_;
};

TEST_F(ParameterFileTest, LineRulesGiveTheExpectedValues) {
  const struct {
    const char* name;
    std::string text;
    bool generate;
    Fields expected;
  } cases[] = {
      {"all six keys",
       "FILE_NAME=/u/doc.htm\nARTIFACT_LOCATOR=req:1\nSERVER_URL=http://h/p\n"
       "TEMPLATE_ID=t/1\nPASSWORD_NAME=ann\nPASSWORD_VALUE=pw\n",
       true,
       {"/u/doc.htm", "req:1", "http://h/p", "t/1", "ann", "pw"}},
      {"blanks around = kept", "FILE_NAME = a b \n", true, {" a b "}},
      {"from the first =", "SERVER_URL=http://h/?a=b&c=d\n", true, {"", "", "http://h/?a=b&c=d"}},
      {"no = gives empty", "FILE_NAME=a\nFILE_NAME\n", true, {}},
      {"NULL is empty", "TEMPLATE_ID=NULL\n", true, {}},
      {"NULL with blank kept", "TEMPLATE_ID=NULL \n", true, {"", "", "", "NULL "}},
      {"key in a value decides", "ARTIFACT_LOCATOR=x/FILE_NAME/y\n", true, {"x/FILE_NAME/y"}},
      {"earlier key wins", "PASSWORD_NAME=ARTIFACT_LOCATOR\n", true, {"", "ARTIFACT_LOCATOR"}},
      {"ancestors: other keys ignored",
       "FILE_NAME=f\nARTIFACT_LOCATOR=x/FILE_NAME\nTEMPLATE_ID=t\n",
       false,
       {"", "x/FILE_NAME"}},
      {"later line wins", "FILE_NAME=first\nFILE_NAME=second\n", true, {"second"}},
      {"CR LF dropped, lone CR kept", "FILE_NAME=a\rb\r\n", true, {"a\rb"}},
      {"last line without end", "FILE_NAME=a\nTEMPLATE_ID=t", true, {"a", "", "", "t"}},
      {"garbage ignored", "hello\n=\n\n\n#FILE\nTEMPLATE_ID=t\n", true, {"", "", "", "t"}},
      {"password trimmed", "PASSWORD_VALUE= \tpw x\t \n", true, {"", "", "", "", "", "pw x"}},
      {"ancestors: password kept",
       "PASSWORD_VALUE= \tpw x\t \n",
       false,
       {"", "", "", "", "", " \tpw x\t "}},
      {"binary bytes kept",
       "TEMPLATE_ID=\xC3\xA9\xFF\x01\n",
       true,
       {"", "", "", "\xC3\xA9\xFF\x01"}},
      {"NUL ends the line", "FILE_NAME=a\0TEMPLATE_ID=b\nSERVER_URL=s\n"s, true, {"a", "", "s"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const PageRequest p = Read(c.text, c.generate);
    EXPECT_EQ((Fields{p.fileName, p.artifactLocator, p.serverUrl, p.templateId, p.passwordName,
                      p.passwordValue}),
              c.expected);
  }
}

TEST_F(ParameterFileTest, MissingFileFolderAndPipeThrowWithoutHanging) {
  const std::string pipe = folder_.Path("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {folder_.Path("absent.txt"), folder_.Path(), pipe}) {
    EXPECT_THROW(ReadParameterFile(path, kGenerateKeys, true), std::runtime_error) << path;
  }
}

TEST_F(ParameterFileTest, LinesUpToTheLineLimitAreReadAndALongerOneThrowsNamingIt) {
  const std::string prefix = "ARTIFACT_LOCATOR=";
  const std::string atLimit = prefix + std::string(kMaxTextLineBytes - prefix.size(), 'x');
  EXPECT_EQ(Read("FILE_NAME=a.htm\n" + atLimit + "\n").artifactLocator,
            atLimit.substr(prefix.size()));
  try {
    Read("FILE_NAME=a.htm\n" + atLimit + "x\n");
    ADD_FAILURE() << "a line past the limit was read";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what())
                  .find("line 2 has " + std::to_string(kMaxTextLineBytes + 1) +
                        " bytes, more than the limit of " + std::to_string(kMaxTextLineBytes) +
                        " bytes in a line"),
              std::string::npos)
        << error.what();
  }
}

TEST_F(ParameterFileTest, PathsUnderUserDataAndAMissingFileIsShown) {
  test_support::LoadSampleHostStrings();
  platform::BindInitParameter("USER_DATA", folder_.Path());
  EXPECT_EQ(test_support::CapturedStderr([] { EXPECT_EQ(ParameterFilePath(), ""); }),
            "[Vistafold] A required file is missing: generated/ParameterFile.txt\n");
  test_support::WriteParameterFile(folder_.Path(), "FILE_NAME=x\n");
  EXPECT_EQ(ParameterFilePath(), folder_.Path() + "/generated/ParameterFile.txt");
}

TEST_F(ParameterFileTest, OutputFileIsReplacedWholeAndAFailureThrowsLeavingNoTemporaryFile) {
  const std::string path = folder_.Write("Output.txt", std::string(1000, 'o'));
  WriteOutputFile(path, "short");
  EXPECT_EQ(test_support::ReadFile(path), "short");
  EXPECT_EQ(Entries(), 1u);

  fs::remove(path);
  fs::create_directories(folder_.Path("Output.txt/inside"));
  EXPECT_THROW(WriteOutputFile(path, "x"), std::runtime_error);
  EXPECT_EQ(Entries(), 1u) << "the temporary file of the failed rename is gone";
}

}  // namespace
