// Document objects made through the class factory, as the generation of one request needs them.
#pragma once

#include <memory>

#include "platform/dom/dom_document.h"

// A new document object of "MSXML.DOMDocument", or null when none can be made.
std::shared_ptr<platform::DomDocument> NewDocumentObject();

// As NewDocumentObject, logging host message 40531 at level 1 when none can be made: a request
// that finds no document object cannot be served.
std::shared_ptr<platform::DomDocument> NewRequestDocument();
