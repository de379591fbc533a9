// The generation driver: turns one page request into a generated document and says how it went.
// It keeps nothing between requests; the caller saves the page and keeps what it needs.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "agent/page_request.h"
#include "platform/dom/dom_document.h"

class ProgressSink;

// What one generation came to.
struct GenerationResult {
  // No error was collected.
  bool generated = false;
  // The error page's text when an error was collected (empty when the page could not be made).
  std::string errorPageText;
  // The outline text of the page's portal links, when there is one.
  std::optional<std::string> outline;
  // The loaded template with the page generated into it, also when generation failed part way;
  // null when no template could be loaded.
  std::shared_ptr<platform::DomDocument> document;
};

// Loads the document file (rewriting it in place into XML first when it is not well-formed),
// annotates it and generates the page in it. When an error was collected, the error page is
// written beside the file (<name>ERR.<ext>) and its text returned. Progress goes to `progress`
// (null reports nothing). Runs on the thread that serves the request.
GenerationResult GenerateDocument(const PageRequest& request, ProgressSink* progress);
