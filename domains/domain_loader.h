// Filling the domain registry at start-up: the data-source domains, the schema files of the
// installation's "domains" folder, the file-system domain, and then the extension file
// DOMAIN.EXT. Each step runs once, and again only after every domain was deleted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/quire_status.h"

// The readers that other parts of the library plug in. Without an installed data-source loader
// the data sources of the Kestrel component are loaded, and without an installed schema reader
// ReadRemoteSchema reads the schema files; without an extension reader nothing reads DOMAIN.EXT,
// which is then named in the log (at every level) as not read.
struct DomainReaders {
  // Loads the data-source domains; appends one status per source that failed.
  std::function<void(std::vector<QuireStatus>& failures)> dataSources;
  // Reads one schema file and registers its domain; false with the status set on failure.
  std::function<bool(const std::string& path, QuireStatus& status)> schemaFile;
  // Reads the extension file that is open at `path`; false with the status set on failure.
  std::function<bool(const std::string& path, QuireStatus& status)> extensionFile;
};

// The installed readers (empty members: none yet). Install before loadDomains runs.
DomainReaders& InstalledDomainReaders();

// Registers the file-system domain, then loads the data-source domains and every "*.dom" schema
// file of "<install folder>/domains" that no registered domain already answers. Appends one status
// (kProcessingError, host_message::kSchemaUnreadable with the path and the reader's message) per
// schema file that failed. Runs once; later calls do nothing until every domain is deleted.
void loadDomains(std::vector<QuireStatus>& failures);

// Finds DOMAIN.EXT ("<HOME>/fminit" first, else "<install folder>/domains", the file name compared
// in upper case) and hands it to the extension reader. A file that cannot be opened: "unable to
// open <path>" on the error stream and kProcessingError, host_message::kFileNotOpened; a reader
// failure: kProcessingError, host_message::kExtensionFileError (path, message). No file anywhere is
// not an error. Runs once, as loadDomains.
void loadDomainExtensions(QuireStatus& status);

// Reads DOMAIN.EXT again, found as loadDomainExtensions finds it, whether or not it was read
// before (after a data source opened its root container, the extensions may name its classes).
void readDomainExtensionsAgain(QuireStatus& status);

// The folder that holds the installation's schema files and DOMAIN.EXT.
std::string InstalledDomainsFolder();

// Forgets that the once-only steps ran, so that the next start loads the domains and DOMAIN.EXT
// again. Called when every domain is deleted (the agent's close).
void ForgetDomainLoading();

// Lets tests run the once-only steps again.
void ResetDomainLoadingForTesting();
