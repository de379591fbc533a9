// Whole-section reads of INI files through the INI reader.
#include "platform/ini_sections.h"

#include "platform/ini_file.h"

namespace platform {
namespace {

// Fits the items into a buffer of bufferSize bytes: each item and its NUL, then a final NUL.
// Windows returns bufferSize - 2 when the list was cut.
IniSectionRead Fit(const std::vector<std::string>& items, size_t bufferSize) {
  IniSectionRead read;
  if (bufferSize < 2) return read;
  size_t used = 0;
  for (const std::string& item : items) {
    if (used + item.size() + 1 + 1 > bufferSize) {
      read.length = bufferSize - 2;
      return read;
    }
    read.items.push_back(item);
    used += item.size() + 1;
  }
  read.length = used;
  return read;
}

}  // namespace

IniSectionRead GetPrivateProfileSectionNames(const std::string& path, size_t bufferSize) {
  IniFile file;
  if (!file.Load(path)) return {};
  std::vector<std::string> names;
  for (const IniSection& section : file.Sections()) names.push_back(section.name);
  return Fit(names, bufferSize);
}

IniSectionRead GetPrivateProfileSection(const std::string& section, const std::string& path,
                                        size_t bufferSize) {
  IniFile file;
  if (!file.Load(path)) return {};
  for (const IniSection& candidate : file.Sections()) {
    if (!IniNamesEqual(candidate.name, section)) continue;
    std::vector<std::string> lines;
    for (const IniEntry& entry : candidate.entries) {
      lines.push_back(entry.value ? entry.name + "=" + *entry.value : entry.name);
    }
    return Fit(lines, bufferSize);
  }
  return {};
}

}  // namespace platform
