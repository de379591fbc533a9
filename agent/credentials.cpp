#include "agent/credentials.h"

#include <mutex>

namespace {

std::mutex g_mutex;
CredentialList g_credentials;

}  // namespace

void HandCredentialsToDomains(const CredentialList& credentials) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_credentials = credentials;
}

CredentialList CurrentDomainCredentials() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_credentials;
}
