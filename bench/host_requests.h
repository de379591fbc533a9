// What the whole-request benchmarks share: running the command-line host for one request in a
// process of its own, reading the time its driver logged, writing their input files.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace bench {

namespace fs = std::filesystem;

inline void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Runs the host for one request with its output in `output`. True when it exited with 0.
inline bool RunHost(const fs::path& host, const std::vector<std::string>& arguments,
                    const fs::path& output) {
  std::vector<char*> argv;
  std::string program = host.string();
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t child = 0;
  const int failure = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) return false;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The host's arguments for one logged request about `folder` on the installation `install`.
inline std::vector<std::string> FolderRequest(const fs::path& install, const fs::path& userData,
                                              const fs::path& templateFile,
                                              const fs::path& folder) {
  return {"--home",
          install.string(),
          "--user-data",
          userData.string(),
          "--log",
          "--template",
          templateFile.string(),
          "--locator",
          "FileSys:Directory:FullName=" + folder.string()};
}

// The seconds of the last "generated in" line of the log, or -1.
inline double LoggedSeconds(const fs::path& log) {
  std::ifstream in(log);
  std::string line;
  double seconds = -1;
  while (std::getline(in, line)) {
    const size_t at = line.find(" generated in ");
    if (at != std::string::npos) seconds = std::atof(line.c_str() + at + 14);
  }
  return seconds;
}

// The repository root (the benchmarks find the sample installation there).
inline fs::path SourceRoot() { return fs::path(__FILE__).parent_path().parent_path(); }

}  // namespace bench
