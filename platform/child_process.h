// A child process started with fork and exec. Its input comes from /dev/null or a pipe; its
// output is inherited, sent to /dev/null or read through a pipe. An attached child is waited
// for; a detached one runs in its own process group and is never waited for (nor left behind as
// a zombie). Every failing system call is written to the error stream as
// "syscall failure: <errno>, call: <name>, from: <operation>", followed once per operation by
// "*** QuireChildProcess::Problem_Found found". No descriptor of ours leaks into any child.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace platform {

class QuireChildProcess {
 public:
  enum class Input { kNull, kPipe };
  enum class Output { kInherit, kNull, kPipe };
  enum class Mode { kAttached, kDetached };

  struct Options {
    Input input = Input::kNull;
    Output output = Output::kInherit;
    std::string workingFolder;  // empty: the caller's current folder
    Mode mode = Mode::kAttached;
  };

  QuireChildProcess() = default;
  // Closes the pipes. An attached child that is still running is killed and reaped.
  ~QuireChildProcess();

  QuireChildProcess(const QuireChildProcess&) = delete;
  QuireChildProcess& operator=(const QuireChildProcess&) = delete;

  // Starts program (searched along PATH when it holds no "/") with the arguments after argv[0].
  // Returns once the program runs (true) or could not be started (false, reported). An object
  // starts one process only. Blocks the calling thread briefly; any thread.
  bool start(const std::string& program, const std::vector<std::string>& arguments,
             const Options& options);
  bool start(const std::string& program, const std::vector<std::string>& arguments) {
    return start(program, arguments, Options{});
  }

  // Writes all bytes to the child's input pipe. False (reported) when there is no input pipe or
  // the child no longer reads; never raises SIGPIPE in this process.
  bool writeInput(std::string_view bytes);

  // Closes the child's input pipe, so that the child sees the end of its input.
  void closeInput();

  // Appends everything the child writes to its output pipe, up to its end, to bytes. A child
  // that waits for more input before it finishes writing needs closeInput() first.
  bool readOutput(std::string& bytes);

  // Waits, without a time limit, for an attached child to end. True with its exit code when it
  // exited; false (reported) when it was ended by a signal (exitCode is then 128 + signal), when
  // it is detached, or when there is nothing to wait for.
  bool wait(int& exitCode);

  // The child's process id (in detached mode the program's own); -1 before a start.
  pid_t processId() const { return pid_; }

  // Whether any operation of this object recorded a failure, and the errno of the last one.
  bool problemFound() const { return failures_ > 0; }
  int lastError() const { return lastError_; }

  // The path that start() would run for program: itself when it holds a "/" and names an
  // executable file, else the first executable match along PATH; empty when there is none.
  static std::string findProgram(const std::string& program);

 private:
  struct Operation;

  void fail(int error, const char* call, const char* from);
  void failWithValue(int error, const char* call, int value);
  bool collectStartReports(int reportFd, const char* from);
  void closeDescriptor(int& fd);

  pid_t pid_ = -1;
  bool detached_ = false;
  bool reaped_ = false;
  int inputFd_ = -1;
  int outputFd_ = -1;
  int failures_ = 0;
  int lastError_ = 0;
};

}  // namespace platform
