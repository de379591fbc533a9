// Loading a template file into an XML document, with a readable account of a parse failure.
#pragma once

#include <string>

#include "platform/dom/dom_document.h"

// Loads the file at path into document. True on success (message cleared); otherwise false with
// message = the parse error's reason and, when its line is known, "Error on line L, position P in
// \"path\".\nSource text: ..." on the next line. Runs on the document's thread.
bool LoadTemplate(platform::DomDocument& document, const std::string& path, std::string& message);
