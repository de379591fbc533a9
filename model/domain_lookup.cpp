#include "model/domain_lookup.h"

#include "foundation/quire_status.h"
#include "model/undefined_domain.h"

namespace {
QuireDomainFinder installedFinder = nullptr;
}  // namespace

void SetDomainFinder(QuireDomainFinder finder) { installedFinder = finder; }

QuireAbstractDomain& FindDomain(QuireStatus& status, const std::string& name) {
  if (installedFinder != nullptr) return installedFinder(status, name);
  status = QuireStatus(kEvaluationError, host_message::kNotDefined, name);
  return UndefinedDomain();
}
