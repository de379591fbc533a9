// The whole-section reads of INI files with the Windows rules: the list of section names and the
// lines of one section, each into a caller-sized buffer that reports when it was too small.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The answer of a whole-section read: the items as they would stand in the buffer (each one
// NUL-terminated there) and the length the call returns. When the items do not fit, the
// length is bufferSize - 2 and the items are what fitted (the caller decides what to keep).
struct IniSectionRead {
  std::vector<std::string> items;
  size_t length = 0;
};

// GetPrivateProfileSectionNames: the section names of the file at path, in file order. A
// missing file gives no names and the length 0.
IniSectionRead GetPrivateProfileSectionNames(const std::string& path, size_t bufferSize = 4096);

// GetPrivateProfileSection: the lines of the first section named `section` (without regard to
// ASCII case), each "key=value" or "key" for a line without "=", in file order.
IniSectionRead GetPrivateProfileSection(const std::string& section, const std::string& path,
                                        size_t bufferSize = 4096);

}  // namespace platform
