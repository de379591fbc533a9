#include "platform/resource_module.h"

#include <charconv>
#include <mutex>
#include <optional>
#include <string_view>

#include "foundation/host_hooks.h"
#include "platform/file_io.h"
#include "platform/own_strings.h"

namespace platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<unsigned> ParseNumber(std::string_view digits) {
  digits = Trim(digits);
  if (digits.empty()) return std::nullopt;
  unsigned value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char next = text[i + 1];
      if (next == 'n' || next == 't' || next == '\\') {
        out += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

// Registers the lookup when the library is loaded, before any host code can ask for a string.
[[maybe_unused]] const bool kHostStringsInstalled = (InstallHostStrings(), true);

}  // namespace

bool ResourceModule::Load(const std::string& path, std::string& error) {
  std::string text;
  std::string reason;
  if (!ReadWholeFile(path, text, reason)) {
    error = path + ": " + reason;
    return false;
  }

  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  std::string_view rest = text;
  if (rest.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    rest.remove_prefix(kByteOrderMark.size());
  }
  std::unordered_map<unsigned, std::string> strings;
  size_t ignored = 0;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::string_view content = Trim(line);
    if (content.empty() || content.front() == '#' || content.front() == ';') continue;
    size_t equals = line.find('=');
    std::optional<unsigned> id =
        equals == std::string_view::npos ? std::nullopt : ParseNumber(line.substr(0, equals));
    if (!id) {
      ++ignored;
      continue;
    }
    strings.emplace(*id, Unescape(line.substr(equals + 1)));  // keeps the first text
  }

  std::unique_lock lock(mutex_);
  strings_ = std::move(strings);
  ignored_lines_ = ignored;
  loaded_ = true;
  return true;
}

void ResourceModule::Unload() {
  std::unique_lock lock(mutex_);
  strings_.clear();
  ignored_lines_ = 0;
  loaded_ = false;
}

bool ResourceModule::IsLoaded() const {
  std::shared_lock lock(mutex_);
  return loaded_;
}

std::string ResourceModule::String(unsigned id) const {
  std::shared_lock lock(mutex_);
  auto found = strings_.find(id);
  return found != strings_.end() ? found->second : std::string();
}

size_t ResourceModule::IgnoredLineCount() const {
  std::shared_lock lock(mutex_);
  return ignored_lines_;
}

ResourceModule& HostResources() {
  static ResourceModule module;
  return module;
}

std::string LoadHostString(unsigned id) {
  if (std::optional<std::string_view> own = OwnString(id)) return std::string(*own);
  return HostResources().String(id);
}

void InstallHostStrings() { SetHostStringLookup(&LoadHostString); }

}  // namespace platform
