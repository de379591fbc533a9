// What the fuzz targets of file readers share: one temporary folder per process, removed when
// the process ends, the writing of an input into a file there, and the check that stops the run
// with a message when an invariant fails.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace fuzz_files {

// The process's own folder under the temporary folder (resolved), made on first use. It is
// held on the heap and never freed, so that the exit handler that removes it still has it
// after the static objects are gone.
inline const std::string& Folder() {
  static const std::string* const folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "xmlagent_fuzz_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    const auto* made = new std::string(std::filesystem::canonical(pattern).string());
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Folder(), ignored);
    });
    return made;
  }();
  return *folder;
}

// The path of `name` in the folder.
inline std::string PathOf(std::string_view name) { return Folder() + "/" + std::string(name); }

// Writes the bytes to the file `name` in the folder (replacing it) and gives its path.
inline std::string Write(std::string_view name, std::string_view bytes) {
  const std::string path = PathOf(name);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    std::abort();
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::perror(path.c_str());
    std::abort();
  }
  std::fclose(file);
  return path;
}

// Stops the run when `holds` is false, naming the invariant.
inline void Check(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stdout, "invariant failed: %s\n", invariant);
  std::fflush(stdout);
  std::abort();
}

}  // namespace fuzz_files
