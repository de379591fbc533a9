// DomainRegistry: the one process-wide, ordered list of loaded domains and the lookup of a domain
// by name, alias or aka. Owns its domains. Not locked: all registry work runs on the thread that
// serves agent requests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/quire_abstract_domain.h"

class DomainRegistry {
 public:
  // The single instance, made on first use (which also installs it as the object model's
  // domain lookup) and kept for the life of the process.
  static DomainRegistry& instance();

  // Appends `domain` (registration order is lookup order) and returns it. A domain named
  // "Undefined" is never registered: it is destroyed and the shared "Undefined" domain returned.
  QuireAbstractDomain& registerDomain(std::unique_ptr<QuireAbstractDomain> domain);

  // "Unix" reads as "FileSys"; the first domain whose name, alias or aka equals `name`
  // (case-sensitively). No match: kEvaluationError (host_message::kNotDefined with the name) and
  // "Undefined".
  QuireAbstractDomain& getDomain(QuireStatus& status, const std::string& name);
  // True when some registered domain has this exact name.
  bool hasDomainNamed(const std::string& name) const;

  // Refresh or clean every domain, in registration order.
  void refreshAllDomains();
  void cleanAllDomains();
  // The first domain whose name equals `name` without regard to case (name only).
  void cleanDomainNamed(const std::string& name);
  void removeDomainNamed(const std::string& name);
  // Takes `domain` out of the list and destroys it (never the "Undefined" domain).
  void removeDomain(const QuireAbstractDomain& domain);
  // Takes `domain` out of the list but keeps it alive until deleteAllDomains: for a domain that
  // is replaced while its callers, classes and objects are still in use (a schema reload).
  // Lookups no longer find it.
  // Returns the place it had in the list, for reinstateDomain.
  std::size_t retireDomain(const QuireAbstractDomain& domain);
  // Puts a retired domain back at `place` (a reload whose new schema failed keeps the old one).
  void reinstateDomain(const QuireAbstractDomain& domain, std::size_t place);
  // Destroys every registered domain, then the retired ones, then the "Undefined" domain, and
  // lets the start-up loading run again (a restarted agent gets its domains back). A second call
  // does nothing more; a later lookup makes a fresh "Undefined" domain.
  void deleteAllDomains();

  // The registered domains in order (for the schema dump and the loaders).
  std::vector<QuireAbstractDomain*> domains() const;

 private:
  DomainRegistry() = default;
  std::vector<std::unique_ptr<QuireAbstractDomain>>::iterator findNamedIgnoringCase(
      const std::string& name);

  std::vector<std::unique_ptr<QuireAbstractDomain>> domains_;
  std::vector<std::unique_ptr<QuireAbstractDomain>> retired_;
};

// The registry's lookup as a free function (the object model's domain finder).
QuireAbstractDomain& getDomain(QuireStatus& status, const std::string& name);
