// Runs commands through the command interpreter: with its standard output captured, plainly,
// or detached. The interpreter is "QuireComSpec" when set, else "ComSpec" when set, else
// /bin/sh. No failure throws: each is a status of kind 62 or 63 and a line on the error stream.
#pragma once

#include <string>

#include "foundation/quire_status.h"

namespace platform {

// Runs "command arguments" and returns its standard output with carriage returns removed. A
// command that fails leaves "@scriptFailed@" in the output (cmd.exe and the /bin/sh fallback)
// and sets kind 62 with message 40274. Blocks the calling thread until the command ends.
std::string RunWithOutput(const std::string& command, const std::string& arguments,
                          QuireStatus& status);

// Runs `command` without capturing anything; a non-zero result writes "Failed to run command "
// and the command to the error stream and gives kind 62, message 40281.
QuireStatus RunCommand(const std::string& command);

// Starts `command` hidden without waiting for it. Without an interpreter: kind 63, message 40272.
QuireStatus StartDetached(const std::string& command);

}  // namespace platform
