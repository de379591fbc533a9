#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "test_support.h"

namespace {

using platform::Registry;

constexpr const char* kProductKey = "SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD";

// Points the registry variable at files of a temporary folder; it is restored afterwards.
class RegistryFile : public ::testing::Test {
 protected:
  void UseRegistry(const std::string& text) {
    setenv(Registry::kFileVariable, folder_.Write("registry.ini", text).c_str(), 1);
  }

  test_support::TempFolder folder_;
  test_support::ScopedVariable restored_{Registry::kFileVariable, ""};
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
      {"[Software\\Norvane Software\\Vistafold]\ndebugLevel=3\n", kProductKey, "DEBUGLEVEL", "3"},
      {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\na=long form\n", kProductKey,
       "a", "long form"},
      {"[hklm\\SOFTWARE\\Other]\nb=short form\n", "HKLM\\SOFTWARE\\Other", "b", "short form"},
      {kTwice, kProductKey, "v", "first"},
      {kTwice, kProductKey, "w", std::nullopt},
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
}

}  // namespace
