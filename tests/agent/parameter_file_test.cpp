#include "agent/parameter_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/config.h"
#include "platform/resource_module.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::vector<std::string> kGenerateKeys = {kFileNameKey,     kArtifactLocatorKey,
                                                kServerUrlKey,    kTemplateIdKey,
                                                kPasswordNameKey, kPasswordValueKey};
const std::vector<std::string> kAncestorsKeys = {kArtifactLocatorKey, kPasswordNameKey,
                                                 kPasswordValueKey};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ParameterFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "parameter_file_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    platform::ClearInitParametersForTesting();
    unsetenv("USER_DATA");
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::HostResources().Unload();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(root_ / name, std::ios::binary) << text;
    return (root_ / name).string();
  }

  RequestParameters Read(const std::string& text, bool generate = true) {
    return ReadParameterFile(Write("ParameterFile.txt", text),
                             generate ? kGenerateKeys : kAncestorsKeys, generate);
  }

  fs::path root_;
};

struct LineCase {
  const char* name;
  std::string text;
  bool generate;
  RequestParameters expected;
};

std::ostream& operator<<(std::ostream& out, const LineCase& c) { return out << c.name; }

class ParameterLineRules : public ParameterFileTest,
                           public testing::WithParamInterface<LineCase> {};

TEST_P(ParameterLineRules, GiveTheExpectedValues) {
  const LineCase& c = GetParam();
  RequestParameters actual = Read(c.text, c.generate);
  EXPECT_EQ(actual.fileName, c.expected.fileName);
  EXPECT_EQ(actual.artifactLocator, c.expected.artifactLocator);
  EXPECT_EQ(actual.serverUrl, c.expected.serverUrl);
  EXPECT_EQ(actual.templateId, c.expected.templateId);
  EXPECT_EQ(actual.passwordName, c.expected.passwordName);
  EXPECT_EQ(actual.passwordValue, c.expected.passwordValue);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParameterLineRules,
    testing::Values(
        LineCase{"AllSixKeys",
                 "FILE_NAME=/u/doc.htm\nARTIFACT_LOCATOR=req:1\nSERVER_URL=http://h/p\n"
                 "TEMPLATE_ID=t/1\nPASSWORD_NAME=ann\nPASSWORD_VALUE=pw\n",
                 true,
                 {"/u/doc.htm", "req:1", "http://h/p", "t/1", "ann", "pw"}},
        LineCase{
            "BlanksAroundEqualsAreKept", "FILE_NAME = a b \n", true, {" a b ", "", "", "", "", ""}},
        LineCase{"ValueRunsFromTheFirstEquals",
                 "SERVER_URL=http://h/?a=b&c=d\n",
                 true,
                 {"", "", "http://h/?a=b&c=d", "", "", ""}},
        LineCase{"NoEqualsGivesEmpty", "FILE_NAME=a\nFILE_NAME\n", true, {}},
        LineCase{"UpperNullIsEmpty", "TEMPLATE_ID=NULL\n", true, {}},
        LineCase{"LowerNullIsKept", "TEMPLATE_ID=null\n", true, {"", "", "", "null", "", ""}},
        LineCase{"NullWithBlankIsKept", "TEMPLATE_ID=NULL \n", true, {"", "", "", "NULL ", "", ""}},
        LineCase{"KeyInAnotherLinesValueDecides",
                 "ARTIFACT_LOCATOR=x/FILE_NAME/y\n",
                 true,
                 {"x/FILE_NAME/y", "", "", "", "", ""}},
        LineCase{"EarlierKeyWinsAnywhereInLine",
                 "PASSWORD_NAME=ARTIFACT_LOCATOR\n",
                 true,
                 {"", "ARTIFACT_LOCATOR", "", "", "", ""}},
        LineCase{"AncestorsIgnoreGenerateOnlyKeys",
                 "FILE_NAME=f\nARTIFACT_LOCATOR=x/FILE_NAME\nTEMPLATE_ID=t\n",
                 false,
                 {"", "x/FILE_NAME", "", "", "", ""}},
        LineCase{"LaterLineWins",
                 "FILE_NAME=first\nFILE_NAME=second\n",
                 true,
                 {"second", "", "", "", "", ""}},
        LineCase{"KeysAreCaseSensitive", "file_name=x\nFile_Name=y\n", true, {}},
        LineCase{"CrLfLineEndsAreDropped",
                 "FILE_NAME=a\r\nTEMPLATE_ID=b\r\n",
                 true,
                 {"a", "", "", "b", "", ""}},
        LineCase{"LoneCrInsideALineIsKept", "FILE_NAME=a\rb\n", true, {"a\rb", "", "", "", "", ""}},
        LineCase{"LastLineWithoutLineEnd",
                 "FILE_NAME=a\nTEMPLATE_ID=t",
                 true,
                 {"a", "", "", "t", "", ""}},
        LineCase{"GarbageLinesAreIgnored",
                 "hello\n=\n\n\n#FILE\nTEMPLATE_ID=t\n",
                 true,
                 {"", "", "", "t", "", ""}},
        LineCase{"PasswordValueTrimmedForGenerate",
                 "PASSWORD_NAME=ann\nPASSWORD_VALUE= \tpw x\t \n",
                 true,
                 {"", "", "", "", "ann", "pw x"}},
        LineCase{"PasswordValueKeptForAncestors",
                 "PASSWORD_NAME=ann\nPASSWORD_VALUE= \tpw x\t \n",
                 false,
                 {"", "", "", "", "ann", " \tpw x\t "}},
        LineCase{"NulEndsTheLine",
                 "FILE_NAME=a\0TEMPLATE_ID=b\nSERVER_URL=s\n"s,
                 true,
                 {"a", "", "s", "", "", ""}},
        LineCase{"EmptyFile", "", true, {}}),
    [](const testing::TestParamInfo<LineCase>& line) { return std::string(line.param.name); });

