// The ancestors query for the portal's tree.
#include "agent/ancestors_query.h"

// No data-source domain exists yet, so no artifact has ancestors to report.
std::optional<std::string> AncestorsOf(const std::string& /*artifactLocator*/) {
  return std::nullopt;
}
