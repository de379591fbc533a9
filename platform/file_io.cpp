// Whole-file reads and replacements of regular files, with the checks that keep a named device,
// pipe or folder, or a file far too large, from being read or replaced.
#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/fault_injection.h"

namespace platform {

namespace {

// Closes the descriptor when the scope ends.
class OpenFile {
 public:
  explicit OpenFile(int fd) : fd_(fd) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// 0 for a regular file; EISDIR for a folder, kNotRegularFile for any other kind.
int KindFailure(mode_t mode) {
  if (S_ISREG(mode)) return 0;
  return S_ISDIR(mode) ? EISDIR : kNotRegularFile;
}

// Appends the regular file to `bytes`; 0 or the failure, with `opening` telling whether the file
// could not be opened at all. What was appended before a failure stays.
int AppendRegularFile(const std::string& path, std::string& bytes, bool& opening) {
  opening = true;
  // Without blocking: opening a named pipe would otherwise wait for a writer.
  OpenFile file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.Get() < 0) return errno;
  opening = false;
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) return errno;
  if (const int failure = KindFailure(status.st_mode)) return failure;
  if (static_cast<unsigned long long>(status.st_size) > kMaxWholeFileBytes) return EFBIG;
  const int flags = ::fcntl(file.Get(), F_GETFL);
  if (flags < 0 || ::fcntl(file.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return errno;
  const size_t start = bytes.size();
  bytes.reserve(start + static_cast<size_t>(status.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) return 0;
    // A file that grows while it is read is held to the same limit.
    if (bytes.size() - start + static_cast<size_t>(got) > kMaxWholeFileBytes) return EFBIG;
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

// What ReplaceFile may still write before the disk counts as full; negative: no limit.
std::atomic<long long> writeSpace{-1};

// write(2), or ENOSPC once the space that a test set is used up.
ssize_t WriteSome(int fd, const char* data, size_t size) {
  if (InjectFault(Seam::Write)) {
    errno = ENOSPC;
    return -1;
  }
  long long space = writeSpace.load();
  while (space >= 0) {
    if (space == 0) {
      errno = ENOSPC;
      return -1;
    }
    const long long take = std::min<long long>(space, static_cast<long long>(size));
    if (writeSpace.compare_exchange_weak(space, space - take)) {
      size = static_cast<size_t>(take);
      break;
    }
  }
  return ::write(fd, data, size);
}

// 0 when `path` names no file yet or a regular file that may be replaced, with `existing` and
// `exists` telling which; otherwise the failure.
int CheckReplaceable(const std::string& path, struct stat& existing, bool& exists) {
  exists = false;
  if (::stat(path.c_str(), &existing) != 0) return errno == ENOENT ? 0 : errno;
  exists = true;
  if (const int failure = KindFailure(existing.st_mode)) return failure;
  // A file marked read-only stays, even for a process that may write any file (as root may):
  // the owner's write bit decides, and for others what the system lets this process write.
  if ((existing.st_mode & S_IWUSR) == 0) return EACCES;
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES) return EACCES;
  return 0;
}

}  // namespace

std::string SystemErrorText(int error) {
  if (error == kNotRegularFile) return "Not a regular file (a device, pipe or socket)";
  return std::generic_category().message(error);
}

int ReadRegularFile(const std::string& path, std::string& bytes) {
  const size_t start = bytes.size();
  bool opening = false;
  const int failure = AppendRegularFile(path, bytes, opening);
  if (failure != 0) bytes.resize(start);
  return failure;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason) {
  const size_t start = bytes.size();
  bool opening = false;
  const int failure = AppendRegularFile(path, bytes, opening);
  if (failure == 0) return true;
  bytes.resize(start);
  reason = (opening ? "Cannot open the file: " : "Cannot read the file: ") +
           SystemErrorText(failure) + ".";
  return false;
}

int RegularFileFailure(const std::string& path, std::uint64_t* size) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return errno;
  if (size != nullptr) *size = static_cast<std::uint64_t>(status.st_size);
  return KindFailure(status.st_mode);
}

int ReplaceableFileFailure(const std::string& path) {
  struct stat existing {};
  bool exists = false;
  return CheckReplaceable(path, existing, exists);
}

void SetWriteSpaceForTesting(long long bytes) { writeSpace.store(bytes < 0 ? -1 : bytes); }

int ReplaceFile(const std::string& path, std::string_view bytes) {
  FileReplacement file(path);
  file.Open();
  file.Write(bytes);
  return file.Commit();
}

FileReplacement::FileReplacement(std::string path, Placement placement)
    : path_(std::move(path)), placement_(placement) {}

FileReplacement::~FileReplacement() { Abandon(); }

int FileReplacement::Open() {
  if (failure_ != 0 || fd_ >= 0) return failure_;
  struct stat existing {};
  bool exists = false;
  failure_ = CheckReplaceable(path_, existing, exists);
  if (failure_ != 0) return failure_;
  static std::atomic<unsigned> counter{0};
  // O_EXCL: a leftover of a crashed writer is never written through; pick another name. Private
  // until it has the mode of the file it replaces.
  const mode_t mode = exists ? 0600 : 0666;
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = path_ + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd_ < 0 && errno != EEXIST) failure_ = errno;
    if (failure_ != 0) break;
  }
  if (fd_ < 0) {
    temporary_.clear();  // no file of ours has that name
    if (failure_ == 0) failure_ = EEXIST;
    return failure_;
  }
  replaces_ = exists;
  if (exists) {
    // The owner where this process may give it (first: a change of owner clears set-id bits).
    if (::fchown(fd_, existing.st_uid, existing.st_gid) != 0 && errno != EPERM) failure_ = errno;
    if (failure_ == 0 && ::fchmod(fd_, existing.st_mode & 07777) != 0) failure_ = errno;
  }
  return failure_;
}

