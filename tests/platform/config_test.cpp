#include "platform/config.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/host_hooks.h"
#include "platform/com_apartment.h"
#include "platform/registry.h"
#include "platform/resource_module.h"
#include "test_support.h"

namespace {

using platform::BindInitParameter;
using platform::ConfigSetting;
using platform::GetConfigValue;

// Section name answered for host string 57004; null answers the empty text.
const char* g_settings_section = "Settings";

std::string TestHostString(unsigned id) {
  switch (id) {
    case 57004:
      return g_settings_section != nullptr ? g_settings_section : "";
    case 57100:
      return "vistafold.ini";
    case 57002:
      return "VISTAFOLD_DATA";
    default:
      return platform::LoadHostString(id);
  }
}

// Sets an environment variable for the life of the object, then restores what was there.
class ScopedVariable {
 public:
  ScopedVariable(const std::string& name, const std::string& value) : name_(name) {
    if (const char* previous = std::getenv(name.c_str())) previous_ = previous;
    setenv(name.c_str(), value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (previous_) {
      setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// The name the lookup puts between the home folder and the settings file.
std::optional<std::string> ProcessUser() {
  const passwd* entry = getpwuid(geteuid());
  if (entry == nullptr || entry->pw_name == nullptr) return std::nullopt;
  return std::string(entry->pw_name);
}

// Empty init parameters, a registry file of a temporary folder (missing until written) and
// host strings that name the settings section, file and data-folder key.
class ConfigLookup : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    g_settings_section = "Settings";
    SetHostStringLookup(&TestHostString);
  }
  void TearDown() override {
    platform::InstallHostStrings();
    platform::ClearInitParametersForTesting();
  }

  // Writes the product key's values ("name=value" lines) into the registry file.
  void WriteRegistry(const std::string& values) {
    folder_.Write("registry.ini", "[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\n" + values);
  }
  // A new folder under the temporary folder.
  std::string MakeFolder(const std::string& relative) {
    std::filesystem::create_directories(folder_.Path(relative));
    return folder_.Path(relative);
  }
  // Writes a settings file with the "Settings" section into folder.
  void WriteSettings(const std::string& folder, const std::string& values) {
    std::ofstream(folder + "/vistafold.ini", std::ios::binary) << "[Settings]\n" << values;
  }
  // Home and data folders configured in the registry, with extra values.
  std::string ConfigureFolders(const std::string& extra = "") {
    home_ = MakeFolder("home");
    data_ = MakeFolder("data");
    WriteRegistry("VISTAFOLD_HOME=" + home_ + "\nVISTAFOLD_DATA=" + data_ + "\n" + extra);
    return home_;
  }

  test_support::TempFolder folder_;
  ScopedVariable registry_{platform::Registry::kFileVariable, folder_.Path("registry.ini")};
  std::string home_;
  std::string data_;
};

TEST_F(ConfigLookup, FirstInitParameterBindingWins) {
  BindInitParameter("USER_DATA", "/first");
  BindInitParameter("USER_DATA", "/second");
  EXPECT_EQ(GetConfigValue("USER_DATA"), "/first");
}

TEST_F(ConfigLookup, InitParameterKeysAreCaseSensitive) {
  BindInitParameter("debugLevel", "3");
  EXPECT_EQ(GetConfigValue("debugLevel"), "3");
  EXPECT_EQ(GetConfigValue("DEBUGLEVEL"), "");
  EXPECT_EQ(GetConfigValue("debuglevel"), "");
}

TEST_F(ConfigLookup, ConcurrentBindersAndReadersLoseNoBinding) {
  g_settings_section = nullptr;  // misses must not read files here
  constexpr int kThreads = 4;
  constexpr int kKeys = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kKeys; ++i) {
        const std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
        BindInitParameter(key, std::to_string(i));
        GetConfigValue("k" + std::to_string((t + 1) % kThreads) + "_" + std::to_string(i));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kKeys; ++i) {
      ASSERT_EQ(GetConfigValue("k" + std::to_string(t) + "_" + std::to_string(i)),
                std::to_string(i));
    }
  }
}

TEST_F(ConfigLookup, RegistryAnswersUnlessAnInitParameterIsBound) {
  WriteRegistry("timeout=250\nUSER_DATA=/registry\n");
  BindInitParameter("USER_DATA", "/init");
  EXPECT_EQ(GetConfigValue("timeout"), "250");
  EXPECT_EQ(GetConfigValue("USER_DATA"), "/init");
}

TEST_F(ConfigLookup, EmptyInitParameterHidesTheRegistryButNotTheSettingsFile) {
  ConfigureFolders("debugLevel=3\ntimeout=250\n");
  WriteSettings(data_, "debugLevel=4\n");
  BindInitParameter("debugLevel", "");
  BindInitParameter("timeout", "");
  EXPECT_EQ(GetConfigValue("debugLevel"), "4");
  EXPECT_EQ(GetConfigValue("timeout"), "");
}

TEST_F(ConfigLookup, SettingsFileOfTheUserInTheHomeFolderComesFirst) {
  std::optional<std::string> user = ProcessUser();
  if (!user) GTEST_SKIP() << "the process user has no name";
  ConfigureFolders();
  WriteSettings(MakeFolder("home/" + *user), "timeout=0\n");
  WriteSettings(data_, "timeout=99\nENABLELOGGING=true\n");
  EXPECT_EQ(GetConfigValue("timeout"), "0");
  // The user's file answers alone: what it lacks is not looked up in the data folder.
  EXPECT_EQ(GetConfigValue("ENABLELOGGING"), "");
}

TEST_F(ConfigLookup, HomeFolderMayComeFromAnInitParameter) {
  std::optional<std::string> user = ProcessUser();
  if (!user) GTEST_SKIP() << "the process user has no name";
  const std::string home = MakeFolder("init-home");
  WriteSettings(MakeFolder("init-home/" + *user), "HOME=/from/settings\n");
  BindInitParameter("VISTAFOLD_HOME", home);
  EXPECT_EQ(GetConfigValue("HOME"), "/from/settings");
}

TEST_F(ConfigLookup, SettingsFileDirectlyInTheHomeFolderIsNotTheUsers) {
  ConfigureFolders();
  WriteSettings(home_, "timeout=1\n");
  EXPECT_EQ(GetConfigValue("timeout"), "");
}

TEST_F(ConfigLookup, DataFolderSettingsFileServesWhenTheUserHasNone) {
  ConfigureFolders();
  WriteSettings(data_, "timeout=99\n");
  EXPECT_EQ(GetConfigValue("timeout"), "99");
}

TEST_F(ConfigLookup, DataFolderServesWhenTheUserFileCannotBeOpenedForWriting) {
  std::optional<std::string> user = ProcessUser();
  if (!user) GTEST_SKIP() << "the process user has no name";
  ConfigureFolders();
  // A folder in the file's place opens for nobody, root included.
  MakeFolder("home/" + *user + "/vistafold.ini");
  WriteSettings(data_, "timeout=99\n");
  EXPECT_EQ(GetConfigValue("timeout"), "99");
}

TEST_F(ConfigLookup, NoSettingsFileWithoutItsSectionName) {
  ConfigureFolders();
  WriteSettings(data_, "timeout=99\n");
  g_settings_section = nullptr;
  EXPECT_EQ(GetConfigValue("timeout"), "");
}

TEST_F(ConfigLookup, HomeFolderConfiguredNowhereEndsTheLookupEmpty) {
  EXPECT_EQ(GetConfigValue("VISTAFOLD_HOME"), "");
  EXPECT_EQ(GetConfigValue("timeout"), "");
}

TEST_F(ConfigLookup, HomeFolderOnlyInTheDataFolderSettingsFileIsFoundThere) {
  const std::string data = MakeFolder("data");
  WriteRegistry("VISTAFOLD_DATA=" + data + "\n");
  WriteSettings(data, "VISTAFOLD_HOME=/from/data\ntimeout=7\n");
  EXPECT_EQ(GetConfigValue("VISTAFOLD_HOME"), "/from/data");
  EXPECT_EQ(GetConfigValue("timeout"), "7");
}

TEST_F(ConfigLookup, SettingPrefersTheConfigurationOverTheEnvironment) {
  WriteRegistry("CONFIGLOG_TEST_SETTING=registry\n");
  ScopedVariable variable("CONFIGLOG_TEST_SETTING", "environment");
  ConfigSetting setting("CONFIGLOG_TEST_SETTING");
  EXPECT_EQ(setting.Value(), "registry");
  EXPECT_TRUE(setting.Found());
}

TEST_F(ConfigLookup, SettingFallsBackToTheEnvironmentVariableOfExactlyThatName) {
  ScopedVariable variable("CONFIGLOG_TEST_SETTING", "environment");
  ConfigSetting setting("CONFIGLOG_TEST_SETTING");
  EXPECT_EQ(setting.Key(), "CONFIGLOG_TEST_SETTING");
  EXPECT_EQ(setting.Value(), "environment");
  EXPECT_TRUE(setting.Found());
  EXPECT_FALSE(ConfigSetting("configlog_test_setting").Found());
}

TEST_F(ConfigLookup, SettingCountsAnEmptyEnvironmentVariableAsFound) {
  ScopedVariable variable("CONFIGLOG_TEST_SETTING", "");
  ConfigSetting setting("CONFIGLOG_TEST_SETTING");
  EXPECT_EQ(setting.Value(), "");
  EXPECT_TRUE(setting.Found());
}

TEST_F(ConfigLookup, SettingResolvesOnlyANewNonEmptyKey) {
  ConfigSetting setting;
  EXPECT_FALSE(setting.Found());
  {
    ScopedVariable variable("CONFIGLOG_TEST_SETTING", "before");
    setting.Resolve("CONFIGLOG_TEST_SETTING");
  }
  ScopedVariable changed("CONFIGLOG_TEST_SETTING", "after");
  setting.Resolve("CONFIGLOG_TEST_SETTING");
  EXPECT_EQ(setting.Value(), "before");
  setting.Resolve("");
  EXPECT_EQ(setting.Key(), "CONFIGLOG_TEST_SETTING");
  EXPECT_EQ(setting.Value(), "before");
  setting.Resolve("CONFIGLOG_TEST_UNSET_SETTING");
  EXPECT_EQ(setting.Value(), "");
  EXPECT_FALSE(setting.Found());
  EXPECT_FALSE(ConfigSetting("A=B").Found());
}

// The COM apartment stand-in, counted per thread.
TEST(ComApartment, NestedInitialisationReportsFalseAndLastUninitialisationEnds) {
  ASSERT_FALSE(platform::ApartmentInitialised());
  EXPECT_EQ(platform::CoInitializeApartment(), platform::kS_OK);
  EXPECT_EQ(platform::CoInitializeApartment(), platform::kS_FALSE);
  EXPECT_TRUE(platform::ApartmentInitialised());
  platform::CoUninitializeApartment();
  EXPECT_TRUE(platform::ApartmentInitialised());
  platform::CoUninitializeApartment();
  EXPECT_FALSE(platform::ApartmentInitialised());
}

TEST(ComApartment, UninitialisingAnUninitialisedThreadChangesNothing) {
  platform::CoUninitializeApartment();
  EXPECT_FALSE(platform::ApartmentInitialised());
  EXPECT_EQ(platform::CoInitializeApartment(), platform::kS_OK);
  platform::CoUninitializeApartment();
}

TEST(ComApartment, EachThreadHasItsOwnApartment) {
  ASSERT_EQ(platform::CoInitializeApartment(), platform::kS_OK);
  platform::HResult other_first = platform::kE_FAIL;
  bool other_saw_initialised = true;
  std::thread other([&] {
    other_saw_initialised = platform::ApartmentInitialised();
    other_first = platform::CoInitializeApartment();
    platform::CoUninitializeApartment();
  });
  other.join();
  EXPECT_FALSE(other_saw_initialised);
  EXPECT_EQ(other_first, platform::kS_OK);
  EXPECT_TRUE(platform::ApartmentInitialised());
  platform::CoUninitializeApartment();
}

}  // namespace
