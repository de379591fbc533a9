// The host's resource module: a text file of numbered strings ("Vistafold.rsc"), one
// "NUMBER=text" a line. Blank lines and lines that start with "#" or ";" are comments. The text
// runs from just after the first "=" to the end of the line, as written (a carriage return of a
// CRLF line end is dropped); in it "\n", "\t" and "\\" stand for a line feed, a tab and one
// backslash, and any other backslash is kept. Lines whose number is not a decimal number below
// 2^32 are ignored; when a number occurs twice, its first text wins.
#pragma once

#include <cstddef>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace platform {

class ResourceModule {
 public:
  // Reads the file at path and makes its strings current. On failure (missing or unreadable
  // file) returns false with the reason in error and leaves the module as it was.
  // Call from one thread at a time; lookups may run concurrently.
  bool Load(const std::string& path, std::string& error);

  // Forgets the strings; later lookups give the empty text.
  void Unload();

  bool IsLoaded() const;

  // The text with that number, or the empty text when it is absent or nothing is loaded.
  // Any thread.
  std::string String(unsigned id) const;

  // Lines of the last successful load that were not comments and were ignored as malformed.
  size_t IgnoredLineCount() const;

 private:
  mutable std::shared_mutex mutex_;
  bool loaded_ = false;
  size_t ignored_lines_ = 0;
  std::unordered_map<unsigned, std::string> strings_;
};

// Host strings that name parts of the installation, used by the configuration lookup and the
// agent's start-up.
inline constexpr unsigned kDataFolderKeyStringId = 57002;    // setting key of the data folder
inline constexpr unsigned kSettingsSectionStringId = 57004;  // section of the settings file
inline constexpr unsigned kSettingsFileStringId = 57100;     // file name of the settings file

// The process-wide host resource module; loaded at agent start, unloaded at shutdown.
ResourceModule& HostResources();

// A numbered host string: the library's own table answers for its own numbers, every other
// number comes from HostResources() (empty before it is loaded or when absent). Any thread.
std::string LoadHostString(unsigned id);

// Installs LoadHostString as the foundation's host-string lookup. A static initialiser of this
// library calls it at load time; calling it again is harmless.
void InstallHostStrings();

}  // namespace platform
