// Making the data-source component creatable: the session over a store folder, registered under
// "KestrelCore.Session".
#pragma once

#include <memory>
#include <string>

#include "kestrel/kestrel_session.h"

namespace kestrel {

// Registers a maker under kSessionProgId in platform::ComFactory; each object it makes is a
// Session over the database files of `storeFolder`.
void RegisterSession(const std::string& storeFolder);

// A session over the store folder, for callers that do not go through the factory.
std::shared_ptr<Session> MakeSession(const std::string& storeFolder);

}  // namespace kestrel
