#include "platform/script_runner.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "foundation/text_helpers.h"
#include "platform/child_process.h"
#include "platform/file_io.h"
#include "platform/work_limits.h"

namespace platform {

namespace {

constexpr std::string_view kFailureMarker = "@scriptFailed@";

enum class Family {
  kAsGiven,     // "QuireComSpec": its words, nothing added
  kCommandCom,  // takes "/e:4096 /c", drops a final line break of the output
  kCmdExe,      // takes "/a/q/c" and the failure marker
  kPosixShell,  // takes "-c" and the failure marker
};

struct Interpreter {
  Family family = Family::kPosixShell;
  std::string program;
  std::vector<std::string> leadingWords;  // before the command line: the switches
  bool available = false;
  bool configured = false;  // named by "QuireComSpec" or "ComSpec", not the system's shell

  bool LeavesMarker() const { return family == Family::kCmdExe || family == Family::kPosixShell; }

  std::vector<std::string> ArgumentsFor(const std::string& line) const {
    std::vector<std::string> arguments = leadingWords;
    arguments.push_back(line);
    return arguments;
  }

  // The whole line as a reader would type it, for messages.
  std::string Printable(const std::string& line) const {
    std::string text = program;
    for (const std::string& word : leadingWords) text += " " + word;
    return text + " " + line;
  }
};

std::vector<std::string> SplitAtBlanks(const std::string& text) {
  std::vector<std::string> words;
  size_t begin = text.find_first_not_of(" \t");
  while (begin != std::string::npos) {
    size_t end = text.find_first_of(" \t", begin);
    words.push_back(text.substr(begin, end == std::string::npos ? end : end - begin));
    begin = end == std::string::npos ? end : text.find_first_not_of(" \t", end);
  }
  return words;
}

// Read on every call: the settings are environment variables that may change between runs.
Interpreter ChooseInterpreter() {
  Interpreter chosen;
  if (const char* given = std::getenv("QuireComSpec")) {
    chosen.family = Family::kAsGiven;
    std::vector<std::string> words = SplitAtBlanks(given);
    if (!words.empty()) {
      chosen.program = words.front();
      chosen.leadingWords.assign(words.begin() + 1, words.end());
    }
  } else if (const char* comSpec = std::getenv("ComSpec")) {
    chosen.program = comSpec;
    std::string lower = LowercaseCopy(chosen.program);
    if (lower.find("command.com") != std::string::npos) {
      chosen.family = Family::kCommandCom;
      chosen.leadingWords = {"/e:4096", "/c"};
    } else if (lower.find("cmd.exe") != std::string::npos) {
      chosen.family = Family::kCmdExe;
      chosen.leadingWords = {"/a/q/c"};
    } else {
      chosen.leadingWords = {"-c"};
    }
  } else {
    chosen.program = "/bin/sh";
    chosen.leadingWords = {"-c"};
  }
  chosen.configured = chosen.program != "/bin/sh";
  chosen.available = !QuireChildProcess::findProgram(chosen.program).empty();
  return chosen;
}

// The file name as a word of the interpreter's line: quoted when it holds anything that the
// interpreter would split or expand (a temporary folder may hold blanks).
std::string FileNameWord(const std::string& path, Family family) {
  bool plain = !path.empty();
  for (char c : path) {
    bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                std::string_view("/._-+~").find(c) != std::string_view::npos;
    plain = plain && safe;
  }
  if (plain && path.front() != '~') return path;
  if (family == Family::kCommandCom || family == Family::kCmdExe) return "\"" + path + "\"";
  std::string quoted = "'";
  for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The status of a failure: the message, with a line break and the system's text for error
// appended when there is one; also written to the error stream as one line.
QuireStatus Failure(uint32_t kind, const QuireStatus& message, int error) {
  std::string text = message.Message();
  if (error != 0) text += "\n" + SystemErrorText(error);
  std::string line = text;
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  std::fprintf(stderr, "%s\n", line.c_str());
  return QuireStatus(kind, text);
}

QuireStatus ScriptFailure(HostMessageId message, int error = 0) {
  return Failure(kProcessingError, QuireStatus(kProcessingError, message), error);
}

// A fresh, empty file in the temporary folder named "~S<unique>.tmp", removed when the object
// goes.
class TemporaryOutputFile {
 public:
  TemporaryOutputFile() = default;
  ~TemporaryOutputFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryOutputFile(const TemporaryOutputFile&) = delete;
  TemporaryOutputFile& operator=(const TemporaryOutputFile&) = delete;

  // False with the errno when no such file can be made.
  bool Create(int& error) {
    std::error_code code;
    std::filesystem::path folder = std::filesystem::temp_directory_path(code);
    if (code) {
      error = code.value();
      return false;
    }
    std::string pattern = (folder / "~SXXXXXX.tmp").string();
    int fd = mkostemps(pattern.data(), 4, O_CLOEXEC);
    if (fd < 0) {
      error = errno;
      return false;
    }
    close(fd);
    path_ = pattern;
    return true;
  }

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Reads the whole file; nothing, or the message and errno of the step that failed.
std::optional<HostMessageId> ReadOutputFile(const std::string& path, std::string& text,
                                            int& error) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return host_message::kCommandOutputNotOpened;
  }
  char buffer[65536];
  for (;;) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      error = errno;
      close(fd);
      return host_message::kCommandOutputUnreadable;
    }
    if (count == 0) break;
    text.append(buffer, static_cast<size_t>(count));
  }
  close(fd);
  return std::nullopt;
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c != '\r') result += c;
  }
  return result;
}

}  // namespace

