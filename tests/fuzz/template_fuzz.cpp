// Feeds any bytes to the template readers as a request does: the bytes are the template file,
// loaded strictly as XML and, when that fails, rewritten in place from word-processor HTML into XML
// (code page taken from the meta tag or a byte-order mark) and loaded again. A loaded template is
// written back in its code page and must load again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "agent/template_conversion.h"
#include "agent/template_loading.h"
#include "foundation/quire_status.h"
#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "platform/file_io.h"
#include "platform/html_to_xml.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  if (platform::ReadRegularFile(path, bytes) != 0) std::abort();
  return bytes;
}

// The converter cuts its text after the first "</html>".
void CheckCut(const std::string& xml) {
  constexpr std::string_view kHtmlEnd = "</html>";
  const size_t end = xml.find(kHtmlEnd);
  if (end != std::string::npos && end + kHtmlEnd.size() != xml.size()) std::abort();
}

// A strict load reports its outcome both ways: true with no message, false with a reason.
bool Load(platform::DomDocument& document, const std::string& path) {
  std::string message;
  const bool loaded = LoadTemplate(document, path, message);
  if (loaded != message.empty()) std::abort();
  if (loaded != (document.parseError().errorCode == 0)) std::abort();
  if (loaded != !document.documentElement().isNull()) std::abort();
  return loaded;
}

// What a loaded template serialises to loads again and serialises to the same bytes.
void CheckRoundTrip(const platform::DomDocument& document) {
  std::string page;
  try {
    page = document.encodedXml();
  } catch (const platform::ComError&) {
    return;  // text its code page cannot hold is refused, as a save would refuse it
  }
  const std::string path = fuzz_files::Write("again.htm", page);
  const std::shared_ptr<platform::DomDocument> again = platform::NewDomDocument();
  if (!again || !Load(*again, path)) std::abort();
  if (again->encodedXml() != page || again->xml() != document.xml()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  platform::RegisterDomDocumentClass();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = fuzz_files::Write("template.htm", bytes);

  // Both forms of the conversion; the generation keeps the vector graphics.
  const std::string converted = platform::ConvertHtmlToXml(bytes, true);
  CheckCut(converted);
  CheckCut(platform::ConvertHtmlToXml(bytes, false));

  const std::shared_ptr<platform::DomDocument> document = platform::NewDomDocument();
  if (!document) std::abort();
  bool loaded = Load(*document, path);
  if (!loaded) {
    QuireStatus status;
    const bool done = ConvertTemplateToXml(path, status, true);
    if (done != status.IsOk()) std::abort();
    const std::string after = ReadBytes(path);
    if (done) {
      // The file holds the conversion, nothing else.
      if (after != converted) std::abort();
      loaded = Load(*document, path);
    } else {
      // Only a code page the document layer cannot read stops the conversion of a readable
      // file, and the file is left as it was.
      const std::string charset = platform::DeclaredCharset(bytes);
      if (after != bytes || charset.empty() || status.Kind() != kProcessingError ||
          status.Message().find("'" + charset + "'") == std::string::npos) {
        std::abort();
      }
    }
  }
  if (loaded) CheckRoundTrip(*document);
  return 0;
}
