#include "domains/domain_directory.h"

#include <cctype>

namespace {

bool EndsWithIgnoringCase(const std::string& name, const std::string& suffix) {
  if (name.size() <= suffix.size()) return false;
  const size_t offset = name.size() - suffix.size();
  for (size_t i = 0; i < suffix.size(); ++i) {
    const auto a = static_cast<unsigned char>(name[offset + i]);
    const auto b = static_cast<unsigned char>(suffix[i]);
    // Only ASCII letters fold: bytes of multibyte characters compare as they are.
    if (a != b && !(a < 0x80 && b < 0x80 && std::tolower(a) == std::tolower(b))) return false;
  }
  return true;
}

}  // namespace

DomainDirectory::DomainDirectory(const std::string& folder) : handle_(::opendir(folder.c_str())) {}

DomainDirectory::~DomainDirectory() {
  if (handle_ != nullptr) ::closedir(handle_);
}

std::string DomainDirectory::next(const std::string& suffix) {
  if (handle_ == nullptr) return {};
  while (const dirent* entry = ::readdir(handle_)) {
    std::string name = entry->d_name;
    if (EndsWithIgnoringCase(name, suffix)) return name;
  }
  return {};
}
