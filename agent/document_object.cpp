// The document object a request needs, with the agent's log line when none can be made.
#include "agent/document_object.h"

#include "foundation/host_hooks.h"
#include "platform/log.h"

std::shared_ptr<platform::DomDocument> NewRequestDocument() {
  std::shared_ptr<platform::DomDocument> document = platform::NewDomDocument();
  if (!document) {
    platform::Log(HostString(host_message::kDocumentObjectNotCreated), platform::kLogCriticalError);
  }
  return document;
}
