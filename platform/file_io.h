// Whole-file reads and replacements, shared by every layer that reads or writes a file in one go.
// Only regular files are read or replaced: a path that names a folder, a device, a named pipe or
// a socket is refused without blocking and left as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The most that a whole-file read takes in (256 MiB): far beyond any template, page, settings
// or picture file, and short of what would exhaust the memory of the host process.
inline constexpr std::size_t kMaxWholeFileBytes = std::size_t{256} << 20;

// The failure of a whole-file read or replacement whose path names a device, a named pipe or a
// socket; it has no errno of its own, and SystemErrorText names it.
inline constexpr int kNotRegularFile = -1;

// Appends the whole regular file to `bytes`. Returns 0 or the failure: the errno of the open or
// the read, EISDIR for a folder, kNotRegularFile for another kind of file, EFBIG for a file of
// more than kMaxWholeFileBytes. On failure `bytes` is as it was. Any thread.
int ReadRegularFile(const std::string& path, std::string& bytes);

// 0 when `path` names a regular file, found without opening it (so a named pipe never blocks);
// otherwise EISDIR for a folder, kNotRegularFile for another kind, or the errno of reading its
// status. `size` (when not null) receives the file's size. Any thread.
int RegularFileFailure(const std::string& path, std::uint64_t* size = nullptr);

// The same, with the failure as `reason`: "Cannot open the file: <text>." when it could not be
// opened, "Cannot read the file: <text>." otherwise (SystemErrorText of the failure).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason);

// Writes `bytes` to a new file beside `path` and renames it over `path`, so that a failure or a
// crash never leaves a half-written target and a reader never sees one. The new file takes the
// mode of the file it replaces and, where this process may give it, its owner and group. Returns
// 0 or the failure: ReplaceableFileFailure before anything is written, else an errno; the
// temporary file is removed on failure. Any thread.
int ReplaceFile(const std::string& path, std::string_view bytes);

// ReplaceFile for a file written in pieces, so that a large file is never held whole: Open,
// Write each piece, Commit. Each returns 0 or the failure (a failed step fails every later one);
// until Commit succeeds `path` is as it was, and a replacement dropped without it removes its
// temporary file. A long file reserves its blocks on the disk ahead of its writes, which makes
// them cheaper; what was not written is given back at Commit. One thread at a time.
class FileReplacement {
 public:
  // How Commit puts the new file in the place of an existing one.
  enum class Placement {
    // A rename over it. ext4 then writes the new file's data out before the rename reaches its
    // journal, so that after a power failure the path holds the old file or the whole new one.
    kRename,
    // An exchange of the two files, then the old one removed: as atomic for readers, but the
    // data is written out later, with the rest. For output that is made again (a generated
    // page), whose immediate write-out costs a large page a tenth of a second.
    kExchange,
  };

  explicit FileReplacement(std::string path, Placement placement = Placement::kRename);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  int Open();
  int Write(std::string_view bytes);
  int Commit();

 private:
  void Abandon();
  // Puts the temporary file in the target's place.
  int Install();
  // Reserves the blocks of a long file ahead of a write of `more` bytes.
  void ReserveAhead(std::size_t more);

  std::string path_;
  Placement placement_;
  std::string temporary_;
  bool replaces_ = false;  // a file was there when the replacement was opened
  int fd_ = -1;
  int failure_ = 0;
  std::uint64_t written_ = 0;   // bytes written so far
  std::uint64_t reserved_ = 0;  // the end of the blocks reserved beyond them
  bool reserving_ = true;       // false once the file system declined a reservation
};

// 0 when ReplaceFile may write `path`: no file is there yet, or a regular file with write
// permission for its owner that this process may write. Otherwise the failure: EISDIR for a
// folder, kNotRegularFile for another kind of file, EACCES for a read-only file (decided by the
// owner's write bit, so a process that may write any file still leaves it), or the errno of
// reading the path's status.
int ReplaceableFileFailure(const std::string& path);

// Tests only: ReplaceFile may write `bytes` more bytes in all, after which its writes fail with
// ENOSPC as on a full disk; a negative value lifts the limit again (the default). Any thread.
void SetWriteSpaceForTesting(long long bytes);

// The system's text for an errno value, or the text of kNotRegularFile.
std::string SystemErrorText(int error);

}  // namespace platform
