#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/fault_injection.h"

// Program names are used as given: no ".exe" is appended on this platform.

namespace platform {

namespace {

// What a child tells its parent through the start-report pipe before it runs the program; the
// pipe closes on exec, so reaching its end without a failure record means the program runs.
enum ReportCode : int32_t {
  kReportProcessId,  // the detached program's process id, from the intermediate process
  kReportChdir,
  kReportDup2,
  kReportSetpgid,
  kReportExecvp,
  kReportFork,
};

struct StartReport {
  int32_t code;
  int32_t value;
};

const char* CallName(int32_t code) {
  switch (code) {
    case kReportChdir:
      return "Chdir";
    case kReportDup2:
      return "Dup2";
    case kReportSetpgid:
      return "Setpgid";
    case kReportExecvp:
      return "Execvp";
    case kReportFork:
      return "Fork";
    default:
      return "Read_Failed";
  }
}

void WriteDiagnostic(const char* line) { std::fputs(line, stderr); }

// Closes the descriptor it holds when it goes, unless released.
class Descriptor {
 public:
  Descriptor() = default;
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  int* receive() { return &fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

// Everything the child needs, prepared before the fork: between fork and exec only
// async-signal-safe calls may run, so nothing there allocates.
struct ChildPlan {
  const char* path;
  char* const* argv;
  const char* folder;  // null: stay in the parent's folder
  int inputFd;
  int outputFd;  // -1: inherit the parent's
  bool newGroup;
};

void SendReport(int fd, int32_t code, int32_t value) {
  StartReport report{code, value};
  // One write of a few bytes into a pipe is atomic, so records of two processes never mix.
  while (write(fd, &report, sizeof report) < 0 && errno == EINTR) {
  }
}

[[noreturn]] void FailInChild(int reportFd, int32_t code) {
  SendReport(reportFd, code, errno);
  _exit(127);
}

[[noreturn]] void BecomeProgram(const ChildPlan& plan, int reportFd) {
  if (plan.newGroup && setpgid(0, 0) != 0) FailInChild(reportFd, kReportSetpgid);
  if (dup2(plan.inputFd, STDIN_FILENO) < 0) FailInChild(reportFd, kReportDup2);
  if (plan.outputFd >= 0 && dup2(plan.outputFd, STDOUT_FILENO) < 0) {
    FailInChild(reportFd, kReportDup2);
  }
  if (plan.folder != nullptr && chdir(plan.folder) != 0) FailInChild(reportFd, kReportChdir);
  // The program starts with the usual signal state whatever this process has set up.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execv(plan.path, plan.argv);
  FailInChild(reportFd, kReportExecvp);
}

bool IsRunnableFile(const std::string& candidate, int& error) {
  struct stat info {};
  if (stat(candidate.c_str(), &info) != 0) {
    error = errno;
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = EACCES;
    return false;
  }
  if (access(candidate.c_str(), X_OK) != 0) {
    error = errno;
    return false;
  }
  return true;
}

// The path to run for program, or empty with the errno that exec would have given.
std::string ResolveProgram(const std::string& program, int& error) {
  error = ENOENT;
  if (program.empty()) return "";
  if (program.find('/') != std::string::npos) {
    return IsRunnableFile(program, error) ? program : "";
  }
  const char* searchPath = std::getenv("PATH");
  std::string folders = searchPath != nullptr && *searchPath != '\0' ? searchPath : "/bin:/usr/bin";
  bool denied = false;
  size_t begin = 0;
  while (begin <= folders.size()) {
    size_t end = folders.find(':', begin);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(begin, end - begin);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    int candidateError = 0;
    if (IsRunnableFile(candidate, candidateError)) return candidate;
    denied = denied || candidateError == EACCES;
    begin = end + 1;
  }
  error = denied ? EACCES : ENOENT;
  return "";
}

// Pipe and /dev/null ends must not sit on 0, 1 or 2 (possible when this process runs with a
// standard stream closed), or the child's dup2 calls would overwrite one with another.
bool MoveAboveStandardStreams(Descriptor& descriptor) {
  if (descriptor.get() < 0 || descriptor.get() > STDERR_FILENO) return true;
  int moved = fcntl(descriptor.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (moved < 0) return false;
  descriptor.reset(moved);
  return true;
}

// Writes all bytes with SIGPIPE blocked in this thread, so that a reader that went away shows up
// as EPIPE instead of ending the process; a SIGPIPE raised by this write is consumed.
int WriteAll(int fd, std::string_view bytes) {
  sigset_t pipeOnly;
  sigset_t previous;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  int error = 0;
  while (!bytes.empty()) {
    ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  if (error == EPIPE && !alreadyPending) {
    timespec noWait{};
    while (sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return error;
}

pid_t WaitForProcess(pid_t pid, int& status) {
  pid_t result;
  while ((result = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  return result;
}

}  // namespace

// Writes the Problem_Found line once at the end of a public operation that recorded a failure.
struct QuireChildProcess::Operation {
  explicit Operation(QuireChildProcess& process)
      : process_(process), failuresBefore_(process.failures_) {}
  ~Operation() {
    if (process_.failures_ != failuresBefore_) {
      WriteDiagnostic("*** QuireChildProcess::Problem_Found found\n");
    }
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

 private:
  QuireChildProcess& process_;
  int failuresBefore_;
};

QuireChildProcess::~QuireChildProcess() {
  closeDescriptor(inputFd_);
  closeDescriptor(outputFd_);
  if (detached_ || pid_ <= 0 || reaped_) return;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    WaitForProcess(pid_, status);
  }
}

std::string QuireChildProcess::findProgram(const std::string& program) {
  int ignored = 0;
  return ResolveProgram(program, ignored);
}

void QuireChildProcess::fail(int error, const char* call, const char* from) {
  char line[512];
  std::snprintf(line, sizeof line, "syscall failure: %d, call: %s, from: %s\n", error, call, from);
  WriteDiagnostic(line);
  ++failures_;
  lastError_ = error;
}

void QuireChildProcess::failWithValue(int error, const char* call, int value) {
  char line[512];
  std::snprintf(line, sizeof line, "syscall failure: %d, call: %s, value: %d\n", error, call,
                value);
  WriteDiagnostic(line);
  ++failures_;
  lastError_ = error;
}

void QuireChildProcess::closeDescriptor(int& fd) {
  // Linux releases the descriptor even when close is interrupted, so it is never retried.
  if (fd >= 0) close(fd);
  fd = -1;
}

bool QuireChildProcess::collectStartReports(int reportFd, const char* from) {
  bool started = true;
  StartReport report{};
  size_t filled = 0;
  for (;;) {
    ssize_t count =
        read(reportFd, reinterpret_cast<char*>(&report) + filled, sizeof report - filled);
    if (count < 0) {
      if (errno == EINTR) continue;
      fail(errno, "Read_Failed", from);
      return false;
    }
    if (count == 0) break;
    filled += static_cast<size_t>(count);
    if (filled < sizeof report) continue;
    filled = 0;
    if (report.code == kReportProcessId) {
      pid_ = report.value;
    } else {
      fail(report.value, CallName(report.code), from);
      started = false;
    }
  }
  if (filled != 0) {
    fail(EIO, "Read_Failed", from);
    started = false;
  }
  return started;
}

bool QuireChildProcess::start(const std::string& program, const std::vector<std::string>& arguments,
                              const Options& options) {
  Operation operation(*this);
  const char* from = "start";
  if (pid_ != -1 || detached_) {
    fail(EALREADY, "Fork", from);
    return false;
  }
  if (program.empty()) {
    fail(EINVAL, "Null Command", from);
    return false;
  }
  // exec takes C strings: an embedded NUL would silently cut an argument short.
  bool embeddedNul = program.find('\0') != std::string::npos;
  for (const std::string& argument : arguments) {
    embeddedNul = embeddedNul || argument.find('\0') != std::string::npos;
  }
  if (embeddedNul) {
    fail(EINVAL, "Null argv", from);
    return false;
  }
  int resolveError = 0;
  std::string path = ResolveProgram(program, resolveError);
  if (path.empty()) {
    fail(resolveError, "Execvp", from);
    return false;
  }
  std::vector<std::string> words;
  words.reserve(arguments.size() + 1);
  words.push_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  Descriptor nullDevice, inputRead, inputWrite, outputRead, outputWrite, reportRead, reportWrite;
  if (options.input == Input::kNull || options.output == Output::kNull) {
    nullDevice.reset(open("/dev/null", O_RDWR | O_CLOEXEC));
    if (nullDevice.get() < 0) {
      fail(errno, "Open", from);
      return false;
    }
  }
  auto makePipe = [&](Descriptor& readEnd, Descriptor& writeEnd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
      fail(errno, "Pipe", from);
      return false;
    }
    readEnd.reset(ends[0]);
    writeEnd.reset(ends[1]);
    return true;
  };
  if (options.input == Input::kPipe && !makePipe(inputRead, inputWrite)) return false;
  if (options.output == Output::kPipe && !makePipe(outputRead, outputWrite)) return false;
  if (!makePipe(reportRead, reportWrite)) return false;
  for (Descriptor* descriptor : {&nullDevice, &inputRead, &inputWrite, &outputRead, &outputWrite,
                                 &reportRead, &reportWrite}) {
    if (!MoveAboveStandardStreams(*descriptor)) {
      fail(errno, "Fcntl_Close_Exec", from);
      return false;
    }
  }

  const bool detached = options.mode == Mode::kDetached;
  ChildPlan plan{path.c_str(),
                 argv.data(),
                 options.workingFolder.empty() ? nullptr : options.workingFolder.c_str(),
                 options.input == Input::kPipe ? inputRead.get() : nullDevice.get(),
                 options.output == Output::kPipe   ? outputWrite.get()
                 : options.output == Output::kNull ? nullDevice.get()
                                                   : -1,
                 detached};
  pid_t child = -1;
  if (InjectFault(Seam::StartProcess)) {
    errno = EAGAIN;
  } else {
    child = fork();
  }
  if (child < 0) {
    fail(errno, "Fork", from);
    return false;
  }
  if (child == 0) {
    if (!detached) BecomeProgram(plan, reportWrite.get());
    // The intermediate process ends at once, so the program is adopted by init and never
    // becomes a zombie of ours.
    pid_t programPid = fork();
    if (programPid < 0) FailInChild(reportWrite.get(), kReportFork);
    if (programPid == 0) BecomeProgram(plan, reportWrite.get());
    SendReport(reportWrite.get(), kReportProcessId, programPid);
    _exit(0);
  }

  reportWrite.reset();
  inputRead.reset();
  outputWrite.reset();
  nullDevice.reset();
  detached_ = detached;
  pid_ = detached ? -1 : child;
  bool started = collectStartReports(reportRead.get(), from);
  if (detached || !started) {
    int status = 0;
    if (WaitForProcess(child, status) < 0) {
      fail(errno, "Waitpid", from);
      started = false;
    } else if (detached && started && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
      failWithValue(0, "Exit", WIFEXITED(status) ? WEXITSTATUS(status) : status);
      started = false;
    }
    reaped_ = true;
  }
  if (started && detached && pid_ <= 0) {
    failWithValue(EIO, "Detached", pid_);
    started = false;
  }
  if (!started) return false;
  inputFd_ = inputWrite.release();
  outputFd_ = outputRead.release();
  return true;
}

bool QuireChildProcess::writeInput(std::string_view bytes) {
  Operation operation(*this);
  if (inputFd_ < 0) {
    fail(EBADF, "write failure", "writeInput");
    return false;
  }
  int error = WriteAll(inputFd_, bytes);
  if (error != 0) {
    fail(error, "write failure", "writeInput");
    return false;
  }
  return true;
}

void QuireChildProcess::closeInput() { closeDescriptor(inputFd_); }

bool QuireChildProcess::readOutput(std::string& bytes) {
  Operation operation(*this);
  if (outputFd_ < 0) {
    fail(EBADF, "Read", "readOutput");
    return false;
  }
  char buffer[65536];
  for (;;) {
    ssize_t count = read(outputFd_, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      fail(errno, "Read", "readOutput");
      closeDescriptor(outputFd_);
      return false;
    }
    if (count == 0) break;
    bytes.append(buffer, static_cast<size_t>(count));
  }
  closeDescriptor(outputFd_);
  return true;
}

bool QuireChildProcess::wait(int& exitCode) {
  Operation operation(*this);
  exitCode = -1;
  if (detached_) {
    fail(ECHILD, "Detached", "wait");
    return false;
  }
  if (pid_ <= 0 || reaped_) {
    fail(ECHILD, "Waitpid", "wait");
    return false;
  }
  int status = 0;
  if (WaitForProcess(pid_, status) < 0) {
    int error = errno;
    fail(error, "Waitpid", "wait");
    reaped_ = error == ECHILD;
    return false;
  }
  reaped_ = true;
  if (WIFEXITED(status)) {
    exitCode = WEXITSTATUS(status);
    return true;
  }
  int signalNumber = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  exitCode = 128 + signalNumber;
  failWithValue(0, "Sig_Exit", signalNumber);
  return false;
}

}  // namespace platform
