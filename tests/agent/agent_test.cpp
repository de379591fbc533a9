#include "agent/agent.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>

#include "agent/credentials.h"
#include "agent/request_queue.h"
#include "foundation/host_hooks.h"
#include "platform/com_apartment.h"
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

// Starts an agent, runs check while it is up, shuts it down; gives what was shown on stderr.
std::string RunAgent(const std::function<void(Agent&)>& check = [](Agent&) {}) {
  return test_support::CapturedStderr([&] {
    Agent agent("My agent");
    check(agent);
  });
}

// The message-box lines ("[Vistafold] ...") of what was shown on stderr.
std::string MessageBoxLines(const std::string& shown) {
  std::istringstream in(shown);
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("[Vistafold] ", 0) == 0) lines += line + "\n";
  }
  return lines;
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
};

TEST_F(AgentTest, MissingHomeIsShownAndLeavesTheServiceDown) {
  EXPECT_EQ(RunAgent([](Agent& agent) {
              EXPECT_NE(agent.Core(), nullptr);
              EXPECT_EQ(AgentCore::Current(), agent.Core());
              EXPECT_FALSE(AgentService().initialised);
              EXPECT_FALSE(platform::HostResources().IsLoaded());
            }),
            "[Vistafold] Cannot find registry entry for VISTAFOLD_HOME\n");
  EXPECT_EQ(AgentCore::Current(), nullptr);
}

TEST_F(AgentTest, DataFolderIsMadeWithItsAncestorsAndTheSettingsCopyNeverOverwrites) {
  data_ = root_ / "a" / "b" / "c";
  fs::permissions(home_ / "vistafold.ini", fs::perms::owner_read | fs::perms::group_read);
  BindInstallation();
  RunAgent();
  for (const char* child : {"logs", "samples", "temp"}) {
    EXPECT_TRUE(fs::is_directory(data_ / child)) << child;
  }
  EXPECT_EQ(ReadFile(data_ / "vistafold.ini"), kSettingsText);
  EXPECT_NE(fs::status(data_ / "vistafold.ini").permissions() & fs::perms::owner_write,
            fs::perms::none)
      << "the copy of a read-only file comes out writable";

  WriteFile(data_ / "vistafold.ini", "[Settings]\nmine=1\n");
  RunAgent();
  EXPECT_EQ(ReadFile(data_ / "vistafold.ini"), "[Settings]\nmine=1\n");
}

