#include "platform/config.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/resource_module.h"
#include "test_support.h"

namespace platform {
namespace {

using test_support::ScopedVariable;

// Section name answered for host string kSettingsSectionStringId; null answers the empty text.
const char* g_settings_section = "Settings";

std::string TestHostString(unsigned id) {
  if (id == kSettingsSectionStringId)
    return g_settings_section != nullptr ? g_settings_section : "";
  if (id == kSettingsFileStringId) return "vistafold.ini";
  if (id == kDataFolderKeyStringId) return "VISTAFOLD_DATA";
  return LoadHostString(id);
}

// The name the lookup puts between the home folder and the settings file; "" when unknown.
std::string ProcessUser() {
  const passwd* entry = getpwuid(geteuid());
  return entry != nullptr && entry->pw_name != nullptr ? entry->pw_name : "";
}

// Host strings that name the settings section, file and data-folder key.
class ConfigLookup : public test_support::ConfigSandbox {
 protected:
  ConfigLookup() : ConfigSandbox(&TestHostString) { g_settings_section = "Settings"; }

  // Writes a settings file into the folder at that relative path, made when missing.
  void WriteSettings(const std::string& relative, const std::string& values) {
    std::filesystem::create_directories(folder_.Path(relative));
    folder_.Write(relative + "/vistafold.ini", "[Settings]\n" + values);
  }
  // Configures the folders "home" and "data" in the registry, with extra registry values.
  void ConfigureFolders(const std::string& extra = "") {
    WriteRegistry("VISTAFOLD_HOME=" + folder_.Path("home") +
                  "\nVISTAFOLD_DATA=" + folder_.Path("data") + "\n" + extra);
  }
};

TEST_F(ConfigLookup, InitParametersComeBeforeTheRegistryAndTheirKeysAreCaseSensitive) {
  WriteRegistry("USER_DATA=/registry\ntimeout=250\n");
  BindInitParameter("USER_DATA", "/first");
  BindInitParameter("debugLevel", "3");
  EXPECT_EQ(GetConfigValue("USER_DATA"), "/first");
  EXPECT_EQ(GetConfigValue("timeout"), "250");
  EXPECT_EQ(GetConfigValue("DEBUGLEVEL"), "");
}

TEST_F(ConfigLookup, ConcurrentBindersAndReadersLoseNoBinding) {
  g_settings_section = nullptr;  // misses must not read files here
  auto key = [](int t, int i) { return "k" + std::to_string(t) + "_" + std::to_string(i); };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, key] {
      for (int i = 0; i < 300; ++i) {
        BindInitParameter(key(t, i), std::to_string(i));
        GetConfigValue(key((t + 1) % 4, i));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) {
    for (int i = 0; i < 300; ++i) ASSERT_EQ(GetConfigValue(key(t, i)), std::to_string(i));
  }
}

TEST_F(ConfigLookup, EmptyInitParameterHidesTheRegistryButNotTheSettingsFile) {
  ConfigureFolders("debugLevel=3\ntimeout=250\n");
  WriteSettings("data", "debugLevel=4\n");
  BindInitParameter("debugLevel", "");
  BindInitParameter("timeout", "");
  EXPECT_EQ(GetConfigValue("debugLevel"), "4");
  EXPECT_EQ(GetConfigValue("timeout"), "");
}

// A folder in the user file's place opens for nobody (root included), so the data folder's serves.
TEST_F(ConfigLookup, SettingsFileIsTheUsersInTheHomeFolderElseTheDataFolders) {
  const std::string user = ProcessUser();
  if (user.empty()) GTEST_SKIP() << "the process user has no name";
  ConfigureFolders();
  WriteSettings("data", "timeout=99\nENABLELOGGING=true\n");
  std::filesystem::create_directories(folder_.Path("home/" + user + "/vistafold.ini"));
  EXPECT_EQ(GetConfigValue("timeout"), "99");
  std::filesystem::remove(folder_.Path("home/" + user + "/vistafold.ini"));
  WriteSettings("home/" + user, "timeout=0\n");
  EXPECT_EQ(GetConfigValue("timeout"), "0");
  EXPECT_EQ(GetConfigValue("ENABLELOGGING"), "");  // the user's file answers alone
}

TEST_F(ConfigLookup, HomeFolderConfiguredNowhereEndsTheLookupWithoutRecursion) {
  EXPECT_EQ(GetConfigValue("VISTAFOLD_HOME"), "");
  // Named only in the data folder's settings file, the home folder is found there.
  WriteRegistry("VISTAFOLD_DATA=" + folder_.Path("data") + "\n");
  WriteSettings("data", "VISTAFOLD_HOME=/from/data\ntimeout=7\n");
  EXPECT_EQ(GetConfigValue("VISTAFOLD_HOME"), "/from/data");
  EXPECT_EQ(GetConfigValue("timeout"), "7");
}

// A variable that exists counts as found even when empty.
TEST_F(ConfigLookup, SettingFallsBackToTheEnvironmentVariableOfExactlyThatName) {
  ScopedVariable variable("CONFIGLOG_TEST_SETTING", "environment");
  EXPECT_EQ(ConfigSetting("CONFIGLOG_TEST_SETTING").Value(), "environment");
  EXPECT_FALSE(ConfigSetting("configlog_test_setting").Found());
  ScopedVariable empty("CONFIGLOG_TEST_EMPTY", "");
  EXPECT_TRUE(ConfigSetting("CONFIGLOG_TEST_EMPTY").Found());
  WriteRegistry("CONFIGLOG_TEST_SETTING=registry\n");
  EXPECT_EQ(ConfigSetting("CONFIGLOG_TEST_SETTING").Value(), "registry");
}

TEST_F(ConfigLookup, SettingResolvesOnlyANewNonEmptyKey) {
  ScopedVariable variable("CONFIGLOG_TEST_SETTING", "before");
  ConfigSetting setting("CONFIGLOG_TEST_SETTING");
  ScopedVariable changed("CONFIGLOG_TEST_SETTING", "after");
  setting.Resolve("CONFIGLOG_TEST_SETTING");  // the key already held: not looked up again
  setting.Resolve("");
  EXPECT_EQ(setting.Value(), "before");
  setting.Resolve("CONFIGLOG_TEST_UNSET_SETTING");
  EXPECT_FALSE(setting.Found());
}

}  // namespace
}  // namespace platform
