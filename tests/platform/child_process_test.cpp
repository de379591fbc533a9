#include "platform/child_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "platform/system_information.h"
#include "test_support.h"

namespace {

using platform::QuireChildProcess;
using test_support::CapturedStderr;
using test_support::ScopedVariable;
using test_support::TempFolder;

const char kProblemLine[] = "*** QuireChildProcess::Problem_Found found\n";

bool HasNoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

QuireChildProcess::Options PipedOutput() {
  QuireChildProcess::Options options;
  options.output = QuireChildProcess::Output::kPipe;
  return options;
}

TEST(QuireChildProcessTest, PipesCarryInputToTheChildAndItsOutputBack) {
  QuireChildProcess::Options options = PipedOutput();
  options.input = QuireChildProcess::Input::kPipe;
  QuireChildProcess process;
  ASSERT_TRUE(process.start("cat", {}, options));
  EXPECT_TRUE(process.writeInput("hello\n"));
  EXPECT_TRUE(process.writeInput("again"));
  process.closeInput();
  std::string output;
  EXPECT_TRUE(process.readOutput(output));
  EXPECT_EQ(output, "hello\nagain");
  int exitCode = -1;
  EXPECT_TRUE(process.wait(exitCode));
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(process.problemFound());
}

TEST(QuireChildProcessTest, WaitGivesTheExitCodeAndTheInputIsEmptyWithoutAPipe) {
  QuireChildProcess process;
  // cat reads /dev/null, so it ends at once with nothing written.
  ASSERT_TRUE(process.start("/bin/sh", {"-c", "cat; exit 7"}, PipedOutput()));
  std::string output;
  EXPECT_TRUE(process.readOutput(output));
  EXPECT_EQ(output, "");
  int exitCode = -1;
  EXPECT_TRUE(process.wait(exitCode));
  EXPECT_EQ(exitCode, 7);
  EXPECT_TRUE(HasNoChildren());
}

TEST(QuireChildProcessTest, ChildRunsInTheGivenWorkingFolder) {
  TempFolder folder;
  QuireChildProcess::Options options = PipedOutput();
  options.workingFolder = folder.Path();
  QuireChildProcess process;
  ASSERT_TRUE(process.start("pwd", {"-P"}, options));
  std::string output;
  EXPECT_TRUE(process.readOutput(output));
  EXPECT_EQ(output, std::filesystem::canonical(folder.Path()).string() + "\n");
}

TEST(QuireChildProcessTest, MissingProgramIsReportedAsAFailedExec) {
  QuireChildProcess process;
  std::string written =
      CapturedStderr([&] { EXPECT_FALSE(process.start("no-such-program-here", {"x"})); });
  EXPECT_EQ(written, std::string("syscall failure: 2, call: Execvp, from: start\n") + kProblemLine);
  EXPECT_TRUE(process.problemFound());
  EXPECT_EQ(process.lastError(), ENOENT);
}

TEST(QuireChildProcessTest, FailureInsideTheChildReachesTheParentAndTheChildIsReaped) {
  QuireChildProcess::Options options;
  options.workingFolder = "/no/such/folder";
  QuireChildProcess process;
  std::string written = CapturedStderr([&] { EXPECT_FALSE(process.start("true", {}, options)); });
  EXPECT_EQ(written, std::string("syscall failure: 2, call: Chdir, from: start\n") + kProblemLine);
  EXPECT_TRUE(HasNoChildren());
}

TEST(QuireChildProcessTest, UnusableProgramOrArgumentsAreRefusedBeforeTheStart) {
  QuireChildProcess empty;
  EXPECT_EQ(CapturedStderr([&] { EXPECT_FALSE(empty.start("", {})); }),
            std::string("syscall failure: 22, call: Null Command, from: start\n") + kProblemLine);
  QuireChildProcess withNul;
  EXPECT_EQ(CapturedStderr([&] { EXPECT_FALSE(withNul.start("echo", {std::string("a\0b", 3)})); }),
            std::string("syscall failure: 22, call: Null argv, from: start\n") + kProblemLine);
}

TEST(QuireChildProcessTest, WritingToAChildThatEndedFailsWithoutEndingThisProcess) {
  QuireChildProcess::Options options;
  options.input = QuireChildProcess::Input::kPipe;
  QuireChildProcess process;
  ASSERT_TRUE(process.start("true", {}, options));
  int exitCode = -1;
  ASSERT_TRUE(process.wait(exitCode));
  std::string written = CapturedStderr([&] { EXPECT_FALSE(process.writeInput("data")); });
  EXPECT_EQ(written, std::string("syscall failure: 32, call: write failure, from: writeInput\n") +
                         kProblemLine);
}

TEST(QuireChildProcessTest, ChildEndedByASignalIsReported) {
  QuireChildProcess process;
  ASSERT_TRUE(process.start("/bin/sh", {"-c", "kill -9 $$"}));
  int exitCode = -1;
  std::string written = CapturedStderr([&] { EXPECT_FALSE(process.wait(exitCode)); });
  EXPECT_EQ(exitCode, 137);
  EXPECT_EQ(written, std::string("syscall failure: 0, call: Sig_Exit, value: 9\n") + kProblemLine);
  EXPECT_EQ(CapturedStderr([&] { EXPECT_FALSE(process.wait(exitCode)); }),
            std::string("syscall failure: 10, call: Waitpid, from: wait\n") + kProblemLine);
}

// The pipes this process holds now, by their "pipe:[inode]" names.
std::set<std::string> OwnPipes() {
  std::set<std::string> pipes;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ignored)) {
    std::string target = std::filesystem::read_symlink(entry.path(), ignored).string();
    if (target.rfind("pipe:", 0) == 0) pipes.insert(target);
  }
  return pipes;
}

