// Root containers of the data-source domains, opened from a request's locator.
#include "domains/kestrel_root_container.h"

#include "domains/domain_registry.h"
#include "domains/kestrel_domain.h"
#include "foundation/escaping.h"
#include "foundation/text_helpers.h"

bool OpenDataSourceRootContainer(const std::string& locator, QuireStatus& status) {
  status = QuireStatus();
  std::string rest = locator, domainName, className, assignment;
  if (!SplitHead(rest, domainName, ':') || !SplitHead(rest, className, ':')) return false;
  SplitHead(rest, assignment, ',');
  std::string value = assignment, key;
  if (!SplitHead(value, key, '=') || value.empty()) return false;
  QuireStatus lookup;
  QuireAbstractDomain& domain = DomainRegistry::instance().getDomain(lookup, domainName);
  auto* dataSource = dynamic_cast<QuireKestrelDomain*>(&domain);
  if (!lookup.IsOk() || dataSource == nullptr) return false;
  QuireObject container;
  return dataSource->openRootContainer(status, Unescape(value), container);
}
