#include "domains/domain_loader.h"

#include <cstdio>
#include <fstream>
#include <memory>

#include "domains/domain_directory.h"
#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "domains/kestrel_domain_loading.h"
#include "domains/remote_schema_reader.h"
#include "foundation/text_helpers.h"
#include "platform/config.h"
#include "platform/file_io.h"
#include "platform/log.h"
#include "platform/own_strings.h"

namespace {

bool domainsLoaded = false;
bool extensionsLoaded = false;

// True when a registered domain's name followed by ".dom" is `fileName`, ignoring case.
bool AnsweredByRegisteredDomain(const std::string& fileName) {
  const std::string wanted = UppercaseCopy(fileName);
  for (const QuireAbstractDomain* domain : DomainRegistry::instance().domains()) {
    if (UppercaseCopy(domain->name() + ".dom") == wanted) return true;
  }
  return false;
}

void LoadSchemaFiles(std::vector<QuireStatus>& failures) {
  const std::string folder = InstalledDomainsFolder();
  DomainDirectory directory(folder);
  if (!directory.isOpen()) return;
  auto readSchema = InstalledDomainReaders().schemaFile;
  if (!readSchema) readSchema = ReadRemoteSchema;
  for (std::string entry = directory.next(".dom"); !entry.empty(); entry = directory.next(".dom")) {
    if (AnsweredByRegisteredDomain(entry)) continue;
    const std::string path = folder + "/" + entry;
    QuireStatus status;
    if (!readSchema(path, status)) {
      failures.emplace_back(kProcessingError, host_message::kSchemaUnreadable, path,
                            status.Message());
    }
  }
}

// The first DOMAIN.EXT in `folder`, or "" when there is none (or the folder cannot be listed).
std::string FindExtensionFile(const std::string& folder) {
  DomainDirectory directory(folder);
  if (!directory.isOpen()) return {};
  for (std::string entry = directory.next(".ext"); !entry.empty(); entry = directory.next(".ext")) {
    if (UppercaseCopy(entry) == "DOMAIN.EXT") return folder + "/" + entry;
  }
  return {};
}

void ReadExtensionFile(const std::string& path, QuireStatus& status) {
  // A DOMAIN.EXT that is no regular file (a named pipe would block start-up) is not opened.
  if (platform::RegularFileFailure(path) != 0 || !std::ifstream(path).is_open()) {
    std::fprintf(stderr, "unable to open %s\n", path.c_str());
    status = QuireStatus(kProcessingError, host_message::kFileNotOpened, path);
    return;
  }
  const auto& readExtensions = InstalledDomainReaders().extensionFile;
  if (!readExtensions) {
    platform::Log("Domain extension file not read: " + path + " (no extension reader is installed)",
                  platform::kLogInformational);
    return;
  }
  QuireStatus readerStatus;
  if (!readExtensions(path, readerStatus)) {
    status = QuireStatus(kProcessingError, host_message::kExtensionFileError, path,
                         readerStatus.Message());
  }
}

}  // namespace

DomainReaders& InstalledDomainReaders() {
  static DomainReaders readers;
  return readers;
}

std::string InstalledDomainsFolder() {
  const platform::ConfigSetting home(platform::OwnStringText(platform::kHomeKeyStringId));
  return home.Value() + "/domains";
}

void loadDomains(std::vector<QuireStatus>& failures) {
  if (domainsLoaded) return;
  domainsLoaded = true;
  DomainRegistry& registry = DomainRegistry::instance();
  // Registered first so that templates can always reach files and folders, and so that a schema
  // file of the same name does not replace it.
  if (!registry.hasDomainNamed("FileSys"))
    registry.registerDomain(std::make_unique<FileSysDomain>());
  if (const auto& loadDataSources = InstalledDomainReaders().dataSources) {
    loadDataSources(failures);
  } else {
    LoadKestrelDomains();
  }
  LoadSchemaFiles(failures);
}

void loadDomainExtensions(QuireStatus& status) {
  status = QuireStatus();
  if (extensionsLoaded) return;
  extensionsLoaded = true;
  readDomainExtensionsAgain(status);
}

void readDomainExtensionsAgain(QuireStatus& status) {
  status = QuireStatus();
  const platform::ConfigSetting home("HOME");
  std::string path = FindExtensionFile(home.Value() + "/fminit");
  if (path.empty()) path = FindExtensionFile(InstalledDomainsFolder());
  if (!path.empty()) ReadExtensionFile(path, status);
}

void ForgetDomainLoading() {
  domainsLoaded = false;
  extensionsLoaded = false;
}

void ResetDomainLoadingForTesting() { ForgetDomainLoading(); }
