// The data-source credential of a request: (user name, password) pairs, at most one in practice.
#pragma once

#include <string>
#include <utility>

#include "foundation/cx_unbounded.h"

using Credential = std::pair<std::string, std::string>;
using CredentialList = CX_TUnbounded<Credential>;

// Hands the credentials of the request about to be served to the data sources, which keep a copy.
// Called on the thread that serves the request.
void HandCredentialsToDomains(const CredentialList& credentials);

// The credentials last handed over (a copy).
CredentialList CurrentDomainCredentials();
