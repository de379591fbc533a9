// The generation driver: turns one page request into a generated document and says how it went.
// It keeps nothing between requests; the caller writes the page and keeps what it needs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "agent/page_request.h"

class ProgressSink;

// What one generation came to.
struct GenerationResult {
  // No error was collected.
  bool generated = false;
  // The error page's text when an error was collected (empty when the page could not be made).
  std::string errorPageText;
  // The same page as its file holds it, in the code page that it declares.
  std::string errorPageBytes;
  // The messages on that error page, in order.
  std::vector<std::string> errors;
  // The outline text of the page's portal links, when there is one.
  std::optional<std::string> outline;
  // The page as its file is to hold it: the loaded template with the page generated into it
  // (also when generation failed part way), serialised in the encoding that its declaration
  // names. None when no template could be loaded or the page cannot be written in its encoding,
  // which is then an error of its own.
  std::optional<std::string> page;
  // The driver's status stayed a success: the page earns its "generated in" line once it is
  // saved.
  bool statusOk = false;
  // PageOutput::kOverDocument: the page replaced the document file.
  bool saved = false;
};

// Loads the document file (rewriting it in place into XML first when it is not well-formed),
// annotates it, generates the page in it and serialises the page. When an error was collected, the
// error page is written beside the file (<name>ERR.<ext>) and its text returned. Progress goes to
// `progress` (null reports nothing). Runs on the thread that serves the request.
// With kInResult the page is not saved here: the caller writes `page` with SaveGeneratedPage.
// With kOverDocument the page is written over the document file as it is encoded, never held
// whole, and `saved` tells whether that worked; a page that cannot be saved is an error of the
// request, as SaveGeneratedPage makes it, and `page` stays empty.
enum class PageOutput { kInResult, kOverDocument };
GenerationResult GenerateDocument(const PageRequest& request, ProgressSink* progress,
                                  PageOutput output = PageOutput::kInResult);

// Writes `page` over the document file `fileName`. A page that cannot be saved is a failure of
// its request: the reason goes through an error collector (the error page beside the document when
// that can be written, a log line at the default level always), after `earlierErrors` (those of
// the generation, so that its error page keeps them), and the error page's text is put in
// `errorPageText`. True when the page was saved.
bool SaveGeneratedPage(const std::string& fileName, const std::string& page,
                       const std::vector<std::string>& earlierErrors, std::string& errorPageText);

// Logs "Template <id> generated in <seconds> seconds" at the default level, once the page is saved.
void LogPageGenerated(const std::string& templateId, double seconds);