// The resource module comes from home/domains, else from the resource folder; without it the
// start stops. Folder problems are shown but the start goes on. Each shown line comes once.
TEST_F(AgentTest, StartUpProblemsAreShownAndOnlyAMissingResourceModuleStopsTheStart) {
  const fs::path blocker = root_ / "file";
  WriteFile(blocker, "not a folder");
  const auto moveModule = [this] {
    fs::rename(Module(), root_ / "Vistafold.rsc");
    Bind("VISTAFOLD_RESOURCE", root_.string());
  };
  const struct {
    const char* name;
    std::function<void()> arrange;
    std::string shown;
    bool initialised;
  } cases[] = {
      {"module in home/domains", [] {}, "", true},
      {"module in the resource folder", moveModule, "", true},
      {"no module", [this] { fs::remove(Module()); },
       "Cannot find registry entry for VISTAFOLD_RESOURCE", false},
      {"no module in the resource folder",
       [&] {
         moveModule();
         fs::remove(root_ / "Vistafold.rsc");
       },
       root_.string() + "/Vistafold.rsc does not exist or can not be loaded.", false},
      {"no settings file", [this] { fs::remove(home_ / "vistafold.ini"); },
       "A required file is missing: vistafold.ini", true},
      {"no data folder", [] { Bind("VISTAFOLD_DATA", ""); },
       "The installation folder (VISTAFOLD_HOME) or the data folder (VISTAFOLD_DATA) is not "
       "configured.",
       true},
      {"data under a file", [this, &blocker] { data_ = blocker / "data"; },
       "The folder " + (blocker / "data").string() + " could not be created.", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    fs::remove_all(home_);
    fs::remove_all(root_ / "data");
    MakeHome();
    data_ = root_ / "data";
    c.arrange();
    Bind("ENABLELOGGING", "no");
    BindInstallation();
    const std::string shown = RunAgent([&](Agent&) {
      EXPECT_EQ(AgentService().initialised, c.initialised);
      EXPECT_EQ(HostString(40188), c.initialised ? "A required file is missing: %1" : "");
    });
    EXPECT_EQ(MessageBoxLines(shown), c.shown.empty() ? "" : "[Vistafold] " + c.shown + "\n");
    EXPECT_FALSE(AgentService().initialised);
    EXPECT_FALSE(platform::HostResources().IsLoaded());
    EXPECT_TRUE(c.initialised || !fs::exists(data_)) << "a stopped start makes no data folder";
  }
}

TEST_F(AgentTest, HomeAsDataFolderMakesNothingAndLoggingNeedsTrueInSomeLetterCase) {
  Bind("VISTAFOLD_DATA", home_.string());
  Bind("ENABLELOGGING", "yes");
  BindInstallation();
  const std::string shown = RunAgent([](Agent& agent) {
    EXPECT_FALSE(agent.Core()->loggingEnabled);
    EXPECT_EQ(agent.Core()->logFileDescriptor, 0);
  });
  EXPECT_EQ(MessageBoxLines(shown), "");
  for (const char* child : {"logs", "samples", "temp"}) EXPECT_FALSE(fs::exists(home_ / child));
  EXPECT_FALSE(fs::exists(user_ / "logs"));
}

// Not under a stderr capture, which would hide a stderr left redirected to the log file.
TEST_F(AgentTest, LogFileIsAppendedToAndReleasedAtAShutdownThatRunsOnce) {
  const std::string older(5000, 'x');
  fs::create_directories(user_ / "logs");
  WriteFile(user_ / "logs" / "xmlagent.log", older + "\n");
  BindInstallation();
  {
    Agent agent("My agent");
    agent.Shutdown();
    agent.Shutdown();
    agent.Refresh();
    EXPECT_FALSE(AgentService().initialised);
  }
  { Agent agent("My agent"); }  // a new agent starts again
  const std::string log = LogText();
  ASSERT_EQ(log.substr(0, older.size() + 1), older + "\n");
  const size_t initializing = log.find(" Informational: Vistafold XML Agent Initializing\n");
  const size_t unloading = log.find(" Informational: Vistafold XML Agent Unloading\n");
  EXPECT_GT(initializing, older.size());
  EXPECT_NE(unloading, std::string::npos);
  EXPECT_GT(unloading, initializing);
  EXPECT_EQ(Count(log, "Vistafold XML Agent Initializing"), 2u);
  EXPECT_EQ(Count(log, "Vistafold XML Agent Unloading"), 2u);

  EXPECT_EQ(test_support::CapturedStderr([] {
              std::fputs("after the close\n", stderr);
              std::fflush(stderr);
            }),
            "after the close\n");
  EXPECT_EQ(LogText(), log);
}

TEST_F(AgentTest, AnApartmentAlreadyInitialisedLeavesTheAgentWithoutCore) {
  BindInstallation();
  test_support::WriteParameterFile(user_, "FILE_NAME=x\n");
  ASSERT_EQ(platform::CoInitializeApartment(), platform::kS_OK);
  RunAgent([](Agent& agent) {
    EXPECT_EQ(agent.Core(), nullptr);
    EXPECT_EQ(agent.Generate(), -1);
    agent.GetAncestors();
    agent.Refresh();
    EXPECT_FALSE(AgentService().initialised);
  });
  EXPECT_FALSE(fs::exists(user_ / "generated" / "Output.txt"));
  // The agent balanced its own nested initialisation; ours is the last one left.
  EXPECT_TRUE(platform::ApartmentInitialised());
  platform::CoUninitializeApartment();
  EXPECT_FALSE(platform::ApartmentInitialised());
}

class AgentCommandTest : public AgentTest, public testing::WithParamInterface<const char*> {};

// Timeout 0 runs synchronously, any other runs the consumer thread until shutdown; in both modes
// the commands write an empty answer and hand on the credential.
TEST_P(AgentCommandTest, ModeIsSetByTheTimeoutAndTheCommandsAnswerInIt) {
  const bool synchronous = std::string(GetParam()) == "0";
  const std::string document = "<html><body><p>Hello</p></body></html>";
  const fs::path documentFile = root_ / "page.htm", output = user_ / "generated" / "Output.txt";
  WriteFile(documentFile, document);
  BindInstallation(GetParam());
  test_support::WriteParameterFile(user_, "FILE_NAME=" + documentFile.string() +
                                              "\nARTIFACT_LOCATOR=req:7\nTEMPLATE_ID=t1\n"
                                              "PASSWORD_NAME=ann\nPASSWORD_VALUE=  pw  \n");
  WriteFile(output, "stale result");
  RunAgent([&](Agent& agent) {
    EXPECT_EQ(AgentService().timeoutMs, synchronous ? 0 : 8000);
    EXPECT_EQ(ConsumerThreadRunning(), !synchronous);
    EXPECT_EQ(agent.Generate(), synchronous);
    EXPECT_EQ(ReadFile(output), "");
    ASSERT_EQ(CurrentDomainCredentials().Length(), 1u);
    EXPECT_EQ(CurrentDomainCredentials()[0], Credential("ann", "pw")) << "trimmed for generate";
    fs::remove(output);
    agent.GetAncestors();
    EXPECT_TRUE(fs::exists(output));
    EXPECT_EQ(ReadFile(output), "");
    ASSERT_EQ(CurrentDomainCredentials().Length(), 1u);
    EXPECT_EQ(CurrentDomainCredentials()[0], Credential("ann", "  pw  ")) << "untrimmed: ancestors";
  });
  EXPECT_FALSE(ConsumerThreadRunning());
  EXPECT_EQ(ReadFile(documentFile), document);
  const std::string log = LogText();
  const size_t diabling = log.find(" Informational: Diabling asynchronous mode\n");
  EXPECT_EQ(diabling != std::string::npos, synchronous);
  if (synchronous) {
    EXPECT_LT(diabling, log.find("Vistafold XML Agent Initializing"));
  }
  EXPECT_NE(log.find(" Debug: req:7\n"), std::string::npos);
  EXPECT_LT(log.find(" Debug: " + documentFile.string() + "\n"), log.find(" Debug: req:7\n"));
}

INSTANTIATE_TEST_SUITE_P(Modes, AgentCommandTest, testing::Values("0", "8000"));

}  // namespace
