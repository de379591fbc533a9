// The seam through which the object model finds a domain by name. The domain registry installs
// its lookup at start; the model never includes the registry itself.
#pragma once

#include <string>

class QuireAbstractDomain;
class QuireStatus;

using QuireDomainFinder = QuireAbstractDomain& (*)(QuireStatus& status, const std::string& name);

// Installs the lookup used by FindDomain (null uninstalls it). Any thread, before use.
void SetDomainFinder(QuireDomainFinder finder);
// The domain of that name through the installed lookup; without one, kEvaluationError
// (host_message::kNotDefined with the name) and the "Undefined" domain.
QuireAbstractDomain& FindDomain(QuireStatus& status, const std::string& name);
