// Helpers shared by the platform tests.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>

#include "foundation/host_hooks.h"
#include "platform/com_error.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/registry.h"
#include "platform/resource_module.h"
#include "tests/common/test_support.h"

// TempFolder, CapturedStderr, LoadSampleHostStrings and ScopedVariable come from the common
// helpers, in this same namespace.
namespace test_support {

// The whole content of the file at path, or "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The code and description of the ComError that body throws; kS_OK and "" when it throws none.
struct ComErrorReport {
  platform::HResult code = platform::kS_OK;
  std::string description;
  bool operator==(const ComErrorReport&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const ComErrorReport& report) {
  return out << std::hex << report.code << std::dec << " \"" << report.description << "\"";
}
inline ComErrorReport ComErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const platform::ComError& error) {
    return {error.Code(), error.Description()};
  }
  return {};
}

// Whether this process has no child at all, running or zombie.
inline bool HasNoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

// A test of the configuration: no init parameters, a fresh log threshold, host strings from the
// given lookup and a registry file in a temporary folder (missing until written); all undone at
// the end.
class ConfigSandbox : public ::testing::Test {
 protected:
  explicit ConfigSandbox(HostStringLookup lookup) : lookup_(lookup) {}
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    SetHostStringLookup(lookup_);
  }
  void TearDown() override {
    platform::InstallHostStrings();
    platform::ResetLogThresholdForTesting();
    platform::ClearInitParametersForTesting();
  }
  // Writes the product key's values ("name=value" lines) into the registry file.
  void WriteRegistry(const std::string& values) {
    folder_.Write("registry.ini", "[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\n" + values);
  }

  TempFolder folder_;

 private:
  ScopedVariable registry_{platform::Registry::kFileVariable, folder_.Path("registry.ini")};
  HostStringLookup lookup_;
};

}  // namespace test_support
