// The template file rewritten in place into XML: the bytes are converted by ConvertHtmlToXml and
// written back through a temporary file, so a failure never leaves a half-written template.
#include "agent/template_conversion.h"

#include <cerrno>
#include <string>

#include "platform/dom/xml_encoding.h"
#include "platform/file_io.h"
#include "platform/html_to_xml.h"

namespace {

constexpr size_t kMaxSystemTextLength = 1024;

QuireStatus SystemFailure(int error) {
  std::string text = platform::SystemErrorText(error);
  if (text.size() > kMaxSystemTextLength) text.resize(kMaxSystemTextLength);
  return QuireStatus(kProcessingError, std::move(text));
}

// Whether the document layer reads and writes text in `charset`.
bool KnownCharset(const std::string& charset) {
  std::string bytes;
  std::string error;
  return platform::EncodeXmlText("", charset, bytes, error);
}

}  // namespace

bool ConvertTemplateToXml(const std::string& path, QuireStatus& status, bool keepVml) {
  status = QuireStatus();
  std::string bytes;
  // The shared reader: a folder, a device or a named pipe is refused without blocking.
  if (const int error = platform::ReadRegularFile(path, bytes); error != 0) {
    status = error == ENOENT ? QuireStatus(kFileNotFound, "") : SystemFailure(error);
    return false;
  }
  // A character set that cannot be read leaves the template as it is, and the message names
  // where it came from: the declaration would be the conversion's, not the template's.
  if (const std::string charset = platform::DeclaredCharset(bytes);
      !charset.empty() && !KnownCharset(charset)) {
    status =
        QuireStatus(kProcessingError, "The character set '" + charset +
                                          "' named in the template's meta tag is not supported.");
    return false;
  }
  if (const int error = platform::ReplaceFile(path, platform::ConvertHtmlToXml(bytes, keepVml));
      error != 0) {
    status = SystemFailure(error);
    return false;
  }
  return true;
}
