// The document object a request needs before it is served: made through the DOM layer, with the
// log line the agent gives when none can be made.
#pragma once

#include <memory>

#include "platform/dom/dom_document.h"

// As platform::NewDomDocument, logging host_message::kDocumentObjectNotCreated at level 1 when none
// can be made: a request that finds no document object cannot be served.
std::shared_ptr<platform::DomDocument> NewRequestDocument();
