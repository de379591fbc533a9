#include "agent/agent.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "agent/credentials.h"
#include "agent/request_queue.h"
#include "foundation/host_hooks.h"
#include "platform/com_apartment.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/resource_module.h"

namespace {

namespace fs = std::filesystem;

const char kSampleResources[] = XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc";
const char kSettingsText[] = "; settings of the test installation\n[Settings]\n";

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A fresh installation in a temporary folder: home (with domains/Vistafold.rsc and the settings
// file), a data folder and a user-data folder that do not exist yet.
class AgentTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "agent_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    home_ = root_ / "home";
    data_ = root_ / "data";
    user_ = root_ / "user";
    fs::create_directories(home_ / "domains");
    fs::copy_file(kSampleResources, home_ / "domains" / "Vistafold.rsc");
    WriteAll(home_ / "vistafold.ini", kSettingsText);
    for (const char* name : {"VISTAFOLD_HOME", "VISTAFOLD_RESOURCE", "VISTAFOLD_DATA", "USER_DATA",
                             "ENABLELOGGING", "timeout", "debugLevel"}) {
      unsetenv(name);
    }
    setenv("VISTAFOLD_REGISTRY_FILE", (root_ / "no-registry.ini").c_str(), 1);
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    unsetenv("VISTAFOLD_REGISTRY_FILE");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  static void Bind(const std::string& name, const std::string& value) {
    platform::BindInitParameter(name, value);
  }

  // Binds the folders, the timeout and the log switches; earlier bindings win.
  void BindInstallation(const std::string& timeout = "0") {
    Bind("VISTAFOLD_HOME", home_.string());
    Bind("VISTAFOLD_DATA", data_.string());
    Bind("USER_DATA", user_.string());
    Bind("timeout", timeout);
    Bind("ENABLELOGGING", "true");
    Bind("debugLevel", "5");
    fs::create_directories(user_);
  }

  std::string LogText() const { return ReadAll(user_ / "logs" / "xmlagent.log"); }

  void WriteParameterFile(const std::string& text) const {
    fs::create_directories(user_ / "generated");
    WriteAll(user_ / "generated" / "ParameterFile.txt", text);
  }

  fs::path root_, home_, data_, user_;
};

TEST_F(AgentTest, MissingHomeIsShownAndLeavesTheServiceDown) {
  testing::internal::CaptureStderr();
  {
    Agent agent("My agent");
    EXPECT_NE(agent.Core(), nullptr);
    EXPECT_EQ(AgentCore::Current(), agent.Core());
    EXPECT_FALSE(AgentService().initialised);
    EXPECT_FALSE(platform::HostResources().IsLoaded());
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[Vistafold] Cannot find registry entry for VISTAFOLD_HOME\n");
  EXPECT_EQ(AgentCore::Current(), nullptr);
}

TEST_F(AgentTest, ResourceModuleFromHomeDomainsElseTheResourceFolderIsLoadedUntilShutdown) {
  BindInstallation();
  for (int round = 0; round < 2; ++round) {
    {
      Agent agent("My agent");
      EXPECT_TRUE(AgentService().initialised);
      EXPECT_EQ(HostString(40188), "A required file is missing: %1");
    }
    EXPECT_FALSE(AgentService().initialised);
    EXPECT_FALSE(platform::HostResources().IsLoaded());
    if (round == 0) {
      fs::rename(home_ / "domains" / "Vistafold.rsc", root_ / "Vistafold.rsc");
      Bind("VISTAFOLD_RESOURCE", root_.string());
    }
  }
}

TEST_F(AgentTest, MissingResourceModuleIsShownAndStopsTheStart) {
  fs::remove(home_ / "domains" / "Vistafold.rsc");
  BindInstallation();
  testing::internal::CaptureStderr();
  { Agent agent("My agent"); }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[Vistafold] Cannot find registry entry for VISTAFOLD_RESOURCE\n");

  platform::ClearInitParametersForTesting();
  Bind("VISTAFOLD_RESOURCE", root_.string());
  BindInstallation();
  testing::internal::CaptureStderr();
  {
    Agent agent("My agent");
    EXPECT_FALSE(AgentService().initialised);
  }
  EXPECT_EQ(
      testing::internal::GetCapturedStderr(),
      "[Vistafold] " + root_.string() + "/Vistafold.rsc does not exist or can not be loaded.\n");
  EXPECT_FALSE(fs::exists(data_));
}

TEST_F(AgentTest, DataFolderIsMadeWithItsAncestorsAndChildren) {
  data_ = root_ / "a" / "b" / "c";
  BindInstallation();
  Agent agent("My agent");
  for (const char* child : {"logs", "samples", "temp"}) {
    EXPECT_TRUE(fs::is_directory(data_ / child)) << child;
  }
  EXPECT_EQ(ReadAll(data_ / "vistafold.ini"), kSettingsText);
}

TEST_F(AgentTest, SettingsCopyNeverOverwritesAndComesOutWritable) {
  fs::create_directories(data_);
  WriteAll(data_ / "vistafold.ini", "[Settings]\nmine=1\n");
  BindInstallation();
  { Agent agent("My agent"); }
  EXPECT_EQ(ReadAll(data_ / "vistafold.ini"), "[Settings]\nmine=1\n");

  fs::remove(data_ / "vistafold.ini");
  fs::permissions(home_ / "vistafold.ini", fs::perms::owner_read | fs::perms::group_read);
  { Agent agent("My agent"); }
  EXPECT_EQ(ReadAll(data_ / "vistafold.ini"), kSettingsText);
  EXPECT_NE(fs::status(data_ / "vistafold.ini").permissions() & fs::perms::owner_write,
            fs::perms::none);
}

TEST_F(AgentTest, HomeEqualToDataMakesNothing) {
  Bind("VISTAFOLD_DATA", home_.string());
  Bind("ENABLELOGGING", "no");
  BindInstallation();
  testing::internal::CaptureStderr();
  { Agent agent("My agent"); }
  std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(shown.find("[Vistafold]"), std::string::npos) << shown;
  for (const char* child : {"logs", "samples", "temp"}) EXPECT_FALSE(fs::exists(home_ / child));
  EXPECT_FALSE(fs::exists(user_ / "logs"));
}

TEST_F(AgentTest, FolderFailuresAreShownButTheStartGoesOn) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::string shown;
  };
  const fs::path blocker = root_ / "file";
  const Case cases[] = {
      {"no settings file", [this] { fs::remove(home_ / "vistafold.ini"); },
       "A required file is missing: vistafold.ini"},
      {"no data folder", [] { Bind("VISTAFOLD_DATA", ""); },
       "The installation folder (VISTAFOLD_HOME) or the data folder (VISTAFOLD_DATA) is not "
       "configured."},
      {"data under a file", [this, &blocker] { data_ = blocker / "data"; },
       "The folder " + (blocker / "data").string() + " could not be created."},
  };
  WriteAll(blocker, "not a folder");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::ClearInitParametersForTesting();
    data_ = root_ / "data";
    c.arrange();
    Bind("ENABLELOGGING", "no");
    BindInstallation();
    testing::internal::CaptureStderr();
    {
      Agent agent("My agent");
      EXPECT_TRUE(AgentService().initialised);
    }
    EXPECT_EQ(Count(testing::internal::GetCapturedStderr(), "[Vistafold] " + c.shown + "\n"), 1u);
  }
}