int FileReplacement::Write(std::string_view bytes) {
  if (failure_ == 0 && fd_ < 0) failure_ = EBADF;  // not opened
  if (failure_ == 0) ReserveAhead(bytes.size());
  while (failure_ == 0 && !bytes.empty()) {
    const ssize_t put = WriteSome(fd_, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      failure_ = errno;
      break;
    }
    bytes.remove_prefix(static_cast<size_t>(put));
    written_ += static_cast<std::uint64_t>(put);
  }
  return failure_;
}

// A file system that reserves the blocks of each write as it comes (as ext4 does) takes about
// twice as long for a page of tens of megabytes, and four times as long for hundreds, as for
// writes into blocks reserved before. A long file therefore reserves ahead of its writes, in
// steps that double up to 16 MiB, without changing its size; Commit gives back what was not
// written. Where the file system cannot reserve, the file is written as it comes.
void FileReplacement::ReserveAhead(std::size_t more) {
  constexpr std::uint64_t kFirstStep = std::uint64_t{1} << 20;
  constexpr std::uint64_t kLastStep = std::uint64_t{16} << 20;
  const std::uint64_t end = written_ + more;
  if (!reserving_ || end <= reserved_ || end < kFirstStep) return;
  const std::uint64_t from = std::max(reserved_, written_);
  const std::uint64_t step = std::max(std::clamp(from, kFirstStep, kLastStep), end - from);
  if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from), static_cast<off_t>(step)) ==
      0) {
    reserved_ = from + step;
  } else {
    reserving_ = false;
  }
}

int FileReplacement::Commit() {
  if (failure_ == 0 && fd_ < 0) failure_ = EBADF;
  // The blocks reserved beyond the end are given back.
  if (failure_ == 0 && reserved_ > written_ &&
      ::ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
    failure_ = errno;
  }
  if (fd_ >= 0) {
    if (::close(fd_) != 0 && failure_ == 0) failure_ = errno;
    fd_ = -1;
  }
  if (failure_ == 0 && InjectFault(Seam::Rename)) failure_ = EACCES;
  if (failure_ == 0) failure_ = Install();
  if (failure_ == 0) {
    temporary_.clear();  // it is the file now
    return 0;
  }
  Abandon();
  return failure_;
}

int FileReplacement::Install() {
  // Where the file system cannot exchange, or the target has gone meanwhile, the file is renamed.
  if (placement_ == Placement::kExchange && replaces_ &&
      ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path_.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(temporary_.c_str());
    return 0;
  }
  return ::rename(temporary_.c_str(), path_.c_str()) == 0 ? 0 : errno;
}

void FileReplacement::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

}  // namespace platform
