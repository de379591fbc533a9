// The generation driver: turns one page request into a generated document and says how it went.
// It keeps nothing between requests; the caller writes the page and keeps what it needs.
#pragma once

#include <optional>
#include <string>

#include "agent/page_request.h"

class ProgressSink;

// What one generation came to.
struct GenerationResult {
  // No error was collected.
  bool generated = false;
  // The error page's text when an error was collected (empty when the page could not be made).
  std::string errorPageText;
  // The outline text of the page's portal links, when there is one.
  std::optional<std::string> outline;
  // The page as its file is to hold it: the loaded template with the page generated into it
  // (also when generation failed part way), serialised in the encoding that its declaration
  // names. None when no template could be loaded or the page cannot be written in its encoding,
  // which is then an error of its own.
  std::optional<std::string> page;
};

// Loads the document file (rewriting it in place into XML first when it is not well-formed),
// annotates it, generates the page in it and serialises the page. When an error was collected, the
// error page is written beside the file (<name>ERR.<ext>) and its text returned. Progress goes to
// `progress` (null reports nothing). Runs on the thread that serves the request.
GenerationResult GenerateDocument(const PageRequest& request, ProgressSink* progress);
