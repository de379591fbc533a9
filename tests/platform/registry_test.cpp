#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "test_support.h"

namespace {

using platform::Registry;

constexpr const char* kProductKey = "SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD";

// Points the registry variable at files of a temporary folder and restores it afterwards.
class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* previous = std::getenv(Registry::kFileVariable)) previous_ = previous;
  }
  void TearDown() override {
    if (previous_) {
      setenv(Registry::kFileVariable, previous_->c_str(), 1);
    } else {
      unsetenv(Registry::kFileVariable);
    }
  }
  void UseRegistry(const std::string& text, const std::string& name = "registry.ini") {
    setenv(Registry::kFileVariable, folder_.Write(name, text).c_str(), 1);
  }

  test_support::TempFolder folder_;
  std::optional<std::string> previous_;
};

TEST_F(RegistryFile, FindsValuesOfTheFirstSectionNamingTheKeyIgnoringCase) {
  struct Lookup {
    const char* registry;
    const char* key;
    const char* name;
    std::optional<std::string> expected;
  };
  constexpr const char* kTwice =
      "[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nv=first\nempty=\n"
      "[HKLM\\SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nv=second\nw=only-later\n";
  const Lookup lookups[] = {
      {"[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\nVISTAFOLD_HOME = /opt/home\n", kProductKey,
       "VISTAFOLD_HOME", "/opt/home"},
      {"[Software\\Norvane Software\\Vistafold]\ndebugLevel=3\n", kProductKey, "DEBUGLEVEL", "3"},
      {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\na=long form\n", kProductKey,
       "a", "long form"},
      {"[hklm\\SOFTWARE\\Other]\nb=short form\n", "SOFTWARE\\Other", "b", "short form"},
      {"[hklm\\SOFTWARE\\Other]\nb=short form\n", "HKLM\\SOFTWARE\\Other", "b", "short form"},
      {"[SOFTWARE/NORVANE SOFTWARE/VISTAFOLD]\na=slashes\n", kProductKey, "a", std::nullopt},
      {kTwice, kProductKey, "v", "first"},
      {kTwice, kProductKey, "w", std::nullopt},
      {kTwice, kProductKey, "other", std::nullopt},
      {kTwice, "SOFTWARE\\Elsewhere", "empty", std::nullopt},
      {kTwice, kProductKey, "empty", ""},  // an empty value is present
  };
  for (const Lookup& lookup : lookups) {
    SCOPED_TRACE(std::string(lookup.key) + " " + lookup.name + " in " + lookup.registry);
    UseRegistry(lookup.registry);
    EXPECT_EQ(Registry::ReadLocalMachineString(lookup.key, lookup.name), lookup.expected);
  }
}

TEST_F(RegistryFile, MissingVariableOrFileIsAnEmptyRegistry) {
  unsetenv(Registry::kFileVariable);
  EXPECT_EQ(Registry::ReadLocalMachineString(kProductKey, "VISTAFOLD_HOME"), std::nullopt);
  setenv(Registry::kFileVariable, folder_.Path("absent.ini").c_str(), 1);
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

}  // namespace
