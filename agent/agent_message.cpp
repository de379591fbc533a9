// Message boxes of the agent service, titled with the host's product name.
#include "agent/agent_message.h"

#include "foundation/host_hooks.h"

namespace {

constexpr unsigned kMessageBoxTitleId = 54630;

}  // namespace

void ShowAgentMessage(const std::string& text) {
  const std::string title = HostString(kMessageBoxTitleId);
  ShowMessageBox(title.empty() ? "Vistafold" : title, text);
}