TEST_F(AgentTest, LogFileIsAppendedToAndReleasedAtShutdown) {
  const std::string older(5000, 'x');
  fs::create_directories(user_ / "logs");
  WriteAll(user_ / "logs" / "xmlagent.log", older + "\n");
  BindInstallation();
  { Agent agent("My agent"); }
  const std::string log = LogText();
  ASSERT_EQ(log.substr(0, older.size() + 1), older + "\n");
  const size_t initializing = log.find(" Informational: Vistafold XML Agent Initializing\n");
  const size_t unloading = log.find(" Informational: Vistafold XML Agent Unloading\n");
  EXPECT_GT(initializing, older.size());
  EXPECT_NE(unloading, std::string::npos);
  EXPECT_GT(unloading, initializing);

  testing::internal::CaptureStderr();
  std::fputs("after the close\n", stderr);
  std::fflush(stderr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "after the close\n");
  EXPECT_EQ(LogText(), log);
}

TEST_F(AgentTest, LoggingNeedsTrueInSomeLetterCase) {
  Bind("ENABLELOGGING", "yes");
  BindInstallation();
  {
    Agent agent("My agent");
    EXPECT_FALSE(agent.Core()->loggingEnabled);
    EXPECT_EQ(agent.Core()->logFileDescriptor, 0);
  }
  EXPECT_FALSE(fs::exists(user_ / "logs" / "xmlagent.log"));
}

TEST_F(AgentTest, ZeroTimeoutRunsSynchronouslyAndAnyOtherRunsTheConsumerUntilShutdown) {
  for (const char* timeout : {"0", "8000"}) {
    SCOPED_TRACE(timeout);
    fs::remove_all(user_);
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    BindInstallation(timeout);
    const bool synchronous = std::string(timeout) == "0";
    {
      Agent agent("My agent");
      EXPECT_EQ(AgentService().timeoutMs, synchronous ? 0 : 8000);
      EXPECT_EQ(ConsumerThreadRunning(), !synchronous);
    }
    EXPECT_FALSE(ConsumerThreadRunning());
    const std::string log = LogText();
    const size_t diabling = log.find(" Informational: Diabling asynchronous mode\n");
    EXPECT_EQ(diabling != std::string::npos, synchronous);
    if (synchronous) {
      EXPECT_LT(diabling, log.find("Vistafold XML Agent Initializing"));
    }
  }
}

