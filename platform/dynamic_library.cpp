#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "foundation/text_helpers.h"
#include "platform/fault_injection.h"
#include "platform/folder_listing.h"

namespace platform {

namespace {

// dlerror's text is per thread and cleared by reading it, so it is read once, right away.
std::string TakeLoaderError(const std::string& fallback) {
  const char* text = dlerror();
  return text != nullptr ? std::string(text) : fallback;
}

}  // namespace

DynamicLibrary::~DynamicLibrary() { Close(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      lastError_(std::move(other.lastError_)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
    lastError_ = std::move(other.lastError_);
  }
  return *this;
}

bool DynamicLibrary::Open(const std::string& path) {
  Close();
  lastError_.clear();
  if (path.empty()) {
    // dlopen would hand back the running program itself.
    lastError_ = "no library path was given";
    return false;
  }
  dlerror();
  if (InjectFault(Seam::LoadLibrary)) {
    lastError_ = path + ": cannot open shared object file: Cannot allocate memory";
    return false;
  }
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    lastError_ = TakeLoaderError(path + ": cannot be loaded");
    return false;
  }
  path_ = path;
  return true;
}

void DynamicLibrary::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
}

void* DynamicLibrary::Symbol(const std::string& name) {
  lastError_.clear();
  if (handle_ == nullptr) {
    lastError_ = "no library is open to look up " + name;
    return nullptr;
  }
  dlerror();
  void* address = dlsym(handle_, name.c_str());
  if (address == nullptr) {
    lastError_ = TakeLoaderError(path_ + ": undefined symbol: " + name);
    return nullptr;
  }
  return address;
}

std::string DynamicLibrary::FindFileIgnoringCase(const std::string& folder,
                                                 const std::string& fileName) {
  if (folder.empty() || fileName.empty() || fileName.find('/') != std::string::npos ||
      fileName == "." || fileName == "..") {
    return {};
  }
  std::string found;
  std::string foundName;
  for (const FolderEntry& entry : ListFolder(folder)) {
    if (!EqualsIgnoringCase(entry.name, fileName) || !entry.regular) continue;
    // Folders list in no set order; an exact match, else the first name in byte order, makes
    // the answer the same on every run.
    if (entry.name == fileName) return entry.path;
    if (found.empty() || entry.name < foundName) {
      found = entry.path;
      foundName = entry.name;
    }
  }
  return found;
}

}  // namespace platform
