// xmlagent: plays the portal from the command line. It prepares the user-data folder as the
// portal does (the document file and generated/ParameterFile.txt), sets the init parameters,
// asks the library for one page and says where the page and Output.txt went; or, with the word
// "ancestors" and a locator, asks for the artifact's ancestors as the portal's tree does and
// prints them.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "agent/agent_entry.h"
#include "generate/progress_sink.h"
#include "tools/host_commands.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: xmlagent [options]\n"
    "       xmlagent [options] ancestors LOCATOR\n"
    "       xmlagent check TEMPLATE | schema [DOMAIN]   (see xmlagent check --help)\n"
    "Generates one page as the portal would ask for it; or prints the ancestors of the\n"
    "artifact that LOCATOR names, joined by \":\", as the portal's tree asks for them.\n"
    "  --home DIR          installation folder (default: the sample installation, built\n"
    "                      from sample/install with the sample domain library)\n"
    "  --user-data DIR     user-data folder; generated/ and logs/ go below it\n"
    "  --timeout MS        request timeout; 0 generates on the command thread (default 0)\n"
    "  --set KEY=VALUE     any init parameter; repeatable; it wins over the options below\n"
    "  --template FILE     template copied into <user-data>/generated/ as the document\n"
    "                      (default: the sample template plain.htm)\n"
    "  --document FILE     generate this document file in place instead\n"
    "  --locator TEXT      ARTIFACT_LOCATOR of the request\n"
    "  --server URL        SERVER_URL of the request\n"
    "  --template-id TEXT  TEMPLATE_ID of the request (default: the document's file name)\n"
    "  --user NAME         PASSWORD_NAME of the data-source credential\n"
    "  --password TEXT     PASSWORD_VALUE of the data-source credential\n"
    "  --log               ENABLELOGGING=TRUE: the log goes to <user-data>/logs/xmlagent.log\n"
    "  --quiet             no progress lines while the page is generated\n"
    "  --help              this text\n"
    "Exit status: 0 page generated (ancestors: an answer printed), 1 the library reported a\n"
    "failure (ancestors: no answer), 2 bad usage.\n";

struct Options {
  std::string home = XMLAGENT_SAMPLE_HOME;
  std::string userData = XMLAGENT_BINARY_DIR "/sample-data";
  std::string timeout = "0";
  std::vector<std::pair<std::string, std::string>> settings;
  std::string templateFile;
  std::string document;
  std::string locator;
  std::string server = "http://localhost:8080/vistafold";
  std::optional<std::string> templateId;
  std::string user;
  std::string password;
  bool log = false;
  bool quiet = false;
  bool help = false;
  std::optional<std::string> ancestorsOf;
};

struct UsageError {
  std::string reason;
};

bool IsDecimal(const std::string& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    std::optional<std::string> inlineValue;
    if (size_t eq = option.find('='); option.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = option.substr(eq + 1);
      option.erase(eq);
    }
    auto value = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= argc) throw UsageError{option + " needs a value"};
      return argv[++i];
    };
    auto flag = [&]() {
      if (inlineValue) throw UsageError{option + " takes no value"};
      return true;
    };
    if (option == "--home") {
      options.home = value();
    } else if (option == "--user-data") {
      options.userData = value();
    } else if (option == "--timeout") {
      options.timeout = value();
      if (!IsDecimal(options.timeout))
        throw UsageError{"--timeout wants milliseconds as a whole number, not \"" +
                         options.timeout + "\""};
    } else if (option == "--set") {
      std::string pair = value();
      size_t eq = pair.find('=');
      if (eq == std::string::npos || eq == 0) throw UsageError{"--set wants KEY=VALUE"};
      options.settings.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    } else if (option == "--template") {
      options.templateFile = value();
    } else if (option == "--document") {
      options.document = value();
    } else if (option == "--locator") {
      options.locator = value();
    } else if (option == "--server") {
      options.server = value();
    } else if (option == "--template-id") {
      options.templateId = value();
    } else if (option == "--user") {
      options.user = value();
    } else if (option == "--password") {
      options.password = value();
    } else if (option == "--log") {
      options.log = flag();
    } else if (option == "--quiet") {
      options.quiet = flag();
    } else if (option == "--help" || option == "-h") {
      options.help = flag();
    } else if (option == "ancestors") {
      if (i + 1 >= argc) throw UsageError{"ancestors needs a locator"};
      if (options.ancestorsOf) throw UsageError{"ancestors is given twice"};
      options.ancestorsOf = argv[++i];
    } else {
      throw UsageError{"unknown option " + option};
    }
  }
  if (!options.templateFile.empty() && !options.document.empty())
    throw UsageError{"give --template or --document, not both"};
  if (options.ancestorsOf &&
      (!options.templateFile.empty() || !options.document.empty() || !options.locator.empty()))
    throw UsageError{
        "ancestors takes its locator alone, without --template, --document or "
        "--locator"};
  if (options.ancestorsOf) return options;
  if (options.templateFile.empty() && options.document.empty())
    options.templateFile = XMLAGENT_SOURCE_DIR "/sample/templates/plain.htm";
  return options;
}

