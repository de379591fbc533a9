// The steps of the agent service's start sequence that need no state of their own: the host
// resource module, the data folders and the timeout's conversion. The service runs them in order.
#pragma once

#include <cstdint>
#include <string>

// Loads the host resource module "Vistafold.rsc" from the home folder's domains/ folder, else from
// the resource folder. A failure names the missing setting, folder or file in `reason`, which is
// also shown in a message box and logged at the default level; false then.
bool LoadHostResourceModule(std::string& reason);

// Unloads the host resource module; later host strings are empty.
void UnloadHostResourceModule();

// Prepares the installation's data folder (made with its missing ancestors, with logs/, samples/
// and temp/, and a copy of the home folder's settings file that never overwrites one already
// there). Nothing when the data folder is the home folder. Failures are shown; false then.
bool PrepareDataFolders();

// The "timeout" text as a 32-bit atol computes it: leading blanks, a sign, digits; saturated on
// overflow.
int32_t TimeoutFromText(const std::string& text);
