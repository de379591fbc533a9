// Feeds any bytes to the schema-file reader as the text of a ".dom" file.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "domains/domain_registry.h"
#include "domains/remote_schema_reader.h"
#include "tests/domains/library_domain.h"
#include "tests/fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      fuzz_files::Write("schema.dom", std::string_view(reinterpret_cast<const char*>(data), size));
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
