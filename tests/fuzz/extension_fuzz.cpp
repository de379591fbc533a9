// Feeds any text to the scanner and parser of the domain extension language, with the blocks'
// checks and creations running against a fresh file-system domain each time.
#include <memory>
#include <ostream>
#include <streambuf>
#include <string_view>

#include "domains/domain_registry.h"
#include "domains/extension_reader.h"
#include "domains/file_sys_domain.h"
#include "model/domain_lookup.h"

namespace {

// Swallows everything: the trace, the messages and the copied characters.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static NullBuffer buffer;
  static std::ostream sink(&buffer);
  DomainRegistry& registry = DomainRegistry::instance();
  registry.deleteAllDomains();
  registry.registerDomain(std::make_unique<FileSysDomain>());
  SetDomainFinder(&getDomain);
  ExtensionSettings settings;
  settings.trace = &sink;
  settings.diagnostics = &sink;
  QuireStatus status;
  const int result = ParseDomainExtensions(
      std::string_view(reinterpret_cast<const char*>(data), size), status, settings, sink);
  // A syntax error always leaves a bad status; a good parse may or may not.
  if (result != 0 && status.IsOk()) __builtin_trap();
  return 0;
}
