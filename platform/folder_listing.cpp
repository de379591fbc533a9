// Folder listings through opendir and readdir.
#include "platform/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <utility>

namespace platform {

std::vector<FolderEntry> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), &::closedir);
  if (!directory) return entries;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (const dirent* entry = ::readdir(directory.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    FolderEntry listed;
    listed.name = entry->d_name;
    listed.path = prefix + listed.name;
    struct stat status {};
    if (::stat(listed.path.c_str(), &status) == 0) {
      listed.folder = S_ISDIR(status.st_mode);
      listed.regular = S_ISREG(status.st_mode);
    }
    entries.push_back(std::move(listed));
  }
  return entries;
}

}  // namespace platform
