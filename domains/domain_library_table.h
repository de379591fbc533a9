// DomainLibraryTable: the domain libraries loaded so far, one entry per remote domain that was
// queried, at most 32, never shrunk. Libraries stay loaded for the life of the process.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "domains/domain_library_entry.h"
#include "foundation/quire_status.h"
#include "platform/dynamic_library.h"

class DomainLibraryTable {
 public:
  static constexpr std::size_t kMaxEntries = 32;

  struct Entry {
    std::string domain;
    // Null when the library did not load or exports no "Query".
    QuireQueryEntry query = nullptr;
    platform::DynamicLibrary library;
  };

  static DomainLibraryTable& instance();

  // The entry of `domain` (case-sensitive), loading "<NAME>.so" from the installation's
  // "DOMAINS" folder on the domain's first query (folder and file found without regard to
  // case). Null with the status set when the table is full or no library file is found; a
  // library that does not load gets an entry without entry point (kEvaluationError
  // host_message::kDomainLibraryNotLoaded the first time). The caller holds lock().
  Entry* entryFor(const std::string& domain, QuireStatus& status);

  // Held around every use of an entry: a library answers one query at a time, and its response
  // stays valid only until its next call.
  std::mutex& lock() { return mutex_; }

  // The folder searched for domain libraries: "<install folder>/DOMAINS", matched without
  // regard to case ("<install folder>/DOMAINS" when no folder matches).
  static std::string LibraryFolder();

  // Unloads every library and empties the table (tests only: the library never does).
  void ForgetForTesting();

 private:
  DomainLibraryTable() = default;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Entry>> entries_;
};
