// The two host services that the foundation needs but does not own: numbered host strings and
// message boxes. The platform layer installs the real providers at load time; until then a
// string lookup yields the empty text and a message box is written to the standard error stream.
// Both hooks may be read from any thread; install them before starting threads.
#pragma once

#include <string>
#include <vector>

#include "foundation/host_message_ids.h"

using HostStringLookup = std::string (*)(unsigned id);
using MessageBoxHandler = void (*)(const std::string& title, const std::string& text);

// Installs the provider of numbered host strings (null restores the empty default).
void SetHostStringLookup(HostStringLookup lookup);

// The host string with that number, or the empty text when there is none.
std::string HostString(unsigned id);
// The same for a named host message.
inline std::string HostString(HostMessageId message) { return HostString(message.id); }

// Installs the handler that shows message boxes (null restores the default).
void SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a message box with an OK button (the handler decides how).
void ShowMessageBox(const std::string& title, const std::string& text);

// Replaces "%1" to "%9" in the pattern with the matching argument (an argument that was not
// given becomes the empty text); every other character, "%" included, is kept.
std::string FormatHostMessage(const std::string& pattern, const std::vector<std::string>& args);
