// The parameter file read and the output file written in the user-data folder.
#include "agent/parameter_file.h"

#include <sys/stat.h>

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "agent/agent_message.h"
#include "foundation/host_hooks.h"
#include "foundation/input_limits.h"
#include "platform/config.h"
#include "platform/file_io.h"
#include "platform/log.h"

namespace {

constexpr const char* kParameterFileName = "generated/ParameterFile.txt";
constexpr const char* kOutputFileName = "generated/Output.txt";

std::string UserDataFolder() { return platform::ConfigSetting("USER_DATA").Value(); }

std::runtime_error FileError(const std::string& what, const std::string& path, int error) {
  return std::runtime_error(what + " " + path + ": " + platform::SystemErrorText(error));
}

// The whole file, through the shared reader: only a regular file is read, and a pipe is opened
// without blocking so that a missing writer cannot hang the command thread.
std::string ReadRegularFile(const std::string& path) {
  std::string text;
  if (const int error = platform::ReadRegularFile(path, text))
    throw FileError("Cannot read", path, error);
  return text;
}

// A line as a text-mode reader hands it over: without its line feed and a carriage return just
// before it, and ending at a NUL byte, as a C string would.
std::string_view CleanLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t nul = line.find('\0');
  if (nul != std::string_view::npos) line = line.substr(0, nul);
  return line;
}

std::string* FieldOf(PageRequest& parameters, std::string_view key) {
  if (key == kFileNameKey) return &parameters.fileName;
  if (key == kArtifactLocatorKey) return &parameters.artifactLocator;
  if (key == kServerUrlKey) return &parameters.serverUrl;
  if (key == kTemplateIdKey) return &parameters.templateId;
  if (key == kPasswordNameKey) return &parameters.passwordName;
  if (key == kPasswordValueKey) return &parameters.passwordValue;
  return nullptr;
}

void ApplyLine(std::string_view line, const std::vector<std::string>& keys,
               PageRequest& parameters) {
  for (const std::string& key : keys) {
    if (key.empty() || line.find(key) == std::string_view::npos) continue;
    std::string* field = FieldOf(parameters, key);
    if (field == nullptr) return;
    size_t equals = line.find('=');
    std::string_view value =
        equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
    field->assign(value == "NULL" ? std::string_view() : value);
    return;
  }
}

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

}  // namespace

std::string ParameterFilePath() {
  const std::string userData = UserDataFolder();
  if (userData.empty()) return "";
  const std::string path = userData + "/" + kParameterFileName;
  struct stat status;
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    ShowAgentMessage(
        FormatHostMessage(HostString(host_message::kRequiredFileMissing), {kParameterFileName}));
    return "";
  }
  return path;
}

std::string OutputFilePath() {
  const std::string userData = UserDataFolder();
  return userData.empty() ? "" : userData + "/" + kOutputFileName;
}

std::string DocumentPath(const std::string& fileName) {
  const std::string userData = UserDataFolder();
  if (fileName.empty() || fileName.front() == '/' || userData.empty()) return fileName;
  return userData + "/" + fileName;
}

PageRequest ReadParameterFile(const std::string& path, const std::vector<std::string>& keys,
                              bool trimPasswordValue) {
  const std::string text = ReadRegularFile(path);
  PageRequest parameters;
  std::string_view rest = text;
  for (std::size_t lineNumber = 1; !rest.empty(); ++lineNumber) {
    size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    if (line.size() > kMaxTextLineBytes) {
      throw std::runtime_error(path + ": line " + std::to_string(lineNumber) + " has " +
                               std::to_string(line.size()) + " bytes, more than the limit of " +
                               std::to_string(kMaxTextLineBytes) + " bytes in a line");
    }
    ApplyLine(CleanLine(line), keys, parameters);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  if (trimPasswordValue) parameters.passwordValue = Trimmed(parameters.passwordValue);
  return parameters;
}

void WriteOutputFile(const std::string& path, const std::string& text) {
  if (int failure = platform::ReplaceFile(path, text)) {
    // The portal reads the file as this request's answer: that it is not, says the log at the
    // default level (the command thread's own line about the exception is below it).
    platform::Log(
        "Cannot write the result file " + path + ": " + platform::SystemErrorText(failure),
        platform::kLogCriticalError);
    throw FileError("Cannot replace", path, failure);
  }
}
