// Helpers shared by the agent tests (TempFolder, ReadFile etc. come from the platform tests).
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/platform/test_support.h"

namespace test_support {

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Writes userData/generated/ParameterFile.txt, making the folder when missing.
inline void WriteParameterFile(const std::filesystem::path& userData, const std::string& text) {
  std::filesystem::create_directories(userData / "generated");
  WriteFile(userData / "generated" / "ParameterFile.txt", text);
}

// Sends stderr (the log) into a file while the object lives, keeping lines of all threads.
class StderrToFile {
 public:
  explicit StderrToFile(std::string path) : path_(std::move(path)) {
    std::fflush(stderr);
    saved_ = ::dup(2);
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (saved_ < 0 || fd < 0 || ::dup2(fd, 2) < 0) ADD_FAILURE() << "cannot redirect stderr";
    if (fd >= 0) ::close(fd);
  }
  ~StderrToFile() {
    std::fflush(stderr);
    if (saved_ < 0) return;
    ::dup2(saved_, 2);
    ::close(saved_);
  }
  StderrToFile(const StderrToFile&) = delete;
  StderrToFile& operator=(const StderrToFile&) = delete;

  // What was written since offset mark.
  std::string Since(size_t mark) const {
    std::fflush(stderr);
    const std::string text = ReadFile(path_);
    return mark < text.size() ? text.substr(mark) : std::string();
  }

 private:
  std::string path_;
  int saved_ = -1;
};

}  // namespace test_support