// A --set of the key wins over the option, as the init-parameter table keeps the first binding.
std::string Effective(const Options& options, const std::string& key, const std::string& fallback) {
  for (const auto& [name, value] : options.settings) {
    if (name == key) return value;
  }
  return fallback;
}

// The parameter file's lines, in the order in which the library tries the keys. A line belongs
// to the first key that occurs anywhere in it, so a value may not hold an earlier key, and a line
// break would start another line.
std::string ParameterFileText(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string text;
  for (size_t k = 0; k < lines.size(); ++k) {
    const auto& [key, value] = lines[k];
    if (value.find_first_of("\r\n") != std::string::npos)
      throw UsageError{"the " + key + " value holds a line break"};
    for (size_t earlier = 0; earlier < k; ++earlier) {
      if (value.find(lines[earlier].first) != std::string::npos)
        throw UsageError{"the " + key + " value holds the text " + lines[earlier].first +
                         ", which the parameter file cannot carry"};
    }
    text += key + "=" + value + "\n";
  }
  return text;
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) throw UsageError{"cannot write " + path.string()};
}

// The page the library writes beside the document when generation fails: <name>ERR.<ext>.
fs::path ErrorPageOf(const fs::path& document) {
  return document.parent_path() /
         (document.stem().string() + "ERR" + document.extension().string());
}

std::optional<fs::file_time_type> ModifiedTime(const fs::path& path) {
  std::error_code error;
  auto time = fs::last_write_time(path, error);
  if (error) return std::nullopt;
  return time;
}

// The original standard output and error: the library may redirect descriptors 1 and 2 into
// its log file, and the report is for the user.
struct ReportStreams {
  std::FILE* out = stdout;
  std::FILE* err = stderr;

  void Detach() {
    if (int fd = dup(1); fd >= 0) out = fdopen(fd, "w");
    if (int fd = dup(2); fd >= 0) err = fdopen(fd, "w");
    if (out == nullptr) out = stdout;
    if (err == nullptr) err = stderr;
  }
};

// Shows the generation's progress: on a terminal one line that is rewritten in place, otherwise
// one line per report. Called on the library's command thread while the host waits.
class ProgressLine : public ProgressSink {
 public:
  explicit ProgressLine(std::FILE* stream) : stream_(stream), terminal_(isatty(fileno(stream))) {}

  void report(const std::string& message, int percent) override {
    std::string line = message + " " + std::to_string(percent) + "%";
    if (!terminal_) {
      std::fprintf(stream_, "%s\n", line.c_str());
    } else {
      const size_t length = line.size();
      // Blanks wipe what a longer earlier line left behind.
      if (line.size() < shown_) line.append(shown_ - line.size(), ' ');
      std::fprintf(stream_, "\r%s", line.c_str());
      shown_ = length;
    }
    std::fflush(stream_);
  }

  // Ends the rewritten line, so that what follows starts on a line of its own.
  void Finish() {
    if (terminal_ && shown_ > 0) std::fputc('\n', stream_);
    shown_ = 0;
    std::fflush(stream_);
  }

 private:
  std::FILE* stream_;
  bool terminal_;
  size_t shown_ = 0;
};

// Sets the init parameters that every request of the host shares.
void SetInitParameters(const Options& options, const fs::path& home, const fs::path& userData) {
  for (const auto& [name, value] : options.settings) XmlAgentSetInitParameter(name, value);
  XmlAgentSetInitParameter("VISTAFOLD_HOME", fs::absolute(home).string());
  XmlAgentSetInitParameter("USER_DATA", userData.string());
  XmlAgentSetInitParameter("VISTAFOLD_DATA", userData.string());
  XmlAgentSetInitParameter("timeout", options.timeout);
  if (options.log) XmlAgentSetInitParameter("ENABLELOGGING", "TRUE");
}

