// The credential list that a page request carries.
#include "agent/page_request.h"

CredentialList CredentialsOf(const PageRequest& request) {
  CredentialList credentials;
  if (!request.passwordName.empty()) {
    credentials.Append(Credential(request.passwordName, request.passwordValue));
  }
  return credentials;
}
