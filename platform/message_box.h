// Message boxes of a library that runs inside a server: each one becomes one line on the
// standard error stream, so that it reaches the server's log.
#pragma once

#include <string>

namespace platform {

// Writes "[title] text" and an end of line to the standard error stream at once, with every line
// break inside the title or the text (CR LF, CR or LF) turned into one blank. Any thread.
void MessageBox(const std::string& title, const std::string& text);

// Makes MessageBox the foundation's message-box handler. Runs by itself when the library is
// loaded; calling it again does no harm.
void InstallMessageBoxes();

}  // namespace platform
