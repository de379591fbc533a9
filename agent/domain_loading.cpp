#include "agent/domain_loading.h"

#include <cstdio>
#include <vector>

#include "agent/agent_start.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"

namespace {

// Failures of the loaders, in the order they were met. The domain registry is not part of the
// library yet, so there are no loaders to run and nothing can fail.
std::vector<QuireStatus> RunDomainLoaders() { return {}; }

}  // namespace

void FillDomainRegistry() {
  for (const QuireStatus& status : RunDomainLoaders()) {
    std::fprintf(stderr, "%s: %s\n", status.KindName().c_str(), status.Message().c_str());
    std::fflush(stderr);
    ShowAgentMessage(FormatHostMessage(HostString(40168), {status.Message()}));
  }
}
