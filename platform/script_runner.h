// Runs commands through the command interpreter: with its standard output captured, plainly, or
// detached. The interpreter is "QuireComSpec" when set, else "ComSpec" when set, else /bin/sh. No
// failure throws: each is a status of kind kProcessingError or kEvaluationError and a line on the
// error stream.
#pragma once

#include <string>

#include "foundation/quire_status.h"

namespace platform {

// Runs "command arguments" and returns its standard output with carriage returns removed. A command
// that fails leaves "@scriptFailed@" in the output (cmd.exe and the /bin/sh fallback) and sets
// kProcessingError with host_message::kCommandFailed. Blocks the calling thread until the command
// ends.
std::string RunWithOutput(const std::string& command, const std::string& arguments,
                          QuireStatus& status);

// Runs `command` without capturing anything; a non-zero result writes "Failed to run command "
// and the command to the error stream and gives kProcessingError, host_message::kCommandNotRun.
QuireStatus RunCommand(const std::string& command);

// Starts `command` hidden without waiting for it. Without an interpreter: kEvaluationError,
// host_message::kNoCommandInterpreter.
QuireStatus StartDetached(const std::string& command);

}  // namespace platform
