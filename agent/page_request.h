// One page request as the portal makes it: read from the parameter file, it travels unchanged
// through the agent service and the request queue to the generation driver.
#pragma once

#include <string>

#include "agent/credentials.h"

// What a parameter file says. Missing keys leave their value empty.
// The file name that makes a queued request an ancestors query instead of a page.
inline constexpr char kAncestorsFileName[] = "GetAncestor";

struct PageRequest {
  std::string fileName;         // the document file: read as the template, replaced by the page
  std::string artifactLocator;  // the artifact the page is about
  std::string serverUrl;        // the portal's address, used in links
  std::string templateId;       // names the request in log lines and in duplicate detection
  std::string passwordName;     // the data-source credential: user name
  std::string passwordValue;    // and password
};

// The credential list of the request: one pair when the user name is not empty, else none.
CredentialList CredentialsOf(const PageRequest& request);
