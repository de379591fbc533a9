// Feeds any bytes to the schema-file reader as the text of a ".dom" file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "domains/domain_registry.h"
#include "domains/remote_schema_reader.h"
#include "tests/domains/library_domain.h"

namespace {

// The file the reader reads, made once and removed at exit (the name lives in a plain array, which
// no destructor ends before the exit handler runs).
char schemaPath[] = "/tmp/schema_fuzz_XXXXXX";

const char* SchemaPath() {
  static const bool made = [] {
    const int fd = ::mkstemp(schemaPath);
    if (fd >= 0) ::close(fd);
    std::atexit([] { std::remove(schemaPath); });
    return fd >= 0;
  }();
  (void)made;
  return schemaPath;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = SchemaPath();
  if (FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  DomainRegistry& registry = DomainRegistry::instance();
  registry.deleteAllDomains();
  registry.registerDomain(std::make_unique<LibraryDomain>());
  QuireStatus status;
  const bool read = ReadRemoteSchema(path, status);
  if (read != status.IsOk()) std::abort();
  // What a good file built is walked as lookups walk it (the sanitizers watch every access).
  size_t members = 0;
  for (QuireAbstractDomain* domain : registry.domains()) {
    for (const QuireClass& cls : domain->classList()) {
      members += cls.attributeList(QuireFeatureList::kFirst).size() +
                 cls.unaryList(QuireFeatureList::kFirst).size() +
                 cls.naryList(QuireFeatureList::kFirst).size();
      for (const QuireRelationship& link : cls.allSuperclassLinks())
        members += link.target().attributes().size();
    }
  }
  if (!status.IsOk() && members != 1) std::abort();  // a refused file leaves only Library.Item
  return 0;
}
