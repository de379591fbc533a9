// The credentials kept for the data-source domains while a request is served.
#include "agent/credentials.h"

void DomainCredentials::Hand(const CredentialList& credentials) {
  std::lock_guard<std::mutex> lock(mutex_);
  credentials_ = credentials;
}

CredentialList DomainCredentials::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return credentials_;
}
