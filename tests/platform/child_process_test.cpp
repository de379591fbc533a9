#include "platform/child_process.h"

#include <signal.h>
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
using test_support::HasNoChildren;

const char kProblemLine[] = "*** QuireChildProcess::Problem_Found found\n";

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

TEST(SystemInformationTest, NameCheckingCharacterSets) {
  EXPECT_TRUE(platform::IsValidSimpleName("report.htm"));
  EXPECT_TRUE(platform::IsValidPath("c:\\samples\\report.htm"));
  EXPECT_FALSE(platform::IsValidSimpleName("a/b"));  // separators belong in paths only
  for (char c : std::string("*?\"<>|")) {
    EXPECT_FALSE(platform::IsValidPath(std::string("a/") + c + "b")) << c;
  }
}

}  // namespace
