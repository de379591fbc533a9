#include "platform/script_runner.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/config.h"
#include "platform/resource_module.h"
#include "platform/work_limits.h"
#include "test_support.h"

namespace {

using platform::RunCommand;
using platform::RunWithOutput;
using platform::StartDetached;
using test_support::CapturedStderr;
using test_support::HasNoChildren;
using test_support::ScopedVariable;
using test_support::TempFolder;

// Host wording loaded, temporary files made in a folder of the test, and neither interpreter
// setting present: the default is /bin/sh.
class ScriptRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("QuireComSpec");
    unsetenv("ComSpec");
    test_support::LoadSampleHostStrings();
  }
  void TearDown() override {
    platform::HostResources().Unload();
    EXPECT_TRUE(std::filesystem::is_empty(temp_.Path())) << "a temporary output file was left";
  }

  TempFolder temp_;
  TempFolder work_;

 private:
  ScopedVariable tmpdir_{"TMPDIR", temp_.Path()};
  ScopedVariable quireComSpec_{"QuireComSpec", ""};
  ScopedVariable comSpec_{"ComSpec", ""};
};

TEST_F(ScriptRunnerTest, FailingCommandLeavesTheMarkerInTheOutputAndNamesTheCommandLine) {
  QuireStatus status;
  std::string output;
  std::string written = CapturedStderr([&] { output = RunWithOutput("false", "x", status); });
  EXPECT_EQ(output, "@scriptFailed@\n");
  EXPECT_EQ(status, QuireStatus(kProcessingError, "The command false x failed."));
  EXPECT_EQ(written, "The command false x failed.\n");
}

// Output lines end in line feeds only.
TEST_F(ScriptRunnerTest, SucceedingCommandGivesItsOutputAndTheSuccessMessage) {
  QuireStatus status;
  EXPECT_EQ(RunWithOutput("printf", R"('one two\r\nb\r\n\r')", status), "one two\nb\n");
  EXPECT_EQ(status, QuireStatus(kSuccess, "The command completed successfully."));
}

TEST_F(ScriptRunnerTest, QuireComSpecIsUsedAsGivenWithoutSwitchesOrMarker) {
  // A switch added after "-c" would become the command and the real line would be lost.
  ScopedVariable setting("QuireComSpec", "/bin/sh  -c");
  QuireStatus status;
  EXPECT_EQ(RunWithOutput("false", "", status), "");
  EXPECT_TRUE(status.IsOk()) << status.Message();
  EXPECT_EQ(RunWithOutput("echo", "given", status), "given\n");
  EXPECT_TRUE(status.IsOk()) << status.Message();
}

TEST_F(ScriptRunnerTest, LargeOutputIsReadWhole) {
  QuireStatus status;
  std::string output = RunWithOutput("head", "-c 1048576 /dev/zero | tr '\\0' x", status);
  EXPECT_TRUE(status.IsOk()) << status.Message();
  EXPECT_EQ(output.size(), 1048576u);
  EXPECT_EQ(output.find_first_not_of('x'), std::string::npos);
}

// The output is one value: past MaxDataFileBytes none of it is kept.
TEST_F(ScriptRunnerTest, OutputPastMaxDataFileBytesFailsTheCommand) {
  platform::ClearInitParametersForTesting();
  platform::BindInitParameter(platform::kMaxDataFileBytesKey, "1000");
  QuireStatus status;
  EXPECT_EQ(RunWithOutput("head", "-c 1000 /dev/zero | tr '\\0' x", status),
            std::string(1000, 'x'));
  EXPECT_TRUE(status.IsOk()) << status.Message();
  std::string output = "not run";
  const std::string written =
      CapturedStderr([&] { output = RunWithOutput("head", "-c 1001 /dev/zero", status); });
  platform::ClearInitParametersForTesting();
  EXPECT_EQ(output, "");
  EXPECT_EQ(status.Kind(), kProcessingError);
  const std::string expected = "the output has 1001 bytes, more than MaxDataFileBytes (1000)";
  EXPECT_NE(status.Message().find(expected), std::string::npos) << status.Message();
  EXPECT_NE(status.Message().find("head -c 1001 /dev/zero"), std::string::npos)
      << "the command is named: " << status.Message();
  EXPECT_NE(written.find(expected), std::string::npos) << written;
}

// A named interpreter that is not there: the script fails to start, with the system's reason.
TEST_F(ScriptRunnerTest, MissingInterpreterIsReportedBeforeAnythingRuns) {
  const std::string marker = work_.Path("ran");
  for (const char* variable : {"ComSpec", "QuireComSpec"}) {
    SCOPED_TRACE(variable);
    ScopedVariable setting(variable, work_.Path("missing/cmd.exe") + " /c");
    QuireStatus status;
    std::string written =
        CapturedStderr([&] { EXPECT_EQ(RunWithOutput("touch", marker, status), ""); });
    EXPECT_EQ(status.Kind(), kProcessingError);
    EXPECT_EQ(written, "The command could not be started. No such file or directory\n");
    EXPECT_EQ(RunCommand("touch " + marker).Message(), "No command interpreter is available.");
    EXPECT_EQ(StartDetached("touch " + marker),
              QuireStatus(kEvaluationError, "No command interpreter is available."));
  }
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(ScriptRunnerTest, RunCommandReportsANonZeroResult) {
  EXPECT_TRUE(RunCommand("true").IsOk());
  QuireStatus status;
  std::string written = CapturedStderr([&] { status = RunCommand("exit 3"); });
  EXPECT_EQ(written, "Failed to run command exit 3\n");
  EXPECT_EQ(status, QuireStatus(kProcessingError, "The command exit 3 could not be run."));
}

TEST_F(ScriptRunnerTest, DetachedStartReturnsAtOnceAndLeavesNoZombie) {
  const std::string pidFile = work_.Path("pid");
  auto began = std::chrono::steady_clock::now();
  QuireStatus status = StartDetached("echo $$ > " + pidFile + "; exec sleep 30");
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
  ASSERT_TRUE(status.IsOk()) << status.Message();
  EXPECT_TRUE(HasNoChildren());

  pid_t pid = 0;
  for (int attempt = 0; attempt < 100 && pid <= 0; ++attempt) {
    std::string text = test_support::ReadFile(pidFile);
    if (!text.empty() && text.back() == '\n') pid = std::stoi(text);
    if (pid <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_GT(pid, 0) << "the detached command did not run";
  EXPECT_EQ(getpgid(pid), pid) << "not in a process group of its own";
  EXPECT_EQ(kill(pid, SIGTERM), 0);
}

}  // namespace