std::string ReadFile(const fs::path& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

// The ancestors query: the parameter file carries the locator (and the credential), the
// library answers in Output.txt, which this prints.
int RunAncestors(const Options& options, ReportStreams& streams) {
  const fs::path home = Effective(options, "VISTAFOLD_HOME", options.home);
  const fs::path userData = fs::absolute(Effective(options, "USER_DATA", options.userData));
  if (!fs::is_directory(home)) throw UsageError{"no installation folder " + home.string()};
  const fs::path generated = userData / "generated";
  std::error_code error;
  fs::create_directories(generated, error);
  if (!fs::is_directory(generated)) throw UsageError{"cannot create " + generated.string()};
  const fs::path output = generated / "Output.txt";
  fs::remove(output, error);
  WriteFile(generated / "ParameterFile.txt",
            ParameterFileText({{"ARTIFACT_LOCATOR", *options.ancestorsOf},
                               {"PASSWORD_NAME", options.user},
                               {"PASSWORD_VALUE", options.password}}));
  SetInitParameters(options, home, userData);
  XmlAgentInit();
  XmlAgentGetAncestors();
  XmlAgentClose();
  const std::string answer = ReadFile(output);
  if (answer.empty()) {
    std::fprintf(streams.out, "ancestors: none (no answer in %s)\n", output.c_str());
    return kExitFailure;
  }
  std::fprintf(streams.out, "ancestors: %s\n", answer.c_str());
  return kExitSuccess;
}

int Run(const Options& options, ReportStreams& streams) {
  const fs::path home = Effective(options, "VISTAFOLD_HOME", options.home);
  const fs::path userData = fs::absolute(Effective(options, "USER_DATA", options.userData));
  if (!fs::is_directory(home)) throw UsageError{"no installation folder " + home.string()};
  const fs::path generated = userData / "generated";
  std::error_code error;
  fs::create_directories(generated, error);
  if (!fs::is_directory(generated)) throw UsageError{"cannot create " + generated.string()};

  fs::path document;
  if (!options.document.empty()) {
    document = fs::absolute(options.document);
    if (!fs::is_regular_file(document)) throw UsageError{"no document file " + document.string()};
  } else {
    const fs::path source = options.templateFile;
    if (!fs::is_regular_file(source)) throw UsageError{"no template file " + source.string()};
    document = generated / source.filename();
    fs::copy_file(source, document, fs::copy_options::overwrite_existing, error);
    if (error) throw UsageError{"cannot copy the template to " + document.string()};
    fs::remove(ErrorPageOf(document), error);
  }
  const fs::path errorPage = ErrorPageOf(document);
  const auto errorPageBefore = ModifiedTime(errorPage);
  const fs::path output = generated / "Output.txt";
  fs::remove(output, error);

  const std::string templateId = options.templateId.value_or(document.filename().string());
  WriteFile(generated / "ParameterFile.txt",
            ParameterFileText({{"FILE_NAME", document.string()},
                               {"ARTIFACT_LOCATOR", options.locator},
                               {"SERVER_URL", options.server},
                               {"TEMPLATE_ID", templateId},
                               {"PASSWORD_NAME", options.user},
                               {"PASSWORD_VALUE", options.password}}));

  SetInitParameters(options, home, userData);

  ProgressLine progress(streams.err);
  XmlAgentSetProgressSink(options.quiet ? nullptr : &progress);
  XmlAgentInit();
  XmlAgentGenerate();
  const int outcome = XmlAgentLastGenerateOutcome();
  XmlAgentClose();
  XmlAgentSetProgressSink(nullptr);
  progress.Finish();

  const auto errorPageAfter = ModifiedTime(errorPage);
  const bool newErrorPage = errorPageAfter.has_value() && errorPageAfter != errorPageBefore;
  std::fprintf(streams.out, "%s: %s\n", newErrorPage ? "error page" : "page",
               (newErrorPage ? errorPage : document).c_str());
  if (fs::exists(output))
    std::fprintf(streams.out, "output: %s\n", output.c_str());
  else
    std::fprintf(streams.out, "output: none written (%s)\n", output.c_str());
  if (options.log) std::fprintf(streams.out, "log: %s\n", (userData / "logs/xmlagent.log").c_str());

  if (newErrorPage) {
    std::fprintf(streams.err, "xmlagent: generation failed; see %s\n", errorPage.c_str());
    return kExitFailure;
  }
  if (outcome != 1) {
    const char* what = outcome == 0    ? "generation failed"
                       : outcome == -2 ? "the request timed out"
                                       : "the request was not served";
    std::fprintf(streams.err, "xmlagent: %s (outcome %d)\n", what, outcome);
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  ReportStreams streams;
  // "check" and "schema" serve template authors and take their own options.
  if (IsAuthorCommand(argc, argv)) return RunAuthorCommand(argc, argv, stdout, stderr);
  try {
    const Options options = ParseOptions(argc, argv);
    if (options.help) {
      std::fputs(kUsage, stdout);
      return kExitSuccess;
    }
    streams.Detach();
    const int status = options.ancestorsOf ? RunAncestors(options, streams) : Run(options, streams);
    std::fflush(streams.out);
    std::fflush(streams.err);
    return status;
  } catch (const UsageError& e) {
    std::fprintf(streams.err, "xmlagent: %s (try --help)\n", e.reason.c_str());
    return kExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(streams.err, "xmlagent: %s\n", e.what());
    return kExitFailure;
  }
}
