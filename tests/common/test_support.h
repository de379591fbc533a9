// Helpers shared by every test program: a temporary folder, a file's content, the captured error
// stream, the sample installation's host strings, a scoped environment variable and a count.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

#include "platform/resource_module.h"

namespace test_support {

// A fresh folder under the temporary folder (named after prefix), removed with everything in it
// at the end.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot make " << pattern;
      path_ = pattern;
      return;
    }
    // Resolved, so that paths compare equal to the ones the domains normalise.
    path_ = std::filesystem::canonical(pattern);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder itself, or the path of an entry in it.
  std::string Path(const std::string& name = "") const {
    return name.empty() ? path_.string() : (path_ / name).string();
  }
  // Writes text byte for byte to the file name (folders on the way are made) and gives its path.
  std::string Write(const std::string& name, const std::string& text) const {
    std::error_code ignored;
    std::filesystem::create_directories((path_ / name).parent_path(), ignored);
    std::ofstream(path_ / name, std::ios::binary) << text;
    return Path(name);
  }
  // Makes the folder name (and the folders on the way) and gives its path.
  std::string MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(path_ / name);
    return Path(name);
  }

 private:
  std::filesystem::path path_;
};

// The whole content of the file at path, or "" when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs body and gives what it wrote to the error stream.
inline std::string CapturedStderr(const std::function<void()>& body) {
  testing::internal::CaptureStderr();
  body();
  return testing::internal::GetCapturedStderr();
}

// Loads the sample installation's host strings, so that statuses carry their real wording.
inline void LoadSampleHostStrings() {
  std::string error;
  ASSERT_TRUE(platform::HostResources().Load(
      XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", error))
      << error;
}

// How many times part occurs in text (overlaps counted).
inline std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
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

}  // namespace test_support
