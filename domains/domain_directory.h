// DomainDirectory: the entries of one folder, filtered by a name suffix, in the order in which
// the system lists them.
#pragma once

#include <dirent.h>

#include <string>

class DomainDirectory {
 public:
  // Opens `folder` for listing. A folder that cannot be listed reads as empty and isOpen() is
  // false. Owned by one thread at a time.
  explicit DomainDirectory(const std::string& folder);
  ~DomainDirectory();
  DomainDirectory(const DomainDirectory&) = delete;
  DomainDirectory& operator=(const DomainDirectory&) = delete;

  bool isOpen() const { return handle_ != nullptr; }

  // The name (not the path) of the next entry that is longer than `suffix` and ends with it,
  // compared without regard to ASCII case; an empty suffix takes every entry, "." and ".."
  // included. The empty text after the last entry.
  std::string next(const std::string& suffix = "");

 private:
  DIR* handle_ = nullptr;
};
