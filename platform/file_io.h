// Whole-file reads and replacements, shared by every layer that reads or writes a file in one go.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Appends the whole file to `bytes`. False with `reason` ("Cannot open the file: <system text>."
// or "Cannot read the file: ...") when it cannot be opened or read (a folder cannot be read).
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason);

// Writes `bytes` to a new file beside `path` and renames it over `path`, so that a failure or a
// crash never leaves a half-written target and a reader never sees one. Returns 0 or the errno of
// the failure; the temporary file is removed on failure. Any thread.
int ReplaceFile(const std::string& path, std::string_view bytes);

// The system's text for an errno value.
std::string SystemErrorText(int error);

}  // namespace platform
