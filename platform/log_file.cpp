// The watched log file and its rotation, shared by the log writer and the log redirection.
#include "platform/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/config.h"
#include "platform/fault_injection.h"

namespace platform {
namespace {

struct WatchedFile {
  bool watching = false;
  std::string path;
  int descriptor = -1;
  std::uint64_t maxBytes = 0;
};

std::mutex g_watch_mutex;
WatchedFile g_watched;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Puts the file at the path in place of every descriptor that wrote into the old one.
void Rotate(const struct stat& old) {
  std::fflush(stdout);
  std::fflush(stderr);
  const std::string previous = g_watched.path + ".1";
  int fd = -1;
  if (!InjectFault(Seam::Rename) && ::rename(g_watched.path.c_str(), previous.c_str()) == 0) {
    fd = ::open(g_watched.path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) ::rename(previous.c_str(), g_watched.path.c_str());
  }
  if (fd < 0) {
    // No new file can be begun: the old one starts again rather than grow without end.
    if (::ftruncate(STDERR_FILENO, 0) != 0) g_watched.watching = false;
    return;
  }
  struct stat output {};
  if (::fstat(STDOUT_FILENO, &output) == 0 && SameFile(output, old)) ::dup2(fd, STDOUT_FILENO);
  ::dup2(fd, STDERR_FILENO);
  if (g_watched.descriptor > STDERR_FILENO) ::dup2(fd, g_watched.descriptor);
  if (fd != g_watched.descriptor) ::close(fd);
}

}  // namespace

std::uint64_t ConfiguredLogMaxBytes() {
  const std::string value = ConfigSetting(kLogMaxBytesKey).Value();
  if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
    return kDefaultLogMaxBytes;
  }
  errno = 0;
  const unsigned long long parsed = std::strtoull(value.c_str(), nullptr, 10);
  if (errno != 0 || parsed == 0) return kDefaultLogMaxBytes;
  return parsed;
}

void WatchLogFile(const std::string& path, int descriptor, std::uint64_t maxBytes) {
  std::lock_guard<std::mutex> lock(g_watch_mutex);
  g_watched = WatchedFile{true, path, descriptor, maxBytes};
}

void StopWatchingLogFile() {
  std::lock_guard<std::mutex> lock(g_watch_mutex);
  g_watched = WatchedFile{};
}

void RotateLogFileIfFull(std::size_t lineBytes) {
  std::lock_guard<std::mutex> lock(g_watch_mutex);
  if (!g_watched.watching) return;
  struct stat error {};
  struct stat named {};
  // Standard error may have been sent elsewhere since: only the watched file is rotated.
  if (::fstat(STDERR_FILENO, &error) != 0 || !S_ISREG(error.st_mode)) return;
  if (::stat(g_watched.path.c_str(), &named) != 0 || !SameFile(error, named)) return;
  const auto size = static_cast<std::uint64_t>(error.st_size);
  if (size == 0 || size + lineBytes <= g_watched.maxBytes) return;
  Rotate(error);
}

}  // namespace platform