TEST_F(AgentTest, ShutdownRunsOnceAndANewAgentStartsAgain) {
  BindInstallation();
  {
    Agent agent("My agent");
    agent.Shutdown();
    agent.Shutdown();
    agent.Refresh();
    EXPECT_FALSE(AgentService().initialised);
  }
  { Agent agent("My agent"); }
  const std::string log = LogText();
  EXPECT_EQ(Count(log, "Vistafold XML Agent Initializing"), 2u);
  EXPECT_EQ(Count(log, "Vistafold XML Agent Unloading"), 2u);
}

TEST_F(AgentTest, AnApartmentAlreadyInitialisedLeavesTheAgentWithoutCore) {
  BindInstallation();
  WriteParameterFile("FILE_NAME=x\n");
  ASSERT_EQ(platform::CoInitializeApartment(), platform::kS_OK);
  {
    Agent agent("My agent");
    EXPECT_EQ(agent.Core(), nullptr);
    EXPECT_EQ(agent.Generate(), -1);
    agent.GetAncestors();
    agent.Refresh();
    EXPECT_FALSE(AgentService().initialised);
  }
  EXPECT_FALSE(fs::exists(user_ / "generated" / "Output.txt"));
  // The agent balanced its own nested initialisation; ours is the last one left.
  EXPECT_TRUE(platform::ApartmentInitialised());
  platform::CoUninitializeApartment();
  EXPECT_FALSE(platform::ApartmentInitialised());
}

TEST_F(AgentTest, GenerateWithoutParameterFileWritesNothing) {
  Bind("ENABLELOGGING", "no");
  BindInstallation();
  testing::internal::CaptureStderr();
  {
    Agent agent("My agent");
    EXPECT_EQ(agent.Generate(), -1);
  }
  EXPECT_NE(testing::internal::GetCapturedStderr().find(
                "[Vistafold] A required file is missing: generated/ParameterFile.txt\n"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(user_ / "generated"));
}

class AgentCommandTest : public AgentTest, public testing::WithParamInterface<const char*> {};

TEST_P(AgentCommandTest, GenerateWritesAnEmptyOutputForAWellFormedDocument) {
  const std::string document = "<html><body><p>Hello</p></body></html>";
  const fs::path documentFile = root_ / "page.htm";
  WriteAll(documentFile, document);
  BindInstallation(GetParam());
  WriteParameterFile("FILE_NAME=" + documentFile.string() +
                     "\nARTIFACT_LOCATOR=req:7\nTEMPLATE_ID=t1\nPASSWORD_NAME=ann\n"
                     "PASSWORD_VALUE=  pw  \n");
  WriteAll(user_ / "generated" / "Output.txt", "stale result");
  {
    Agent agent("My agent");
    EXPECT_EQ(agent.Generate(), std::string(GetParam()) == "0" ? 1 : 0);
  }
  EXPECT_EQ(ReadAll(user_ / "generated" / "Output.txt"), "");
  EXPECT_EQ(ReadAll(documentFile), document);
  CredentialList credentials = CurrentDomainCredentials();
  ASSERT_EQ(credentials.Length(), 1u);
  EXPECT_EQ(credentials[0], Credential("ann", "pw"));
  const std::string log = LogText();
  EXPECT_LT(log.find(" Debug: " + documentFile.string() + "\n"), log.find(" Debug: req:7\n"));
  EXPECT_NE(log.find(" Debug: req:7\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Modes, AgentCommandTest, testing::Values("0", "8000"));

TEST_F(AgentTest, GetAncestorsWritesItsAnswerAndHandsTheUntrimmedCredential) {
  BindInstallation();
  WriteParameterFile("ARTIFACT_LOCATOR=req:7\nPASSWORD_NAME=ann\nPASSWORD_VALUE=  pw  \n");
  {
    Agent agent("My agent");
    agent.GetAncestors();
  }
  EXPECT_TRUE(fs::exists(user_ / "generated" / "Output.txt"));
  EXPECT_EQ(ReadAll(user_ / "generated" / "Output.txt"), "");
  CredentialList credentials = CurrentDomainCredentials();
  ASSERT_EQ(credentials.Length(), 1u);
  EXPECT_EQ(credentials[0], Credential("ann", "  pw  "));
}

}  // namespace
