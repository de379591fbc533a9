// The entries of a folder, read with the system's directory calls.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
  std::string name;  // the file name within the folder
  std::string path;  // the folder, "/" and the name
  bool folder = false;
  bool regular = false;
};

// The entries of `folder` without "." and "..", in the order the system gives them, each with its
// kind as the status of its path gives it (a link is followed; an entry whose status cannot be
// read is neither). Empty when the folder cannot be read. A shortage of memory throws
// std::bad_alloc, where std::filesystem's iterators end the process (they advance in a function
// that may not throw). Any thread.
std::vector<FolderEntry> ListFolder(const std::string& folder);

}  // namespace platform
