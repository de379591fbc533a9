// Fills the domain registry at start-up and reports every loading failure.
#include "agent/domain_loading.h"

#include <cstdio>
#include <vector>

#include "agent/agent_message.h"
#include "domains/domain_loader.h"
#include "domains/domain_registry.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"

namespace {

// "<kind name>: <message>" on the diagnostic stream and the message in a message box.
void ReportLoadFailure(const QuireStatus& status, HostMessageId boxMessage) {
  std::fprintf(stderr, "%s: %s\n", status.KindName().c_str(), status.Message().c_str());
  std::fflush(stderr);
  ShowAgentMessage(FormatHostMessage(HostString(boxMessage), {status.Message()}));
}

}  // namespace

void FillDomainRegistry() {
  std::vector<QuireStatus> failures;
  loadDomains(failures);
  for (const QuireStatus& status : failures)
    ReportLoadFailure(status, host_message::kDomainNotLoaded);
  QuireStatus extensionStatus;
  loadDomainExtensions(extensionStatus);
  if (!extensionStatus.IsOk())
    ReportLoadFailure(extensionStatus, host_message::kExtensionFileUnreadable);
  DomainRegistry::instance().refreshAllDomains();
}
