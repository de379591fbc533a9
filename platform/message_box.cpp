#include "platform/message_box.h"

#include <cstdio>

#include "foundation/host_hooks.h"

namespace platform {

namespace {

void AppendOnOneLine(const std::string& text, std::string& line) {
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      line += ' ';
    } else {
      line += c;
    }
  }
}

// Installs the handler when the library (or a program linked with this file) is loaded.
[[maybe_unused]] const bool kInstalledAtLoad = (InstallMessageBoxes(), true);

}  // namespace

void MessageBox(const std::string& title, const std::string& text) {
  std::string line = "[";
  AppendOnOneLine(title, line);
  line += "] ";
  AppendOnOneLine(text, line);
  line += '\n';
  // One write of the whole line, so lines from several threads do not mix.
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void InstallMessageBoxes() { SetMessageBoxHandler(&MessageBox); }

}  // namespace platform
