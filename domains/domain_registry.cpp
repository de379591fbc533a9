#include "domains/domain_registry.h"

#include <algorithm>

#include "domains/domain_loader.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/domain_lookup.h"
#include "model/undefined_domain.h"

DomainRegistry& DomainRegistry::instance() {
  // Never destroyed: domains are deleted explicitly when the agent closes, and objects held in
  // other statics may still name the registry while the process exits.
  static DomainRegistry* registry = [] {
    SetDomainFinder(&::getDomain);
    return new DomainRegistry();
  }();
  return *registry;
}

QuireAbstractDomain& DomainRegistry::registerDomain(std::unique_ptr<QuireAbstractDomain> domain) {
  if (domain->name() == "Undefined") return UndefinedDomain();
  domains_.push_back(std::move(domain));
  return *domains_.back();
}

QuireAbstractDomain& DomainRegistry::getDomain(QuireStatus& status, const std::string& name) {
  const std::string& wanted = name == "Unix" ? std::string("FileSys") : name;
  for (const auto& domain : domains_) {
    if (domain->name() == wanted || domain->alias() == wanted || domain->aka() == wanted) {
      return *domain;
    }
  }
  status = QuireStatus(kEvaluationError, host_message::kNotDefined, name);
  return UndefinedDomain();
}

bool DomainRegistry::hasDomainNamed(const std::string& name) const {
  return std::any_of(domains_.begin(), domains_.end(),
                     [&](const auto& domain) { return domain->name() == name; });
}

void DomainRegistry::refreshAllDomains() {
  for (const auto& domain : domains_) domain->refresh();
}

void DomainRegistry::cleanAllDomains() {
  for (const auto& domain : domains_) domain->clean();
}

std::vector<std::unique_ptr<QuireAbstractDomain>>::iterator DomainRegistry::findNamedIgnoringCase(
    const std::string& name) {
  const std::string wanted = UppercaseCopy(name);
  return std::find_if(domains_.begin(), domains_.end(),
                      [&](const auto& domain) { return UppercaseCopy(domain->name()) == wanted; });
}

void DomainRegistry::cleanDomainNamed(const std::string& name) {
  auto found = findNamedIgnoringCase(name);
  if (found != domains_.end()) (*found)->clean();
}

void DomainRegistry::removeDomainNamed(const std::string& name) {
  auto found = findNamedIgnoringCase(name);
  if (found != domains_.end()) domains_.erase(found);
}

void DomainRegistry::removeDomain(const QuireAbstractDomain& domain) {
  auto found = std::find_if(domains_.begin(), domains_.end(),
                            [&](const auto& held) { return held.get() == &domain; });
  if (found != domains_.end()) domains_.erase(found);
}

std::size_t DomainRegistry::retireDomain(const QuireAbstractDomain& domain) {
  auto found = std::find_if(domains_.begin(), domains_.end(),
                            [&](const auto& held) { return held.get() == &domain; });
  if (found == domains_.end()) return domains_.size();
  const auto place = static_cast<std::size_t>(found - domains_.begin());
  retired_.push_back(std::move(*found));
  domains_.erase(found);
  return place;
}

void DomainRegistry::reinstateDomain(const QuireAbstractDomain& domain, std::size_t place) {
  auto found = std::find_if(retired_.begin(), retired_.end(),
                            [&](const auto& held) { return held.get() == &domain; });
  if (found == retired_.end()) return;
  const auto at = domains_.begin() + static_cast<std::ptrdiff_t>(std::min(place, domains_.size()));
  domains_.insert(at, std::move(*found));
  retired_.erase(found);
}

void DomainRegistry::deleteAllDomains() {
  // Destroyed one by one from the end, so a domain never outlives the ones registered before it.
  while (!domains_.empty()) domains_.pop_back();
  while (!retired_.empty()) retired_.pop_back();
  DestroyUndefinedDomain();
  ForgetDomainLoading();
}

std::vector<QuireAbstractDomain*> DomainRegistry::domains() const {
  std::vector<QuireAbstractDomain*> result;
  result.reserve(domains_.size());
  for (const auto& domain : domains_) result.push_back(domain.get());
  return result;
}

QuireAbstractDomain& getDomain(QuireStatus& status, const std::string& name) {
  return DomainRegistry::instance().getDomain(status, name);
}
