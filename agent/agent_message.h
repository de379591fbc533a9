// Message boxes of the agent service, titled with the host's product name.
#pragma once

#include <string>

// Shows a message box titled with host string 54630 ("Vistafold" when the host has none). Any
// thread.
void ShowAgentMessage(const std::string& text);
