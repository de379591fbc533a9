#include "platform/ini_file.h"

#include <cstdio>

#include "foundation/input_limits.h"
#include "platform/file_io.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Drops one pair of matching double or single quotes around the value.
std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

void ParseLine(std::string_view line, std::vector<IniSection>& sections) {
  line = line.substr(0, line.find('\0'));
  line = Trim(line);
  if (line.empty() || line.front() == ';') return;
  if (line.front() == '[') {
    size_t close = line.rfind(']');
    if (close == std::string_view::npos) return;
    sections.push_back(IniSection{std::string(Trim(line.substr(1, close - 1))), {}});
    return;
  }
  if (sections.empty()) return;  // keys before the first section belong to no section
  size_t equals = line.find('=');
  IniEntry entry;
  if (equals == std::string_view::npos) {
    entry.name = std::string(line);
  } else {
    entry.name = std::string(Trim(line.substr(0, equals)));
    entry.value = std::string(Trim(line.substr(equals + 1)));
  }
  if (entry.name.empty()) return;
  sections.back().entries.push_back(std::move(entry));
}

}  // namespace

bool IniNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

IniFile IniFile::Parse(std::string_view text, std::size_t* longLine) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  IniFile file;
  if (longLine != nullptr) *longLine = 0;
  for (std::size_t lineNumber = 1; !text.empty(); ++lineNumber) {
    size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (line.size() <= kMaxTextLineBytes) {
      ParseLine(line, file.sections_);
    } else if (longLine != nullptr && *longLine == 0) {
      *longLine = lineNumber;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return file;
}

bool IniFile::Load(const std::string& path, std::string* error) {
  sections_.clear();
  std::string text;
  std::string reason;
  if (!ReadWholeFile(path, text, reason)) {
    if (error != nullptr) *error = path + ": " + reason;
    return false;
  }
  std::size_t longLine = 0;
  *this = Parse(text, &longLine);
  if (longLine != 0) {
    std::fprintf(stderr, "%s: line %zu is longer than the limit of %zu bytes in a line: left out\n",
                 path.c_str(), longLine, kMaxTextLineBytes);
  }
  return true;
}

std::optional<std::string> IniSection::Value(std::string_view key) const {
  for (const IniEntry& entry : entries) {
    if (!IniNamesEqual(entry.name, key)) continue;
    if (!entry.value) return std::nullopt;
    return std::string(StripQuotes(*entry.value));
  }
  return std::nullopt;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  for (const IniSection& candidate : sections_) {
    // Only the first section of that name counts, as with the Windows reader.
    if (IniNamesEqual(candidate.name, section)) return candidate.Value(key);
  }
  return std::nullopt;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path,
                                    size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  IniFile file;
  std::optional<std::string> found;
  if (file.Load(path)) found = file.Find(section, key);
  std::string result;
  if (found) {
    result = std::move(*found);
  } else {
    while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
    result = std::string(defaultValue);
  }
  if (result.size() > bufferSize - 1) result.resize(bufferSize - 1);
  return result;
}

}  // namespace platform
