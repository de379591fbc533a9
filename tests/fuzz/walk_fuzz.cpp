// Generates a page from any bytes as its template, the way a request does (load or convert,
// annotate, walk, complete, serialise) about a copy of the sample data folder, and when it opens a
// file, also about a record file and an HTML file in it, through the file-system domain. "@DATA@"
// in the bytes names that folder, as in the golden cases. Everything is written below one temporary
// folder, and each generation's files are removed after it. A generated page must also be the one
// that the walk makes when it builds every copy as nodes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "agent/generation_driver.h"
#include "agent/template_loading.h"
#include "commands/command_text.h"
#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "generate/error_collector.h"
#include "generate/template_annotator.h"
#include "generate/web_page_generator.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/dom_node.h"
#include "platform/file_io.h"
#include "platform/resource_module.h"
#include "platform/work_limits.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

namespace fs = std::filesystem;

// <root>/data: the copy of the sample data folder; <root>/page: the document and what the
// generation writes beside it. Removed at exit.
fs::path Root() { return fuzz_files::Folder(); }

void ReplaceAll(std::string& text, std::string_view from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

bool Hidden(const platform::DomNode& element) {
  return element.getAttribute("style").find("display:none") != std::string::npos;
}

// Counts the OPEN elements that a browser would show, and the portal forms. Without recursion:
// a template may nest elements deeper than the stack would go.
void Count(const platform::DomNode& body, int& visibleOpens, int& forms) {
  std::vector<std::pair<platform::DomNode, bool>> pending{{body, Hidden(body)}};
  while (!pending.empty()) {
    const auto [node, hidden] = pending.back();
    pending.pop_back();
    for (const platform::DomNode& child : node.childNodes()) {
      if (child.nodeType() != platform::kDomElement) continue;
      const bool childHidden = hidden || Hidden(child);
      const std::string command = child.getAttribute(kCommandAttribute);
      if (!childHidden && command.compare(0, 2, "C:") == 0) ++visibleOpens;
      if (child.nodeName() == "form" && child.getAttribute("name") == "portal") ++forms;
      pending.emplace_back(child, childHidden);
    }
  }
}

// The page as saved loads again. A generated page has the portal form in its body and no OPEN
// left where it shows: the walk takes every OPEN it processes out of the page.
void CheckPage(const std::string& page, bool generated) {
  const std::string path = fuzz_files::Write("page/again.htm", page);
  const std::shared_ptr<platform::DomDocument> document = platform::NewDomDocument();
  std::string message;
  if (!document || !LoadTemplate(*document, path, message)) std::abort();
  if (!generated) return;
  const platform::DomNode body = document->documentElement().selectSingleNode("body");
  if (body.isNull()) return;
  int visibleOpens = 0;
  int forms = 0;
  Count(body, visibleOpens, forms);
  if (visibleOpens != 0 || forms == 0) std::abort();
}

// The page as written with what varies between two generations masked: the time-based ids of
// outline entries and the date of generation.
std::string Masked(const std::string& page) {
  std::string masked = std::regex_replace(page, std::regex(R"(\d{8,})"), "@ID@");
  return std::regex_replace(masked, std::regex("[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]{2}, [0-9]{4}"),
                            "@DATE@");
}

// The template at `path` generated again with every copy built as nodes: the page must be the
// one that copies written as text made. Only a template that loads as it is (no conversion).
void CheckCopiesAsNodes(const std::string& path, const std::string& locator,
                        const std::string& page) {
  const std::shared_ptr<platform::DomDocument> document = platform::NewDomDocument();
  std::string message;
  if (!document || !LoadTemplate(*document, path, message)) return;
  TemplateAnnotator annotator(document);
  QuireStatus status;
  if (!annotator.annotateTemplate(status)) std::abort();
  document->reparse();
  ErrorCollector errors(path);
  WebPageGenerator generator(document, path, errors);
  generator.setCopiesAsText(false);
  std::optional<std::string> outline;
  if (!generator.generatePage(locator, "http://portal", "template", outline).IsOk()) std::abort();
  if (Masked(document->encodedXml()) != Masked(page)) std::abort();
}

// One generation of the bytes about the artifact `locator`, with its outcome checked.
void Generate(const std::string& bytes, const std::string& locator) {
  const fs::path folder = Root() / "page";
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directory(folder);
  const fs::path document = fuzz_files::Write("page/template.htm", bytes);

  PageRequest request;
  request.fileName = document.string();
  request.artifactLocator = locator;
  request.serverUrl = "http://portal";
  request.templateId = "template";
  const GenerationResult result = GenerateDocument(request, nullptr);

  // Generated means no error at all; any error is on the error page, written beside the file.
  const bool errorPage = fs::exists(ErrorCollector::errorPagePath(request.fileName));
  if (result.generated != result.errors.empty()) std::abort();
  if (result.generated &&
      (!result.statusOk || !result.page || !result.errorPageText.empty() || errorPage)) {
    std::abort();
  }
  if (!result.generated && (result.errorPageText.empty() || !errorPage)) std::abort();
  if (result.page) CheckPage(*result.page, result.generated);
  if (result.page && result.generated) {
    fuzz_files::Write("page/template.htm", bytes);
    CheckCopiesAsNodes(document.string(), locator, *result.page);
  }
  fs::remove_all(folder, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  platform::RegisterDomDocumentClass();
  std::string error;
  if (!platform::HostResources().Load(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc",
                                      error)) {
    std::fprintf(stderr, "walk_fuzz: %s\n", error.c_str());
    std::abort();
  }
  // The error page's template comes from the installation; the log stays quiet. Small limits
  // keep one input to milliseconds whatever folder it lists.
  platform::BindInitParameter("VISTAFOLD_HOME", XMLAGENT_SOURCE_DIR "/sample/install");
  platform::BindInitParameter("debugLevel", "0");
  platform::BindInitParameter("MaxRecursionLevel", "4");
  platform::BindInitParameter(platform::kMaxRepeatObjectsKey, "64");
  platform::BindInitParameter(platform::kMaxPageBytesKey, "1048576");
  platform::BindInitParameter(platform::kMaxDataFileBytesKey, "65536");
  std::error_code failure;
  fs::copy(XMLAGENT_SOURCE_DIR "/sample/data", Root() / "data", fs::copy_options::recursive,
           failure);
  if (failure) std::abort();
  DomainRegistry& registry = DomainRegistry::instance();
  registry.registerDomain(std::make_unique<FileSysDomain>());
  registry.refreshAllDomains();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string folder = (Root() / "data").string();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  ReplaceAll(bytes, "@DATA@", folder);
  // The page about the folder; a template that opens a file by its full name also about a record
  // file and about an HTML file in it.
  Generate(bytes, "FileSys:Directory:FullName=" + folder);
  if (bytes.find("FileSys:File:FullName=") != std::string::npos) {
    Generate(bytes, "FileSys:File:FullName=" + folder + "/team.csv");
    Generate(bytes, "FileSys:File:FullName=" + folder + "/about.htm");
  }
  return 0;
}
