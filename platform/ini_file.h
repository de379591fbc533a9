// Reader of INI ("private profile") files with the Windows rules: section and key names compare
// without regard to ASCII case, the first matching section and key win, blanks around names and
// values are dropped, one pair of matching quotes around a value is dropped, ";" starts a comment
// line, CRLF and LF line ends are accepted and a UTF-8 byte-order mark is skipped.
//
// Example:
//   ; settings of the sample installation
//   [Settings]
//   timeout = 0
//   Title = "  kept blanks  "
//
// Lines that fit no rule (no "]" after "[", no "=", keys before the first section) are skipped,
// except that a line without "=" inside a section is a key without a value: looking it up gives
// the default, and it hides later lines of the same key. A NUL byte ends the text of its line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct IniEntry {
  std::string name;
  std::optional<std::string> value;  // nullopt for a key line without "="
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;  // in file order

  // The value of the first entry named key, quotes removed; nullopt when there is none or it
  // has no "=".
  std::optional<std::string> Value(std::string_view key) const;
};

class IniFile {
 public:
  // Parses INI text; never fails (odd lines are skipped, and so are lines longer than
  // kMaxTextLineBytes: the number of the first of those goes to `longLine` when asked for).
  static IniFile Parse(std::string_view text, std::size_t* longLine = nullptr);

  // Reads and parses the file at path. A missing or unreadable file gives an empty IniFile and
  // false; the error text, when asked for, says why. A line left out for its length is named on
  // the standard error stream (which reaches the log).
  bool Load(const std::string& path, std::string* error = nullptr);

  // The value of key in section (first matching section, first matching key in it), quotes
  // removed; nullopt when either is missing or the key has no "=".
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // The sections in file order; names as written (trimmed).
  const std::vector<IniSection>& Sections() const { return sections_; }

 private:
  std::vector<IniSection> sections_;
};

// True when the two names are equal without regard to ASCII letter case.
bool IniNamesEqual(std::string_view a, std::string_view b);

// Windows GetPrivateProfileString: the value of key in section of the file at path, else
// defaultValue with its trailing blanks removed; the result is cut to bufferSize - 1 characters
// (empty for a bufferSize of 0). Reads the file at each call; safe on any thread.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    size_t bufferSize = 4096);

}  // namespace platform
