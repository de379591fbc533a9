// Helpers shared by the platform tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "foundation/host_hooks.h"
#include "platform/com_error.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/registry.h"
#include "platform/resource_module.h"

namespace test_support {

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "test_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make " << pattern;
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // The folder itself, or the path of a file in it.
  std::string Path(const std::string& name = "") const {
    return name.empty() ? path_.string() : (path_ / name).string();
  }
  // Writes text byte for byte to the file name in the folder and gives its path.
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
    return Path(name);
  }

 private:
  std::filesystem::path path_;
};

// Runs body and gives what it wrote to stderr.
inline std::string CapturedStderr(const std::function<void()>& body) {
  testing::internal::CaptureStderr();
  body();
  return testing::internal::GetCapturedStderr();
}

// Expects body to throw a ComError with this code and, unless description is empty, this text.
inline void ExpectComError(const std::function<void()>& body, platform::HResult code,
                           const std::string& description = "") {
  try {
    body();
    ADD_FAILURE() << "no ComError was thrown";
  } catch (const platform::ComError& error) {
    EXPECT_EQ(error.Code(), code) << error.Description();
    if (!description.empty()) {
      EXPECT_EQ(error.Description(), description);
    }
  }
}

// The whole content of the file at path, or "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The code and description of the ComError that body throws; kS_OK and "" when it throws none.
struct ComErrorReport {
  platform::HResult code = platform::kS_OK;
  std::string description;
};
inline ComErrorReport ComErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const platform::ComError& error) {
    return {error.Code(), error.Description()};
  }
  return {};
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
