// Feeds any bytes to the reader of the request's parameter file, with the generate command's keys
// (password trimmed) and the ancestors command's keys (password kept), and checks what it read.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "agent/parameter_file.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

const std::vector<std::string> kGenerateKeys = {kFileNameKey,     kArtifactLocatorKey,
                                                kServerUrlKey,    kTemplateIdKey,
                                                kPasswordNameKey, kPasswordValueKey};
const std::vector<std::string> kAncestorsKeys = {kArtifactLocatorKey, kPasswordNameKey,
                                                 kPasswordValueKey};

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string Trimmed(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsWhiteSpace(text[first])) ++first;
  while (last > first && IsWhiteSpace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// The lines of the file as the reader sees them: split at line feeds, a carriage return before
// the feed dropped, cut at a NUL byte.
std::vector<std::string_view> LinesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = line.substr(0, line.find('\0'));
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

// A value read for `key` is empty or what follows the first "=" of a line that names the key.
void CheckValue(const std::vector<std::string_view>& lines, const char* key,
                const std::string& value) {
  if (value.empty()) return;
  if (value.find('\n') != std::string::npos || value.find('\0') != std::string::npos) std::abort();
  for (std::string_view line : lines) {
    if (line.find(key) == std::string_view::npos) continue;
    const size_t equals = line.find('=');
    if (equals != std::string_view::npos && line.substr(equals + 1) == value) return;
  }
  std::abort();
}

void CheckRequest(const std::vector<std::string_view>& lines, const PageRequest& request) {
  CheckValue(lines, kFileNameKey, request.fileName);
  CheckValue(lines, kArtifactLocatorKey, request.artifactLocator);
  CheckValue(lines, kServerUrlKey, request.serverUrl);
  CheckValue(lines, kTemplateIdKey, request.templateId);
  CheckValue(lines, kPasswordNameKey, request.passwordName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzz_files::Write("ParameterFile.txt", text);

  // Any bytes read; only a file that cannot be opened throws, and this one can.
  const PageRequest generate = ReadParameterFile(path, kGenerateKeys, true);
  const PageRequest kept = ReadParameterFile(path, kGenerateKeys, false);
  const PageRequest ancestors = ReadParameterFile(path, kAncestorsKeys, false);

  const std::vector<std::string_view> lines = LinesOf(text);
  CheckRequest(lines, generate);
  CheckRequest(lines, ancestors);
  CheckValue(lines, kPasswordValueKey, kept.passwordValue);
  CheckValue(lines, kPasswordValueKey, ancestors.passwordValue);

  // Trimming touches the password alone, and only at its ends.
  if (generate.fileName != kept.fileName || generate.artifactLocator != kept.artifactLocator ||
      generate.serverUrl != kept.serverUrl || generate.templateId != kept.templateId ||
      generate.passwordName != kept.passwordName ||
      generate.passwordValue != Trimmed(kept.passwordValue)) {
    std::abort();
  }
  // The ancestors command reads none of the page's keys.
  if (!ancestors.fileName.empty() || !ancestors.serverUrl.empty() ||
      !ancestors.templateId.empty()) {
    std::abort();
  }
  // A credential is handed over exactly when a user name was read.
  if (CredentialsOf(generate).Length() != (generate.passwordName.empty() ? 0u : 1u)) std::abort();
  return 0;
}
