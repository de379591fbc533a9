// The generation driver: turns one request into a generated document in the agent core's current
// document, and remembers the error-page text of the last failed generation.
#pragma once

#include <optional>
#include <string>

class AgentCore;

struct GenerationInputs {
  std::string fileName;         // the document file: read as the template, replaced by the page
  std::string artifactLocator;  // the artifact the page is about
  std::string serverUrl;        // the portal's address, used in links
  std::string templateId;       // names the request in log lines
};

// Loads the document file (rewriting it in place into XML first when it is not well-formed),
// makes it core.currentDocument, annotates it and generates the page there; the outline text, when
// there is one, goes to resultText. The caller saves the page. True when no error was collected;
// otherwise the error page is written beside the file (<name>ERR.<ext>) and its text kept as
// LastGenerationErrorText(). Progress goes to the sink of XmlAgentSetProgressSink. Runs on the
// thread that serves the request.
bool GenerateDocument(AgentCore& core, const GenerationInputs& inputs,
                      std::optional<std::string>& resultText);

// The error-page text of the most recent failed generation (process-wide).
std::string LastGenerationErrorText();
