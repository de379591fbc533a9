// The installation's domains for the host's check and schema listing.
#include "tools/installed_domains.h"

#include <filesystem>

#include "agent/agent_entry.h"
#include "agent/agent_start.h"
#include "agent/domain_loading.h"
#include "domains/domain_registry.h"

namespace fs = std::filesystem;

bool LoadInstalledDomains(const InstallationOptions& options, std::string& reason) {
  std::error_code error;
  if (!fs::is_directory(options.home, error)) {
    reason = "no installation folder " + options.home;
    return false;
  }
  for (const auto& [name, value] : options.settings) XmlAgentSetInitParameter(name, value);
  XmlAgentSetInitParameter("VISTAFOLD_HOME", fs::absolute(options.home).string());
  XmlAgentSetInitParameter("USER_DATA", fs::absolute(options.userData).string());
  XmlAgentSetInitParameter("VISTAFOLD_DATA", fs::absolute(options.userData).string());
  if (!LoadHostResourceModule(reason)) return false;
  RegisterDataSourceStore();
  FillDomainRegistry();
  return true;
}

void UnloadInstalledDomains() {
  DomainRegistry::instance().deleteAllDomains();
  UnloadHostResourceModule();
}
