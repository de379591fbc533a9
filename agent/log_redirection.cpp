// The log file that takes over standard output and standard error while the agent is up.
#include "agent/log_redirection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/text_helpers.h"
#include "platform/config.h"
#include "platform/fault_injection.h"
#include "platform/log.h"
#include "platform/log_file.h"

namespace {

bool IsFolder(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A descriptor above 2, so that 0 keeps meaning "no log" and dup2 onto 1 and 2 cannot close it.
int AboveStandardDescriptors(int fd) {
  if (fd > 2) return fd;
  int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  ::close(fd);
  return moved;
}

void RestoreDescriptor(int& saved, int target) {
  if (saved >= 0) {
    ::dup2(saved, target);
    ::close(saved);
  } else {
    ::close(target);
  }
  saved = -1;
}

}  // namespace

void LogRedirection::Open() {
  enabled_ = UppercaseCopy(platform::ConfigSetting("ENABLELOGGING").Value()) == "TRUE";
  if (!enabled_ || fd_ != 0) return;
  const std::string userData = platform::ConfigSetting("USER_DATA").Value();
  if (userData.empty()) return;
  const std::string folder = userData + "/logs";
  if (!IsFolder(folder) && !platform::InjectFault(platform::Seam::MakeFolder)) {
    ::mkdir(folder.c_str(), 0777);
  }
  const std::string path = folder + "/xmlagent.log";
  // Appending: writing from the start would leave the tail of a longer older log behind.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd >= 0) fd = AboveStandardDescriptors(fd);
  if (fd < 0) {
    platform::Log("Cannot open the log file " + path + ": " + std::strerror(errno),
                  platform::kLogCriticalError);
    return;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  // Kept so that Close can hand the host's own output back to where it went before.
  savedStdout_ = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
  savedStderr_ = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
  ::dup2(fd, 1);
  ::dup2(fd, 2);
  fd_ = fd;
  // Kept below "LogMaxBytes" by rotation into xmlagent.log.1.
  platform::WatchLogFile(path, fd_, platform::ConfiguredLogMaxBytes());
}

void LogRedirection::Close() {
  if (fd_ == 0) return;
  platform::StopWatchingLogFile();
  std::fflush(stdout);
  std::fflush(stderr);
  RestoreDescriptor(savedStdout_, 1);
  RestoreDescriptor(savedStderr_, 2);
  ::close(fd_);
  fd_ = 0;
}
