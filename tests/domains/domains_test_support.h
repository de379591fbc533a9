// Helpers shared by the domain tests: temporary folders, the captured error stream and the
// sample installation's host strings.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/resource_module.h"

namespace domains_test {

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "domains_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make " << pattern;
    // Resolved, so that paths compare equal to the ones the domain normalises.
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
  // Writes `bytes` to the file `name` (folders on the way are made) and gives its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << bytes;
    return Path(name);
  }
  std::string MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(path_ / name);
    return Path(name);
  }

 private:
  std::filesystem::path path_;
};

// Runs `body` and gives what it wrote to the error stream.
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

}  // namespace domains_test
