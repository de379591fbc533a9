#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "agent/agent_service.h"
#include "agent/credentials.h"
#include "foundation/host_hooks.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/resource_module.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::Count;
using test_support::ReadFile;
using test_support::WriteFile;

const char kSettingsText[] = "; settings of the test installation\n[Settings]\n";

void Bind(const std::string& name, const std::string& value) {
  platform::BindInitParameter(name, value);
}

// Opens an agent, runs check while it is up, closes it; gives what was shown on stderr.
std::string RunAgent(
    AgentService& service, const std::function<void()>& check = [] {}) {
  return test_support::CapturedStderr([&] {
    service.OpenAgent();
    check();
    service.CloseAgent();
  });
}

// A fresh installation: home (with domains/Vistafold.rsc and the settings file), and a data
// folder and a user-data folder that do not exist yet.
class AgentTest : public testing::Test {
 protected:
  void SetUp() override {
    MakeHome();
    for (const char* name : {"VISTAFOLD_HOME", "VISTAFOLD_RESOURCE", "VISTAFOLD_DATA", "USER_DATA",
                             "ENABLELOGGING", "timeout", "debugLevel"}) {
      unsetenv(name);
    }
    setenv("VISTAFOLD_REGISTRY_FILE", (root_ / "no-registry.ini").c_str(), 1);
    Reset();
  }
  void TearDown() override {
    Reset();
    unsetenv("VISTAFOLD_REGISTRY_FILE");
  }
  void MakeHome() const {
    fs::create_directories(home_ / "domains");
    fs::copy_file(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", Module());
    WriteFile(home_ / "vistafold.ini", kSettingsText);
  }
  fs::path Module() const { return home_ / "domains" / "Vistafold.rsc"; }
  static void Reset() {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
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

  std::string LogText() const { return ReadFile(user_ / "logs" / "xmlagent.log"); }

  test_support::TempFolder folder_;
  fs::path root_ = folder_.Path(), home_ = root_ / "home", data_ = root_ / "data",
           user_ = root_ / "user";
  AgentService service_;
};

// An installation fault names what is missing, in the message box and in the log.
TEST_F(AgentTest, MissingHomeIsShownAndLeavesTheServiceDown) {
  const std::string shown = RunAgent(service_, [this] { EXPECT_FALSE(service_.Initialised()); });
  EXPECT_EQ(shown.rfind("[Vistafold] Cannot find registry entry for VISTAFOLD_HOME\n", 0), 0u)
      << shown;
  EXPECT_NE(shown.find("Critical error: Cannot find registry entry for VISTAFOLD_HOME"),
            std::string::npos)
      << shown;

  // A home folder that is configured but missing is named as the folder.
  Bind("VISTAFOLD_HOME", (root_ / "no-home").string());
  const std::string named = RunAgent(service_);
  EXPECT_NE(named.find("[Vistafold] " + (root_ / "no-home").string() +
                       " does not exist or can not be loaded."),
            std::string::npos)
      << named;

  // A resource folder that holds the module serves it all the same.
  const fs::path resources = root_ / "resources";
  fs::create_directories(resources);
  fs::copy_file(Module(), resources / "Vistafold.rsc");
  Bind("VISTAFOLD_RESOURCE", resources.string());
  RunAgent(service_, [this] { EXPECT_TRUE(service_.Initialised()); });
}

TEST_F(AgentTest, DataFolderIsMadeWithItsAncestorsAndTheSettingsCopyNeverOverwrites) {
  data_ = root_ / "a" / "b" / "c";
  BindInstallation();
  RunAgent(service_);
  EXPECT_EQ(ReadFile(data_ / "vistafold.ini"), kSettingsText);

  WriteFile(data_ / "vistafold.ini", "[Settings]\nmine=1\n");
  RunAgent(service_);
  EXPECT_EQ(ReadFile(data_ / "vistafold.ini"), "[Settings]\nmine=1\n");
}

// Without the resource module the start stops: shown and logged, and no data folder is made.
TEST_F(AgentTest, AMissingResourceModuleIsShownAndStopsTheStart) {
  fs::remove(Module());
  Bind("ENABLELOGGING", "no");
  BindInstallation();
  const std::string shown = RunAgent(service_, [this] {
    EXPECT_FALSE(service_.Initialised());
    EXPECT_EQ(HostString(host_message::kRequiredFileMissing), "");
  });
  // The file that is missing is named, not the setting that could have pointed elsewhere.
  const std::string missing = Module().string() + " does not exist or can not be loaded.";
  EXPECT_EQ(shown.rfind("[Vistafold] " + missing + "\n", 0), 0u) << shown;
  EXPECT_NE(shown.find("Critical error: " + missing), std::string::npos) << shown;
  EXPECT_FALSE(platform::HostResources().IsLoaded());
  EXPECT_FALSE(fs::exists(data_));
}

// Not under a stderr capture, which would hide a stderr left redirected to the log file.
TEST_F(AgentTest, LogFileIsAppendedToAndReleasedAtAShutdownThatRunsOnce) {
  const std::string older(5000, 'x');
  fs::create_directories(user_ / "logs");
  WriteFile(user_ / "logs" / "xmlagent.log", older + "\n");
  BindInstallation();
  service_.OpenAgent();
  service_.Shutdown();
  service_.Shutdown();
  service_.CloseAgent();
  const std::string log = LogText();
  ASSERT_EQ(log.substr(0, older.size() + 1), older + "\n");
  const size_t initializing = log.find(" Informational: Vistafold XML Agent Initializing\n");
  EXPECT_GT(initializing, older.size());
  EXPECT_GT(log.find(" Informational: Vistafold XML Agent Unloading\n"), initializing);
  EXPECT_EQ(Count(log, "Vistafold XML Agent Unloading"), 1u);

  EXPECT_EQ(test_support::CapturedStderr([] {
              std::fputs("after the close\n", stderr);
              std::fflush(stderr);
            }),
            "after the close\n");
  EXPECT_EQ(LogText(), log);
}

class AgentCommandTest : public AgentTest, public testing::WithParamInterface<const char*> {};

// Timeout 0 runs synchronously, any other runs the consumer thread until shutdown; in both modes
// the commands write an empty answer and hand on the credential.
TEST_P(AgentCommandTest, ModeIsSetByTheTimeoutAndTheCommandsAnswerInIt) {
  const bool synchronous = std::string(GetParam()) == "0";
  const fs::path documentFile = root_ / "page.htm", output = user_ / "generated" / "Output.txt";
  WriteFile(documentFile, "<html><body><p>Hello</p></body></html>");
  BindInstallation(GetParam());
  test_support::WriteParameterFile(user_, "FILE_NAME=" + documentFile.string() +
                                              "\nTEMPLATE_ID=t1\n"
                                              "PASSWORD_NAME=ann\nPASSWORD_VALUE=  pw  \n");
  WriteFile(output, "stale result");
  RunAgent(service_, [&] {
    EXPECT_EQ(service_.TimeoutMs(), synchronous ? 0 : 8000);
    EXPECT_EQ(service_.ConsumerThreadRunning(), !synchronous);
    EXPECT_EQ(service_.Generate(), synchronous);
    EXPECT_EQ(ReadFile(output), "");
    ASSERT_EQ(service_.CurrentDomainCredentials().Length(), 1u);
    EXPECT_EQ(service_.CurrentDomainCredentials()[0], Credential("ann", "pw"));
    fs::remove(output);
    service_.GetAncestors();
    EXPECT_TRUE(fs::exists(output));
  });
  EXPECT_FALSE(service_.ConsumerThreadRunning());
  const std::string log = LogText();
  const size_t diabling = log.find(" Informational: Diabling asynchronous mode\n");
  EXPECT_EQ(diabling != std::string::npos, synchronous);
  if (synchronous) {
    EXPECT_LT(diabling, log.find("Vistafold XML Agent Initializing"));
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, AgentCommandTest, testing::Values("0", "8000"));

}  // namespace
