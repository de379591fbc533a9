// Paths of the file-system domain: normalisation to a full name, the decomposition of a full
// name into its parts, and copying a file. "/" separates path components; a backslash is
// accepted as a separator too.
#pragma once

#include <string>

class QuireStatus;

// The full names that stand in for a path that could not be normalised.
inline constexpr char kInvalidInputPathname[] = "<INVALID INPUT PATHNAME>";
inline constexpr char kLinkedFileNonexistent[] = "<LINKED FILE NONEXISTENT>";

// True when `text` is one of the two markers above.
bool IsPathMarker(const std::string& text);

// The absolute, resolved form of `path`. A drive designation ("X:") comes back unchanged; a
// network path ("//server/share/rest", either separator) keeps its server and share and has the
// rest normalised. A path whose status cannot be read gives kInvalidInputPathname; one the
// system cannot resolve gives kLinkedFileNonexistent. Any thread.
std::string NormalisePath(const std::string& path);

// The parts of a full name (see DecomposeFullName).
struct FileNameParts {
  std::string parent;              // the normalised folder part ("" when there is none)
  std::string simpleName;          // the last component
  std::string namePrefix;          // the simple name up to its first "."
  std::string extension;           // after the last "." that is not the first character
  std::string nameMinusExtension;  // the simple name without "." and extension
};

// Cuts `fullName` at its last separator (a separator in the first position only marks the
// root). A lone separator has an empty parent and itself as simple name and prefix. The parent
// is normalised, which reads the file system. Any thread.
FileNameParts DecomposeFullName(const std::string& fullName);

// Copies `source` (normalised first) to `destination`, replacing it when `overwrite` is set. The
// bytes go to a temporary file beside the destination that is then renamed over it, so a failed
// copy leaves no partial file. Failures write one line to the error stream and set kind
// kProcessingError with host_message::kFileNotCopied (source does not normalise, or the copy
// failed) or host_message::kCopyDestinationExists (destination exists and `overwrite` is clear);
// success sets the status to success. Any thread.
void CopyFileTo(const std::string& source, const std::string& destination, bool overwrite,
                QuireStatus& status);
