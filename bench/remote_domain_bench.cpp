// Timings of a remote domain through the domain and object interface: the sample domain library
// ISSUES.so over the sample tracker, read from the sample installation's schema. Reads 100,000
// attributes ("Title" of each issue in turn) and walks 10,000 many-valued relationships
// ("Related" of each issue in turn, each related object's class asked as well), printing queries
// per second and how the time divides between the library and our side (query building, the
// transport's copy and checks, decoding, objects). The library's share is measured by sending the
// same query texts straight to its entry point.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "domains/domain_library_entry.h"
#include "domains/domain_registry.h"
#include "domains/remote_schema_reader.h"
#include "foundation/quire_status.h"
#include "model/quire_attribute_value.h"
#include "model/quire_object.h"
#include "platform/config.h"

namespace {

constexpr size_t kAttributeReads = 100000;
constexpr size_t kNavigations = 10000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The library's entry point, loaded from the same file as the agent loads it (so the same copy).
class DirectLibrary {
 public:
  explicit DirectLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) query_ = reinterpret_cast<QuireQueryEntry>(dlsym(handle_, "Query"));
  }
  bool ok() const { return query_ != nullptr; }
  // The response without its final newline; empty on failure.
  std::string Ask(const std::string& text) const {
    char header[16] = {};
    const char* response = nullptr;
    unsigned long length = 0;
    query_(text.c_str(), header, &response, &length);
    if (std::string(header, 7) != "Success" || length == 0) return "";
    return std::string(response, length - 1);
  }
  std::vector<std::string> Lines(const std::string& text) const {
    std::vector<std::string> lines;
    const std::string answer = Ask(text);
    size_t start = 0;
    while (start < answer.size()) {
      size_t end = answer.find('\n', start);
      if (end == std::string::npos) end = answer.size();
      lines.push_back(answer.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }

 private:
  void* handle_ = nullptr;
  QuireQueryEntry query_ = nullptr;
};

// The argument encoding of the protocol: blanks and backslashes as "\xHH".
std::string Encode(const std::string& text) {
  std::string encoded;
  for (unsigned char c : text) {
    if (c == ' ' || c == '\\' || c == '\t' || c == '\n' || c == '\r') {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      encoded += hex;
    } else {
      encoded += static_cast<char>(c);
    }
  }
  return encoded;
}

void Report(const char* label, size_t operations, size_t queries, double total, double library) {
  std::printf(
      "%-28s %7zu ops %8zu queries  %7.3f s  %10.0f queries/s  library %5.1f%%  ours %5.1f%%\n",
      label, operations, queries, total, static_cast<double>(queries) / total,
      100.0 * library / total, 100.0 * (total - library) / total);
}

}  // namespace

int main() {
  const std::string home = XMLAGENT_SAMPLE_HOME;
  const std::string trackerFile = XMLAGENT_SOURCE_DIR "/sample/data/issues/issues.csv";
  platform::BindInitParameter("VISTAFOLD_HOME", home);
  QuireStatus status;
  if (!ReadRemoteSchema(home + "/domains/Issues.dom", status)) {
    std::fprintf(stderr, "the schema did not read: %s\n", status.Text().c_str());
    return 1;
  }
  QuireAbstractDomain& domain = DomainRegistry::instance().getDomain(status, "Issues");
  const QuireClass trackerClass = domain.findClass("Tracker", status);
  const QuireClass issueClass = domain.findClass("Issue", status);
  const QuireObject tracker = domain.makeObject(
      trackerClass, {QuireAttributeValue(trackerClass.connectorArguments().at(0), trackerFile)},
      status, 1);
  if (tracker.isUndefined() || !status.IsOk()) {
    std::fprintf(stderr, "the sample tracker did not open: %s\n", status.Text().c_str());
    return 1;
  }
  const QuireRelationship& issuesOf =
      trackerClass.findRelationship("Issues", QuireRelationship::kNary, status);
  const QuireObjectList issues = tracker.getNaryRelatedObjects(issuesOf, status);
  if (!status.IsOk() || issues.empty()) {
    std::fprintf(stderr, "the tracker's issues did not list: %s\n", status.Text().c_str());
    return 1;
  }
  const QuireAttribute& title = issueClass.findAttribute("Title", status);
  const QuireRelationship& related =
      issueClass.findRelationship("Related", QuireRelationship::kNary, status);

  // Through the domain and object interface.
  size_t bytes = 0;
  auto start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < kAttributeReads; ++i)
    bytes += issues[i % issues.size()].getAttributeValue(title, status).textValue().size();
  const double attributeTotal = SecondsSince(start);
  if (!status.IsOk() || bytes == 0) {
    std::fprintf(stderr, "an attribute read failed: %s\n", status.Text().c_str());
    return 1;
  }
  size_t reached = 0;
  start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < kNavigations; ++i)
    reached += issues[i % issues.size()].getNaryRelatedObjects(related, status).size();
  const double navigationTotal = SecondsSince(start);
  if (!status.IsOk() || reached == 0) {
    std::fprintf(stderr, "a navigation failed: %s\n", status.Text().c_str());
    return 1;
  }

  // The same query texts straight to the library.
  DirectLibrary library(home + "/domains/ISSUES.so");
  if (!library.ok()) {
    std::fprintf(stderr, "ISSUES.so did not load: %s\n", dlerror());
    return 1;
  }
  const std::string trackerId = library.Ask("#Connect# Tracker " + Encode(trackerFile) + "\n");
  const std::vector<std::string> ids = library.Lines("Issues " + trackerId + "\n");
  if (ids.size() != issues.size()) {
    std::fprintf(stderr, "the library lists %zu issues, the domain %zu\n", ids.size(),
                 issues.size());
    return 1;
  }
  std::vector<std::string> titleQueries;
  std::vector<std::string> relatedQueries;
  std::vector<std::vector<std::string>> classQueries;
  for (const std::string& id : ids) {
    titleQueries.push_back("Title " + id + "\n");
    relatedQueries.push_back("Related " + id + "\n");
    classQueries.emplace_back();
    for (const std::string& other : library.Lines(relatedQueries.back()))
      classQueries.back().push_back("#GetClass# " + other + " Issue\n");
  }
  start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < kAttributeReads; ++i)
    bytes += library.Ask(titleQueries[i % ids.size()]).size();
  const double attributeLibrary = SecondsSince(start);
  size_t navigationQueries = 0;
  start = std::chrono::steady_clock::now();
  for (size_t i = 0; i < kNavigations; ++i) {
    bytes += library.Ask(relatedQueries[i % ids.size()]).size();
    for (const std::string& query : classQueries[i % ids.size()])
      bytes += library.Ask(query).size();
    navigationQueries += 1 + classQueries[i % ids.size()].size();
  }
  const double navigationLibrary = SecondsSince(start);

  Report("attribute reads (Title)", kAttributeReads, kAttributeReads, attributeTotal,
         attributeLibrary);
  Report("n-ary navigations (Related)", kNavigations, navigationQueries, navigationTotal,
         navigationLibrary);
  std::printf("(%zu related objects reached, %zu answer bytes)\n", reached, bytes);
  return 0;
}
