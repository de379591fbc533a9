// Message boxes of the agent service, titled with the host's product name.
#pragma once

#include <string>

// Shows a message box titled with host_message::kProductName ("Vistafold" when the host has none).
// Any thread.
void ShowAgentMessage(const std::string& text);
