#include "platform/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace platform {

std::string SystemErrorText(int error) { return std::generic_category().message(error); }

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    reason = "Cannot open the file: " + SystemErrorText(errno) + ".";
    return false;
  }
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      reason = "Cannot read the file: " + SystemErrorText(errno) + ".";
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

int ReplaceFile(const std::string& path, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  // O_EXCL: a leftover of a crashed writer is never written through; pick another name.
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  int failure = 0;
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      failure = errno;
      break;
    }
    bytes.remove_prefix(static_cast<size_t>(put));
  }
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) failure = errno;
  if (failure != 0) ::unlink(temporary.c_str());
  return failure;
}

}  // namespace platform
