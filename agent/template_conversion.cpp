// The template file rewritten in place into XML: the bytes are converted by ConvertHtmlToXml and
// written back through a temporary file, so a failure never leaves a half-written template.
#include "agent/template_conversion.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/file_io.h"
#include "platform/html_to_xml.h"

namespace {

constexpr size_t kMaxSystemTextLength = 1024;

QuireStatus SystemFailure(int error) {
  std::string text = platform::SystemErrorText(error);
  if (text.size() > kMaxSystemTextLength) text.resize(kMaxSystemTextLength);
  return QuireStatus(kProcessingError, std::move(text));
}

// Opened for reading and writing, as the file is to be rewritten; 0 or the errno of the failure.
int ReadTemplate(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[1 << 16];
  int failure = 0;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) failure = errno;
    if (got <= 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return failure;
}

}  // namespace

bool ConvertTemplateToXml(const std::string& path, QuireStatus& status, bool keepVml) {
  status = QuireStatus();
  std::string bytes;
  if (const int error = ReadTemplate(path, bytes); error != 0) {
    status = error == ENOENT ? QuireStatus(kFileNotFound, "") : SystemFailure(error);
    return false;
  }
  if (const int error = platform::ReplaceFile(path, platform::ConvertHtmlToXml(bytes, keepVml));
      error != 0) {
    status = SystemFailure(error);
    return false;
  }
  return true;
}
