// The subcommands for template authors: their options, the template check and the schema listing.
#include "tools/host_commands.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "agent/template_conversion.h"
#include "agent/template_loading.h"
#include "foundation/quire_status.h"
#include "generate/template_check.h"
#include "platform/dom/dom_document.h"
#include "tools/installed_domains.h"
#include "tools/schema_listing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kClean = 0;
constexpr int kProblems = 1;
constexpr int kUsage = 2;

constexpr const char* kCheckUsage =
    "usage: xmlagent check [--home DIR] [--user-data DIR] [--set KEY=VALUE] TEMPLATE\n"
    "Checks a template against the installation's domains without reading any data: one line\n"
    "per problem, naming the comment's label as Word shows it, the text near it, the command\n"
    "text and what is wrong. Exit status: 0 no problem, 1 problems, 2 bad usage.\n";
constexpr const char* kSchemaUsage =
    "usage: xmlagent schema [--home DIR] [--user-data DIR] [--set KEY=VALUE] [--json] [DOMAIN]\n"
    "Lists the classes of the loaded domains (or of DOMAIN): attributes with their types,\n"
    "relationships, superclasses and the arguments that open an object.\n";

struct AuthorOptions {
  InstallationOptions installation{
      XMLAGENT_SOURCE_DIR "/sample/install", XMLAGENT_BINARY_DIR "/sample-data", {}};
  bool json = false;
  bool help = false;
  std::vector<std::string> words;
};

struct BadUsage {
  std::string reason;
};

AuthorOptions ParseAuthorOptions(int argc, char** argv, bool takesJson) {
  AuthorOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string word = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw BadUsage{word + " needs a value"};
      return argv[++i];
    };
    if (word == "--home") {
      options.installation.home = value();
    } else if (word == "--user-data") {
      options.installation.userData = value();
    } else if (word == "--set") {
      const std::string pair = value();
      const std::size_t eq = pair.find('=');
      if (eq == std::string::npos || eq == 0) throw BadUsage{"--set wants KEY=VALUE"};
      options.installation.settings.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    } else if (word == "--json" && takesJson) {
      options.json = true;
    } else if (word == "--help" || word == "-h") {
      options.help = true;
    } else if (word.starts_with("--")) {
      throw BadUsage{"unknown option " + word};
    } else {
      options.words.push_back(word);
    }
  }
  return options;
}

// A private copy of the template: conversion rewrites its file, and the author's stays as it is.
class TemplateCopy {
 public:
  explicit TemplateCopy(const fs::path& source) {
    std::string pattern = (fs::temp_directory_path() / "xmlagent-check-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    std::error_code error;
    path_ = folder_ / source.filename();
    fs::copy_file(source, path_, error);
    if (error) path_.clear();
  }
  ~TemplateCopy() {
    std::error_code error;
    if (!folder_.empty()) fs::remove_all(folder_, error);
  }
  TemplateCopy(const TemplateCopy&) = delete;
  TemplateCopy& operator=(const TemplateCopy&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path folder_;
  fs::path path_;
};

// Loads the template as generation does: as XML, else converted from Word's HTML first. Null
// with `reason` when it is no page at all.
std::shared_ptr<platform::DomDocument> LoadForCheck(const fs::path& file, std::string& reason) {
  TemplateCopy copy(file);
  if (copy.path().empty()) {
    reason = "cannot copy the template into a temporary folder";
    return nullptr;
  }
  std::shared_ptr<platform::DomDocument> document = platform::NewDomDocument();
  if (!document) {
    reason = "no document object";
    return nullptr;
  }
  std::string message;
  if (!LoadTemplate(*document, copy.path().string(), message)) {
    QuireStatus status;
    if (!ConvertTemplateToXml(copy.path().string(), status, true)) {
      reason = "cannot be converted from HTML: " + status.Text();
      return nullptr;
    }
    if (!LoadTemplate(*document, copy.path().string(), message)) {
      reason = "cannot be read as HTML: " + message;
      return nullptr;
    }
  }
  const platform::DomNode root = document->documentElement();
  if (!root || !root.selectSingleNode("body")) {
    reason = "is not an HTML page: no html element with a body";
    return nullptr;
  }
  return document;
}

int RunCheck(const AuthorOptions& options, std::FILE* out, std::FILE* err) {
  if (options.words.size() != 1) throw BadUsage{"check takes one template file"};
  const fs::path file = options.words.front();
  std::error_code error;
  if (!fs::is_regular_file(file, error)) throw BadUsage{"no template file " + file.string()};
  std::string reason;
  if (!LoadInstalledDomains(options.installation, reason)) {
    std::fprintf(err, "xmlagent: %s\n", reason.c_str());
    return kProblems;
  }
  int result = kClean;
  const std::shared_ptr<platform::DomDocument> document = LoadForCheck(file, reason);
  if (!document) {
    std::fprintf(out, "%s: %s\n", file.c_str(), reason.c_str());
    result = kProblems;
  } else {
    const std::vector<TemplateProblem> problems = CheckTemplate(*document);
    for (const TemplateProblem& problem : problems)
      std::fprintf(out, "%s\n", ProblemLine(problem).c_str());
    std::fprintf(out, "%s: %zu problem%s\n", file.c_str(), problems.size(),
                 problems.size() == 1 ? "" : "s");
    if (!problems.empty()) result = kProblems;
  }
  UnloadInstalledDomains();
  return result;
}

int RunSchema(const AuthorOptions& options, std::FILE* out, std::FILE* err) {
  if (options.words.size() > 1) throw BadUsage{"schema takes at most one domain name"};
  std::string reason;
  if (!LoadInstalledDomains(options.installation, reason)) {
    std::fprintf(err, "xmlagent: %s\n", reason.c_str());
    return kProblems;
  }
  const std::optional<std::string> domain =
      options.words.empty() ? std::nullopt : std::optional<std::string>(options.words.front());
  std::string listing;
  const bool found = options.json ? SchemaJson(domain, listing) : SchemaText(domain, listing);
  if (found)
    std::fputs(listing.c_str(), out);
  else
    std::fprintf(err, "xmlagent: no domain %s is loaded\n", domain->c_str());
  UnloadInstalledDomains();
  return found ? kClean : kProblems;
}

}  // namespace

bool IsAuthorCommand(int argc, char** argv) {
  return argc > 1 && (std::strcmp(argv[1], "check") == 0 || std::strcmp(argv[1], "schema") == 0);
}

int RunAuthorCommand(int argc, char** argv, std::FILE* out, std::FILE* err) {
  const bool check = std::strcmp(argv[1], "check") == 0;
  // The report keeps standard output; what the library writes there while it loads the domains
  // goes to the error stream with its other diagnostics.
  if (out == stdout) {
    std::fflush(stdout);
    if (const int fd = dup(1); fd >= 0) {
      if (std::FILE* report = fdopen(fd, "w")) {
        out = report;
        dup2(2, 1);
      } else {
        close(fd);
      }
    }
  }
  try {
    const AuthorOptions options = ParseAuthorOptions(argc, argv, !check);
    if (options.help) {
      std::fputs(check ? kCheckUsage : kSchemaUsage, out);
      return kClean;
    }
    const int status = check ? RunCheck(options, out, err) : RunSchema(options, out, err);
    std::fflush(out);
    return status;
  } catch (const BadUsage& usage) {
    std::fprintf(err, "xmlagent: %s\n%s", usage.reason.c_str(), check ? kCheckUsage : kSchemaUsage);
    return kUsage;
  }
}
