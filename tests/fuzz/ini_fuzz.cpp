// Feeds any bytes to the INI reader as a settings or registry file: parsed as text, loaded from
// a file, and read through the profile calls, the registry and the whole-section reads.
#include <stdlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_file.h"
#include "platform/ini_sections.h"
#include "platform/registry.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

using fuzz_files::Check;
using platform::IniFile;
using platform::IniNamesEqual;
using platform::IniSection;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// A name or value as the reader keeps it: one line, no zero byte, no blank at either end.
bool IsTrimmedLineText(std::string_view text) {
  if (text.find_first_of(std::string_view("\n\0", 2)) != std::string_view::npos) return false;
  return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

std::string_view WithoutRootKey(std::string_view path) {
  for (std::string_view root :
       {std::string_view("HKEY_LOCAL_MACHINE\\"), std::string_view("HKLM\\")}) {
    if (path.size() >= root.size() && IniNamesEqual(path.substr(0, root.size()), root)) {
      return path.substr(root.size());
    }
  }
  return path;
}

// The value of `key` in the first section that `matches`, as the Windows rules give it.
template <class Matches>
std::optional<std::string> FirstSectionValue(const IniFile& file, std::string_view key,
                                             Matches matches) {
  for (const IniSection& section : file.Sections()) {
    if (!matches(section.name)) continue;
    for (const auto& entry : section.entries) {
      if (!IniNamesEqual(entry.name, key)) continue;
      if (!entry.value) return std::nullopt;
      const std::string& value = *entry.value;
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
      }
      return value;
    }
    return std::nullopt;
  }
  return std::nullopt;
}

// A whole-section read must give every item, or the items that fit and bufferSize - 2.
void CheckFit(const platform::IniSectionRead& read, const std::vector<std::string>& all,
              size_t bufferSize) {
  size_t used = 0;
  Check(read.items.size() <= all.size(), "a section read gives no more items than there are");
  for (size_t i = 0; i < read.items.size(); ++i) {
    Check(read.items[i] == all[i], "a section read keeps the items in file order");
    used += read.items[i].size() + 1;
  }
  if (read.items.size() == all.size() && used + 1 <= bufferSize) {
    Check(read.length == used, "a complete section read gives the length it used");
  } else {
    Check(read.length == bufferSize - 2, "a cut section read gives bufferSize - 2");
    Check(used + 1 <= bufferSize, "a cut section read keeps only what fits");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv(platform::Registry::kFileVariable, fuzz_files::PathOf("registry.ini").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzz_files::Write("registry.ini", text);
  const IniFile parsed = IniFile::Parse(text);
  IniFile loaded;
  Check(loaded.Load(path), "a written file loads");
  Check(loaded.Sections().size() == parsed.Sections().size(), "loading parses the same text");

  std::vector<std::string> names;
  size_t checked = 0;
  for (const IniSection& section : parsed.Sections()) {
    names.push_back(section.name);
    Check(IsTrimmedLineText(section.name), "section names are trimmed single lines");
    std::vector<std::string> lines;
    for (const auto& entry : section.entries) {
      Check(!entry.name.empty() && IsTrimmedLineText(entry.name), "key names are trimmed lines");
      Check(!entry.value || IsTrimmedLineText(*entry.value), "values are trimmed lines");
      Check(entry.name.find('=') == std::string::npos || !entry.value,
            "a key with a value holds no \"=\"");
      lines.push_back(entry.value ? entry.name + "=" + *entry.value : entry.name);
    }
    // The lookups of the first few sections and keys, by every road that reads them.
    if (checked++ >= 8) continue;
    bool first = true;
    for (const IniSection& earlier : parsed.Sections()) {
      if (&earlier == &section) break;
      if (IniNamesEqual(earlier.name, section.name)) first = false;
    }
    // A whole-section read gives the first section of the name.
    for (size_t bufferSize : {size_t{4096}, size_t{40}, size_t{2}}) {
      if (!first) break;
      CheckFit(platform::GetPrivateProfileSection(section.name, path, bufferSize), lines,
               bufferSize);
    }
    size_t keys = 0;
    for (const auto& entry : section.entries) {
      if (keys++ >= 8) break;
      const auto sameName = [&](std::string_view name) {
        return IniNamesEqual(name, section.name);
      };
      const std::optional<std::string> expected = FirstSectionValue(parsed, entry.name, sameName);
      Check(parsed.Find(section.name, entry.name) == expected,
            "a lookup gives the first section's first key");
      Check(loaded.Find(section.name, entry.name) == expected, "a loaded file answers alike");
      for (size_t bufferSize : {size_t{4096}, size_t{5}, size_t{1}, size_t{0}}) {
        const std::string value = platform::GetPrivateProfileString(section.name, entry.name,
                                                                    "default  ", path, bufferSize);
        std::string full = expected.value_or("default");
        if (bufferSize == 0) full.clear();
        if (full.size() > bufferSize - (bufferSize > 0 ? 1 : 0)) full.resize(bufferSize - 1);
        Check(value == full, "a profile string is the value or the default, cut to the buffer");
      }
      const auto sameKey = [&](std::string_view name) {
        return IniNamesEqual(WithoutRootKey(name), WithoutRootKey(section.name));
      };
      Check(platform::Registry::ReadLocalMachineString(section.name, entry.name) ==
                FirstSectionValue(parsed, entry.name, sameKey),
            "the registry answers from the first section naming the key");
    }
  }
  for (size_t bufferSize : {size_t{4096}, size_t{64}, size_t{3}})
    CheckFit(platform::GetPrivateProfileSectionNames(path, bufferSize), names, bufferSize);
  return 0;
}
