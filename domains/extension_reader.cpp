// Reading DOMAIN.EXT: the file checked and read whole, then parsed with its folder for scripts.
#include "domains/extension_reader.h"

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>

#include "domains/extension_parse.h"
#include "foundation/input_limits.h"
#include "platform/file_io.h"
#include "platform/work_limits.h"

int ParseDomainExtensions(std::string_view text, QuireStatus& status,
                          const ExtensionSettings& settings, std::ostream& unknown) {
  status = QuireStatus();
  ExtensionBuilder builder(status, settings);
  std::ostream& diagnostics = settings.diagnostics != nullptr ? *settings.diagnostics : std::cerr;
  ExtensionParse parse(text, builder, unknown, diagnostics);
  const int result = parse.run();
  if (result != 0 && status.IsOk()) status = QuireStatus(kSyntaxError, parse.errorText());
  return result;
}

bool ReadDomainExtensionFile(const std::string& path, QuireStatus& status) {
  status = QuireStatus();
  std::uint64_t size = 0;
  const std::uint64_t limit =
      platform::ConfiguredLimit(platform::kMaxDataFileBytesKey, platform::kDefaultMaxDataFileBytes);
  if (platform::RegularFileFailure(path, &size) == 0 && size > limit) {
    status = QuireStatus(kProcessingError,
                         std::to_string(size) + " bytes, more than " +
                             platform::LimitText(platform::kMaxDataFileBytesKey, limit));
    std::cerr << path << ": " << status.Message() << "\n";
    return false;
  }
  std::string text;
  std::string reason;
  if (!platform::ReadWholeFile(path, text, reason)) {
    status = QuireStatus(kProcessingError, reason);
    std::cerr << path << ": " << reason << "\n";
    return false;
  }
  // A zero byte never occurs in a text file: the file is binary, and its bytes would otherwise
  // all be copied to the standard output.
  if (const size_t zero = text.find('\0'); zero != std::string::npos) {
    status = QuireStatus(kProcessingError,
                         "not a text file (a zero byte at offset " + std::to_string(zero) + ")");
    std::cerr << path << ": " << status.Message() << "\n";
    return false;
  }
  for (size_t start = 0, line = 1; start < text.size(); ++line) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (end - start > kMaxTextLineBytes) {
      status = QuireStatus(kProcessingError,
                           "line " + std::to_string(line) + " is longer than the limit of " +
                               std::to_string(kMaxTextLineBytes) + " bytes in a line");
      std::cerr << path << ": " << status.Message() << "\n";
      return false;
    }
    start = end + 1;
  }
  ExtensionSettings settings;
  const size_t slash = path.find_last_of('/');
  settings.scriptFolder = slash == std::string::npos ? "." : path.substr(0, slash);
  ParseDomainExtensions(text, status, settings, std::cout);
  std::cout.flush();
  return status.IsOk();
}
