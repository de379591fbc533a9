// The host's subcommands for template authors: "check TEMPLATE" and "schema [DOMAIN]". Each
// takes the words after its name and writes its report to `out`.
#pragma once

#include <cstdio>

// True when argv[1] names one of these subcommands.
bool IsAuthorCommand(int argc, char** argv);

// Runs the subcommand that argv[1] names; the exit status (0 clean, 1 problems or failure,
// 2 bad usage).
int RunAuthorCommand(int argc, char** argv, std::FILE* out, std::FILE* err);
