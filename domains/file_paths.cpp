#include "domains/file_paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "foundation/quire_status.h"
#include "platform/fault_injection.h"
#include "platform/file_io.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string WithSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

// A path on this machine: existence test, then resolution by the system.
std::string NormaliseLocal(const std::string& path) {
  std::string local = WithSlashes(path);
  // The existence test takes the path without trailing separators: a trailing "/" would make a
  // regular file fail the test. The root stays "/".
  while (local.size() > 1 && local.back() == '/') local.pop_back();
  struct stat info {};
  if (local.empty() || ::stat(local.c_str(), &info) != 0) return kInvalidInputPathname;
  // Made absolute as the system's full-path call does, by the text alone: a symbolic link keeps
  // its own name, so an entry reached through its folder's listing and the same entry opened by
  // its path have one full name.
  std::error_code error;
  std::string absolute = std::filesystem::absolute(local, error).lexically_normal().string();
  if (error || absolute.empty()) return kLinkedFileNonexistent;
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  return absolute;
}

// Writes all of `size` bytes, resuming after interruptions and short writes.
bool WriteAll(int descriptor, const char* data, size_t size) {
  while (size > 0) {
    if (platform::InjectFault(platform::Seam::Write)) {
      errno = ENOSPC;
      return false;
    }
    const ssize_t written = ::write(descriptor, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Copies the bytes of `from` into a new temporary file beside `to` and renames it over `to`.
// On failure returns false with the system's reason and removes the temporary file.
bool CopyThroughTemporary(const std::string& from, const std::string& to, std::string& reason) {
  // Only a regular file is copied: the kind is checked before the open, and the open does not
  // block, so a named pipe put in place meanwhile cannot hold the thread either.
  if (const int failure = platform::RegularFileFailure(from); failure != 0) {
    reason = platform::SystemErrorText(failure);
    return false;
  }
  const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (source < 0) {
    reason = platform::SystemErrorText(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = platform::SystemErrorText(S_ISDIR(info.st_mode) ? EISDIR : platform::kNotRegularFile);
    ::close(source);
    return false;
  }
  std::string temporary = to + ".copy-XXXXXX";
  const int target = ::mkstemp(temporary.data());
  if (target < 0) {
    reason = platform::SystemErrorText(errno);
    ::close(source);
    return false;
  }
  int error = 0;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(source, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    if (!WriteAll(target, buffer, static_cast<size_t>(got))) {
      error = errno;
      break;
    }
  }
  // The copy keeps the source's permissions (mkstemp made it private).
  if (error == 0 && ::fchmod(target, info.st_mode & 07777) != 0) error = errno;
  if (::close(target) != 0 && error == 0) error = errno;
  ::close(source);
  if (error == 0 && platform::InjectFault(platform::Seam::Rename)) error = EXDEV;
  if (error == 0 && ::rename(temporary.c_str(), to.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    reason = platform::SystemErrorText(error);
    return false;
  }
  return true;
}

}  // namespace

bool IsPathMarker(const std::string& text) {
  return text == kInvalidInputPathname || text == kLinkedFileNonexistent;
}

std::string NormalisePath(const std::string& path) {
  if (path.size() == 2 && path[1] == ':') return path;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // A network path: "//server/share" is kept as written (with "/" separators) and only what
    // follows it is checked and resolved.
    size_t shareEnd = std::string::npos;
    const auto serverEnd = std::find_if(path.begin() + 2, path.end(), IsSeparator);
    if (serverEnd != path.end()) {
      const auto end = std::find_if(serverEnd + 1, path.end(), IsSeparator);
      if (end != path.end()) shareEnd = static_cast<size_t>(end - path.begin());
    }
    if (shareEnd == std::string::npos) return WithSlashes(path);
    std::string prefix = WithSlashes(path.substr(0, shareEnd));
    const std::string rest = path.substr(shareEnd);
    if (std::all_of(rest.begin(), rest.end(), IsSeparator)) return prefix;
    const std::string local = NormaliseLocal(rest);
    if (IsPathMarker(local)) return local;
    return prefix + local;
  }
  return NormaliseLocal(path);
}

FileNameParts DecomposeFullName(const std::string& fullName) {
  FileNameParts parts;
  if (fullName.size() == 1 && IsSeparator(fullName[0])) {
    parts.simpleName = parts.namePrefix = parts.nameMinusExtension = fullName;
    return parts;
  }
  size_t cut = std::string::npos;
  for (size_t i = fullName.size(); i-- > 1;) {
    if (IsSeparator(fullName[i])) {
      cut = i;
      break;
    }
  }
  if (cut != std::string::npos) {
    parts.parent = NormalisePath(fullName.substr(0, cut));
    parts.simpleName = fullName.substr(cut + 1);
  } else if (!fullName.empty() && IsSeparator(fullName[0])) {
    // An entry of the root folder.
    parts.parent = std::string(1, '/');
    parts.simpleName = fullName.substr(1);
  } else {
    // No folder part at all (a drive name, a marker): the whole text is the simple name.
    parts.simpleName = fullName;
  }
  const std::string& simple = parts.simpleName;
  parts.namePrefix = simple.substr(0, simple.find('.'));
  const size_t lastDot = simple.rfind('.');
  if (lastDot != std::string::npos && lastDot >= 1) {
    parts.extension = simple.substr(lastDot + 1);
    parts.nameMinusExtension = simple.substr(0, lastDot);
  } else {
    parts.nameMinusExtension = simple;
  }
  return parts;
}

void CopyFileTo(const std::string& source, const std::string& destination, bool overwrite,
                QuireStatus& status) {
  status = QuireStatus();
  const std::string from = NormalisePath(source);
  if (IsPathMarker(from)) {
    std::cerr << "Failed to copy file (destination file doesn't exist): " << source << " to "
              << destination << "\n";
    status = QuireStatus(kProcessingError, host_message::kFileNotCopied, source, destination);
    return;
  }
  if (!overwrite && !IsPathMarker(NormalisePath(destination))) {
    std::cerr << "Failed to copy file (destination file already exists): " << source << " to "
              << destination << "\n";
    status =
        QuireStatus(kProcessingError, host_message::kCopyDestinationExists, source, destination);
    return;
  }
  std::string reason;
  if (!CopyThroughTemporary(from, WithSlashes(destination), reason)) {
    std::cerr << "Failed to copy file: " << source << " to " << destination << ": " << reason
              << "\n";
    status = QuireStatus(kProcessingError, host_message::kFileNotCopied, source, destination);
  }
}
