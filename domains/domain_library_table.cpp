// Finding and loading the library of a remote domain.
#include "domains/domain_library_table.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/host_hooks.h"
#include "foundation/text_helpers.h"
#include "platform/config.h"
#include "platform/folder_listing.h"
#include "platform/own_strings.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDiagnosticPrefix = "*** QuireInformationQuery::makeQuery: ";

void WriteDiagnostic(const std::string& text) {
  const std::string line = kDiagnosticPrefix + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

// The entry of `folder` named `name` without regard to case (an exact match wins), or "".
std::string FindEntryIgnoringCase(const std::string& folder, const std::string& name,
                                  bool wantFolder) {
  std::error_code error;
  const fs::path exact = fs::path(folder) / name;
  if (wantFolder ? fs::is_directory(exact, error) : fs::is_regular_file(exact, error)) {
    return exact.string();
  }
  const std::string wanted = UppercaseCopy(name);
  for (const platform::FolderEntry& entry : platform::ListFolder(folder)) {
    const bool kind = wantFolder ? entry.folder : entry.regular;
    if (kind && UppercaseCopy(entry.name) == wanted)
      return (fs::path(folder) / entry.name).string();
  }
  return {};
}

}  // namespace

DomainLibraryTable& DomainLibraryTable::instance() {
  static DomainLibraryTable table;
  return table;
}

std::string DomainLibraryTable::LibraryFolder() {
  const platform::ConfigSetting home(platform::OwnStringText(platform::kHomeKeyStringId));
  std::string folder = FindEntryIgnoringCase(home.Value(), "DOMAINS", true);
  return folder.empty() ? home.Value() + "/DOMAINS" : folder;
}

DomainLibraryTable::Entry* DomainLibraryTable::entryFor(const std::string& domain,
                                                        QuireStatus& status) {
  status = QuireStatus();
  for (const auto& entry : entries_) {
    if (entry->domain == domain) return entry.get();
  }
  if (entries_.size() >= kMaxEntries) {
    status = QuireStatus(kEvaluationError, host_message::kTooManyRemoteDomains, domain);
    WriteDiagnostic(status.Message());
    return nullptr;
  }
  const std::string folder = LibraryFolder();
  const std::string path = FindEntryIgnoringCase(folder, UppercaseCopy(domain) + ".so", false);
  if (path.empty()) {
    status = QuireStatus(kEvaluationError, host_message::kDomainLibraryNotFound, domain, folder);
    WriteDiagnostic(status.Message());
    return nullptr;
  }
  entries_.push_back(std::make_unique<Entry>());
  Entry& entry = *entries_.back();
  entry.domain = domain;
  if (!entry.library.Open(path)) {
    const platform::ConfigSetting debugArea("DebugArea");
    if (debugArea.Value() == "RSCHEMA") {
      ShowMessageBox(HostString(host_message::kProductName),
                     "The following library did not load: " + path + ".\n" +
                         "The error message: " + entry.library.LastError());
    }
    status = QuireStatus(kEvaluationError, host_message::kDomainLibraryNotLoaded, domain, folder);
    WriteDiagnostic(status.Message());
    return &entry;
  }
  entry.query = reinterpret_cast<QuireQueryEntry>(entry.library.Symbol("Query"));
  return &entry;
}

void DomainLibraryTable::ForgetForTesting() {
  const std::lock_guard<std::mutex> guard(mutex_);
  entries_.clear();
}
