// The ancestors query: the chain of an artifact's ancestors for the portal's tree.
#pragma once

#include <optional>
#include <string>

// The artifact's ancestors joined by ":", or nullopt when there is no answer. Runs on the thread
// that serves the request.
std::optional<std::string> AncestorsOf(const std::string& artifactLocator);
