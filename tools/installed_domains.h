// Loading an installation's domains in the command-line host without starting the agent: the
// host resource module, the data-source store and every domain, as the agent's start loads them.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct InstallationOptions {
  std::string home;                                           // the installation folder
  std::string userData;                                       // the user-data folder
  std::vector<std::pair<std::string, std::string>> settings;  // --set pairs, they win
};

// Sets the init parameters and loads the domains. False with `reason` when the installation
// cannot serve (no folder, no resource module); domains that fail to load are named on the
// error stream and leave the others in place.
bool LoadInstalledDomains(const InstallationOptions& options, std::string& reason);

// Releases what LoadInstalledDomains loaded.
void UnloadInstalledDomains();
