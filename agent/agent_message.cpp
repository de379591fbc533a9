// Message boxes of the agent service, titled with the host's product name.
#include "agent/agent_message.h"

#include "foundation/host_hooks.h"

void ShowAgentMessage(const std::string& text) {
  const std::string title = HostString(host_message::kProductName);
  ShowMessageBox(title.empty() ? "Vistafold" : title, text);
}