std::string RunWithOutput(const std::string& command, const std::string& arguments,
                          QuireStatus& status) {
  const std::string commandLine = arguments.empty() ? command : command + " " + arguments;
  const Interpreter interpreter = ChooseInterpreter();
  if (!interpreter.available) {
    // A named interpreter that is not there fails to start; without one there is none to run.
    status = interpreter.configured ? ScriptFailure(host_message::kCommandNotStarted, ENOENT)
                                    : ScriptFailure(host_message::kNoCommandInterpreter);
    return "";
  }
  TemporaryOutputFile outputFile;
  int error = 0;
  if (!outputFile.Create(error)) {
    status =
        Failure(kProcessingError,
                QuireStatus(kProcessingError, host_message::kNoTemporaryFile, commandLine), error);
    return "";
  }

  const std::string target = FileNameWord(outputFile.Path(), interpreter.family);
  std::string line = commandLine + " > " + target;
  if (interpreter.LeavesMarker()) {
    line += " || echo " + std::string(kFailureMarker) + " > " + target;
  }
  QuireChildProcess process;
  QuireChildProcess::Options options;
  // Like a hidden window: what the interpreter itself prints is not shown.
  options.output = QuireChildProcess::Output::kNull;
  if (!process.start(interpreter.program, interpreter.ArgumentsFor(line), options)) {
    status = ScriptFailure(host_message::kCommandNotStarted, process.lastError());
    return "";
  }
  int exitCode = 0;
  if (!process.wait(exitCode)) {
    status = ScriptFailure(host_message::kWaitForCommandFailed, process.lastError());
    return "";
  }

  // The output becomes one value: past the limit of a data file it is not read at all.
  const std::uint64_t limit = ConfiguredLimit(kMaxDataFileBytesKey, kDefaultMaxDataFileBytes);
  if (std::uint64_t size = 0; RegularFileFailure(outputFile.Path(), &size) == 0 && size > limit) {
    status = QuireStatus(kProcessingError, commandLine + ": the output has " +
                                               std::to_string(size) + " bytes, more than " +
                                               LimitText(kMaxDataFileBytesKey, limit));
    std::fprintf(stderr, "%s\n", status.Message().c_str());
    return "";
  }
  std::string bytes;
  if (const auto failure = ReadOutputFile(outputFile.Path(), bytes, error)) {
    status = ScriptFailure(*failure, error);
    return "";
  }
  std::string output = WithoutCarriageReturns(bytes);
  if (interpreter.family == Family::kCommandCom && !output.empty() && output.back() == '\n') {
    output.pop_back();
  }
  if (output.find(kFailureMarker) != std::string::npos) {
    // The marker stays in the output: callers show what the command left.
    status = Failure(kProcessingError,
                     QuireStatus(kProcessingError, host_message::kCommandFailed, commandLine), 0);
    return output;
  }
  status = QuireStatus(kSuccess, host_message::kCommandSucceeded);
  return output;
}

QuireStatus RunCommand(const std::string& command) {
  const Interpreter interpreter = ChooseInterpreter();
  if (!interpreter.available) return ScriptFailure(host_message::kNoCommandInterpreter);
  QuireChildProcess process;
  int exitCode = -1;
  bool succeeded = process.start(interpreter.program, interpreter.ArgumentsFor(command)) &&
                   process.wait(exitCode) && exitCode == 0;
  if (!succeeded) {
    std::fprintf(stderr, "Failed to run command %s\n", command.c_str());
    return QuireStatus(kProcessingError, host_message::kCommandNotRun, command);
  }
  return QuireStatus();
}

QuireStatus StartDetached(const std::string& command) {
  const Interpreter interpreter = ChooseInterpreter();
  if (!interpreter.available) {
    return Failure(kEvaluationError,
                   QuireStatus(kEvaluationError, host_message::kNoCommandInterpreter), 0);
  }
  QuireChildProcess process;
  QuireChildProcess::Options options;
  options.output = QuireChildProcess::Output::kNull;
  options.mode = QuireChildProcess::Mode::kDetached;
  if (!process.start(interpreter.program, interpreter.ArgumentsFor(command), options)) {
    return Failure(kEvaluationError,
                   QuireStatus(kEvaluationError, host_message::kBackgroundStartFailed,
                               interpreter.Printable(command)),
                   0);
  }
  return QuireStatus();
}

}  // namespace platform
