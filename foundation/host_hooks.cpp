#include "foundation/host_hooks.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<HostStringLookup> g_string_lookup{nullptr};
std::atomic<MessageBoxHandler> g_message_box{nullptr};

void DefaultMessageBox(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "[%s] %s\n", title.c_str(), text.c_str());
  std::fflush(stderr);
}

}  // namespace

void SetHostStringLookup(HostStringLookup lookup) { g_string_lookup.store(lookup); }

std::string HostString(unsigned id) {
  HostStringLookup lookup = g_string_lookup.load();
  return lookup != nullptr ? lookup(id) : std::string();
}

void SetMessageBoxHandler(MessageBoxHandler handler) { g_message_box.store(handler); }

void ShowMessageBox(const std::string& title, const std::string& text) {
  MessageBoxHandler handler = g_message_box.load();
  (handler != nullptr ? handler : DefaultMessageBox)(title, text);
}

std::string FormatHostMessage(const std::string& pattern, const std::vector<std::string>& args) {
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      size_t index = static_cast<size_t>(pattern[i + 1] - '1');
      if (index < args.size()) out += args[index];
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}
