// Fills the domain registry at start-up and reports every loading failure.
#include "agent/domain_loading.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "agent/agent_message.h"
#include "domains/domain_loader.h"
#include "domains/domain_registry.h"
#include "domains/kestrel_session_access.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "kestrel/session_registration.h"
#include "platform/com_factory.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/own_strings.h"

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

void RegisterDataSourceStore() {
  std::string folder = platform::ConfigSetting("KESTREL_STORE").Value();
  if (folder.empty()) {
    folder = platform::ConfigSetting(platform::OwnStringText(platform::kHomeKeyStringId)).Value() +
             "/datasources";
  }
  ReleaseKestrelSession();  // a session of an earlier start may serve another folder
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    platform::ComFactory::Unregister(kestrel::kSessionProgId);
    platform::Log("No data sources: the store folder " + folder + " does not exist",
                  platform::kLogInformational);
    return;
  }
  kestrel::RegisterSession(folder);
}