TEST_F(ParameterFileTest, BinaryBytesDoNotStopTheReading) {
  std::string text;
  for (int i = 0; i < 4096; ++i) text += static_cast<char>((i * 37) & 0xFF);
  text += "\nTEMPLATE_ID=\xC3\xA9\xFF\x01\n";
  EXPECT_EQ(Read(text).templateId, "\xC3\xA9\xFF\x01");
}

TEST_F(ParameterFileTest, TenMegabyteLineIsReadWhole) {
  std::string value(10 * 1024 * 1024, 'v');
  RequestParameters parameters = Read("FILE_NAME=a\nSERVER_URL=" + value + "\nTEMPLATE_ID=t\n");
  EXPECT_EQ(parameters.serverUrl.size(), value.size());
  EXPECT_EQ(parameters.fileName, "a");
  EXPECT_EQ(parameters.templateId, "t");
}

TEST_F(ParameterFileTest, MissingFileFolderAndPipeThrowWithoutHanging) {
  EXPECT_THROW(ReadParameterFile((root_ / "absent.txt").string(), kGenerateKeys, true),
               std::runtime_error);
  EXPECT_THROW(ReadParameterFile(root_.string(), kGenerateKeys, true), std::runtime_error);
  const std::string pipe = (root_ / "pipe").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_THROW(ReadParameterFile(pipe, kGenerateKeys, true), std::runtime_error);
}

TEST_F(ParameterFileTest, CredentialOnlyWithAUserName) {
  EXPECT_EQ(CredentialsOf(Read("PASSWORD_VALUE=secret\n")).Length(), 0u);
  CredentialList one = CredentialsOf(Read("PASSWORD_NAME=ann\nPASSWORD_VALUE=secret\n"));
  ASSERT_EQ(one.Length(), 1u);
  EXPECT_EQ(one[0], Credential("ann", "secret"));
  CredentialList noPassword = CredentialsOf(Read("PASSWORD_NAME=ann\n"));
  ASSERT_EQ(noPassword.Length(), 1u);
  EXPECT_EQ(noPassword[0], Credential("ann", ""));
}

TEST_F(ParameterFileTest, PathsUnderUserDataOnly) {
  EXPECT_EQ(ParameterFilePath(), "");
  EXPECT_EQ(OutputFilePath(), "");
  platform::BindInitParameter("USER_DATA", root_.string());
  fs::create_directory(root_ / "generated");
  Write("generated/ParameterFile.txt", "FILE_NAME=x\n");
  EXPECT_EQ(ParameterFilePath(), root_.string() + "/generated/ParameterFile.txt");
  EXPECT_EQ(OutputFilePath(), root_.string() + "/generated/Output.txt");
}

TEST_F(ParameterFileTest, MissingOrFolderParameterFileIsShownAndGivesEmptyPath) {
  std::string error;
  ASSERT_TRUE(platform::HostResources().Load(
      XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", error))
      << error;
  platform::BindInitParameter("USER_DATA", root_.string());
  testing::internal::CaptureStderr();
  EXPECT_EQ(ParameterFilePath(), "");
  fs::create_directories(root_ / "generated" / "ParameterFile.txt");
  EXPECT_EQ(ParameterFilePath(), "");
  std::string shown = testing::internal::GetCapturedStderr();
  const std::string line = "[Vistafold] A required file is missing: generated/ParameterFile.txt\n";
  EXPECT_EQ(shown, line + line);
  EXPECT_EQ(OutputFilePath(), root_.string() + "/generated/Output.txt");
}

TEST_F(ParameterFileTest, OutputFileReplacesLongerContentAndLeavesNoTemporaryFile) {
  const std::string path = Write("Output.txt", std::string(1000, 'o'));
  WriteOutputFile(path, "short");
  EXPECT_EQ(ReadAll(path), "short");
  WriteOutputFile(path, "");
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(ReadAll(path), "");
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root_)) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(ParameterFileTest, OutputFileFailuresThrow) {
  EXPECT_THROW(WriteOutputFile((root_ / "missing" / "Output.txt").string(), "x"),
               std::runtime_error);
  fs::create_directories(root_ / "Output.txt" / "inside");
  EXPECT_THROW(WriteOutputFile((root_ / "Output.txt").string(), "x"), std::runtime_error);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root_)) ++entries;
  EXPECT_EQ(entries, 1);  // the temporary file of the failed rename is gone
}

}  // namespace
