// A shared object loaded at run time: opened with every symbol bound at once and kept private
// to its user, closed when the object goes. Movable, not copyable.
#pragma once

#include <string>

namespace platform {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();

  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  // Closes the library this object held before taking over the other one.
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

  // Loads the shared object at path, closing the one held before. A path without "/" is looked
  // up in the system's library folders. False, with the reason in LastError(), when it fails.
  bool Open(const std::string& path);

  // Unloads the library; pointers got from Symbol must not be used afterwards.
  void Close();

  bool IsOpen() const { return handle_ != nullptr; }

  // The address of the exported symbol, valid while the library stays open; null, with the
  // reason in LastError(), when there is no such symbol or no open library.
  void* Symbol(const std::string& name);

  // The reason the last Open or Symbol failed (the loader's own text where it gave one).
  const std::string& LastError() const { return lastError_; }

  // The path of the regular file in folder whose name equals fileName when ASCII letter case is
  // ignored (an exact match wins over others); empty when there is none or the folder cannot be
  // read.
  static std::string FindFileIgnoringCase(const std::string& folder, const std::string& fileName);

 private:
  void* handle_ = nullptr;
  std::string path_;
  std::string lastError_;
};

}  // namespace platform
