// The data-source credentials of a request: (user name, password) pairs, at most one in practice,
// and the copy that the data sources use while a request is served.
#pragma once

#include <mutex>
#include <string>
#include <utility>

#include "foundation/cx_unbounded.h"

using Credential = std::pair<std::string, std::string>;
using CredentialList = CX_TUnbounded<Credential>;

// The credentials of the request being served, kept for the data-source domains. The serving
// thread hands them over; any thread may read a copy.
class DomainCredentials {
 public:
  void Hand(const CredentialList& credentials);
  CredentialList Current() const;

 private:
  mutable std::mutex mutex_;
  CredentialList credentials_;
};
