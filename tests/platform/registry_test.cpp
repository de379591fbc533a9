#include "platform/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace {

using platform::Registry;

constexpr const char* kProductKey = "SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD";

class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv(Registry::kFileVariable);
    if (previous != nullptr) previous_ = previous;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "registry_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    if (previous_) {
      setenv(Registry::kFileVariable, previous_->c_str(), 1);
    } else {
      unsetenv(Registry::kFileVariable);
    }
    std::filesystem::remove_all(folder_);
  }

  // Writes the registry file and points the variable at it.
  void UseRegistry(const std::string& text, const std::string& name = "registry.ini") {
    std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    setenv(Registry::kFileVariable, path.c_str(), 1);
  }

  std::filesystem::path folder_;
  std::optional<std::string> previous_;
};

TEST_F(RegistryFile, ValueIsFoundThroughTheEnvironmentVariable) {
  UseRegistry("[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nVISTAFOLD_HOME = /opt/home\n");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "VISTAFOLD_HOME"), "/opt/home");
}

TEST_F(RegistryFile, KeyPathAndValueNameCompareWithoutCase) {
  UseRegistry("[Software\\Norvane Software\\Vistafold]\ndebugLevel=3\n");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "DEBUGLEVEL"), "3");
}

TEST_F(RegistryFile, RootKeyPrefixInTheSectionNameIsAccepted) {
  UseRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\na=long form\n"
      "[hklm\\SOFTWARE\\Other]\nb=short form\n");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "a"), "long form");
  EXPECT_EQ(Registry::ReadLocalMachineString("SOFTWARE\\Other", "b"), "short form");
  EXPECT_EQ(Registry::ReadLocalMachineString("HKLM\\SOFTWARE\\Other", "b"), "short form");
}

TEST_F(RegistryFile, BackslashesAreMatchedAsWritten) {
  UseRegistry("[SOFTWARE/NORVANE SOFTWARE/VISTAFOLD]\na=slashes\n");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "a"), std::nullopt);
}

TEST_F(RegistryFile, MissingKeyOrValueIsAbsentAndEmptyValueIsPresent) {
  UseRegistry("[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nempty=\n");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "other"), std::nullopt);
  EXPECT_EQ(Registry::ReadLocalMachineString("SOFTWARE\\Elsewhere", "empty"), std::nullopt);
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "empty"), "");
}

TEST_F(RegistryFile, MissingVariableOrFileIsAnEmptyRegistry) {
  unsetenv(Registry::kFileVariable);
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "VISTAFOLD_HOME"), std::nullopt);
  setenv(Registry::kFileVariable, (folder_ / "absent.ini").c_str(), 1);
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "VISTAFOLD_HOME"), std::nullopt);
  setenv(Registry::kFileVariable, "", 1);
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "VISTAFOLD_HOME"), std::nullopt);
}

TEST_F(RegistryFile, VariableIsReadAtEachLookup) {
  UseRegistry("[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nv=one\n", "one.ini");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "v"), "one");
  UseRegistry("[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nv=two\n", "two.ini");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "v"), "two");
}

TEST_F(RegistryFile, FirstSectionNamingTheKeyIsTheKey) {
  UseRegistry(
      "[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nv=first\n"
      "[HKLM\\SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nv=second\nw=only-later\n");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "v"), "first");
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "w"), std::nullopt);
}

}  // namespace