TEST(QuireChildProcessTest, NoPipeOfAnotherChildLeaksIntoAChild) {
  // Pipes inherited from whatever started the tests are not ours to judge.
  const std::set<std::string> inherited = OwnPipes();
  QuireChildProcess::Options options = PipedOutput();
  options.input = QuireChildProcess::Input::kPipe;
  QuireChildProcess first;
  ASSERT_TRUE(first.start("cat", {}, options));
  QuireChildProcess second;
  ASSERT_TRUE(second.start("ls", {"-l", "/proc/self/fd"}, PipedOutput()));
  std::string listing;
  ASSERT_TRUE(second.readOutput(listing));
  std::istringstream lines(listing);
  std::string line;
  int descriptors = 0;
  while (std::getline(lines, line)) {
    size_t arrow = line.find(" -> ");
    if (arrow == std::string::npos) continue;
    ++descriptors;
    int fd = std::stoi(line.substr(line.rfind(' ', arrow - 1) + 1));
    std::string target = line.substr(arrow + 4);
    if (fd > 2) {
      EXPECT_TRUE(target.rfind("pipe:", 0) != 0 || inherited.count(target) > 0) << line;
    }
  }
  EXPECT_GE(descriptors, 3);
}

TEST(QuireChildProcessTest, RunningChildIsKilledAndReapedWhenTheObjectGoes) {
  pid_t pid = -1;
  {
    QuireChildProcess process;
    ASSERT_TRUE(process.start("sleep", {"30"}));
    pid = process.processId();
  }
  EXPECT_EQ(kill(pid, 0), -1);
  EXPECT_TRUE(HasNoChildren());
}

TEST(QuireChildProcessTest, DetachedChildIsNotWaitedFor) {
  QuireChildProcess::Options options;
  options.mode = QuireChildProcess::Mode::kDetached;
  QuireChildProcess process;
  ASSERT_TRUE(process.start("sleep", {"30"}, options));
  pid_t pid = process.processId();
  ASSERT_GT(pid, 0);
  EXPECT_TRUE(HasNoChildren());
  int exitCode = 0;
  EXPECT_EQ(CapturedStderr([&] { EXPECT_FALSE(process.wait(exitCode)); }),
            std::string("syscall failure: 10, call: Detached, from: wait\n") + kProblemLine);
  EXPECT_EQ(kill(pid, SIGTERM), 0);
}

TEST(SystemInformationTest, RecordComesFromTheEnvironmentAndMissingVariablesAreEmpty) {
  ScopedVariable os("OS", "Linux");
  ScopedVariable machine("PROCESSOR_ARCHITECTURE", "x86_64");
  ScopedVariable user("USERNAME", "");
  unsetenv("USERNAME");
  platform::SystemInformation information = platform::ReadSystemInformation();
  EXPECT_EQ(information.os, "Linux");
  EXPECT_EQ(information.machine, "x86_64");
  EXPECT_EQ(information.user, "");
}

TEST(SystemInformationTest, ProcessorTimesGrowWithWork) {
  platform::ProcessorTimes before;
  ASSERT_TRUE(platform::ReadProcessorTimes(before));
  volatile unsigned sink = 0;
  platform::ProcessorTimes after = before;
  for (int round = 0; round < 1000 && after.user + after.kernel == before.user + before.kernel;
       ++round) {
    for (unsigned i = 0; i < 1000000; ++i) sink = sink + i;
    ASSERT_TRUE(platform::ReadProcessorTimes(after));
  }
  EXPECT_GT(after.user + after.kernel, before.user + before.kernel);
}

TEST(SystemInformationTest, NameCheckingCharacterSets) {
  EXPECT_TRUE(platform::IsValidSimpleName("report.htm"));
  EXPECT_TRUE(platform::IsValidPath("samples/report.htm"));
  EXPECT_TRUE(platform::IsValidPath("c:\\samples\\report.htm"));
  EXPECT_FALSE(platform::IsValidSimpleName(""));
  EXPECT_FALSE(platform::IsValidPath(""));
  for (char c : std::string("\\/:")) {
    EXPECT_FALSE(platform::IsValidSimpleName(std::string("a") + c + "b")) << c;
  }
  for (char c : std::string("*?\"<>|")) {
    EXPECT_FALSE(platform::IsValidSimpleName(std::string("a") + c + "b")) << c;
    EXPECT_FALSE(platform::IsValidPath(std::string("a/") + c + "b")) << c;
  }
}

}  // namespace
