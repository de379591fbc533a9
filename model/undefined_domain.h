// The "Undefined" domain: a standard domain without classes that failed lookups return, so that
// callers always hold a usable domain. Never registered.
#pragma once

#include "model/quire_abstract_domain.h"

// The shared instance, made on first need. Any later call after DestroyUndefinedDomain makes a
// fresh one.
QuireAbstractDomain& UndefinedDomain();
// Destroys the shared instance (the registry's deleteAllDomains); a no-op when there is none.
void DestroyUndefinedDomain();
// True when `domain` is the current shared instance.
bool IsUndefinedDomain(const QuireAbstractDomain& domain);
