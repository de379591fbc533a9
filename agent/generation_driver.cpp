#include "agent/generation_driver.h"

#include <chrono>
#include <mutex>

#include "agent/agent.h"
#include "foundation/number_images.h"
#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "platform/log.h"

namespace {

std::mutex g_lastErrorMutex;
std::string g_lastErrorText;

void RememberError(std::string text) {
  std::lock_guard<std::mutex> lock(g_lastErrorMutex);
  g_lastErrorText = std::move(text);
}

// A stand-in error page: one paragraph naming the file and what went wrong, built through the
// document layer so that the text is escaped as the page's markup needs.
std::string ErrorPage(const std::string& fileName, const std::string& message) {
  std::shared_ptr<platform::DomDocument> page = platform::DomDocument::Create();
  page->loadXML("<html><head><title>Generation failed</title></head><body><p/></body></html>");
  page->selectSingleNode("html/body/p").setText(fileName + ": " + message);
  return page->xml();
}

// The reason of a failed load and, when the line is known, where it happened.
std::string LoadFailureMessage(const platform::DomParseError& error) {
  std::string message = error.reason;
  if (error.line > 0) {
    if (!message.empty() && message.back() != '\n') message += '\n';
    message += "Error on line " + std::to_string(error.line) + ", position " +
               std::to_string(error.linepos) + " in \"" + error.url +
               "\".\nSource text: " + error.srcText;
  }
  return message;
}

std::shared_ptr<platform::DomDocument> NewDocument() {
  try {
    return std::dynamic_pointer_cast<platform::DomDocument>(
        platform::ComFactory::Create("MSXML.DOMDocument"));
  } catch (const platform::ComError&) {
    return nullptr;
  }
}

}  // namespace

bool GenerateDocument(AgentCore& core, const GenerationInputs& inputs,
                      std::optional<std::string>& /*resultText*/) {
  const auto started = std::chrono::steady_clock::now();
  if (!core.currentDocument) core.currentDocument = NewDocument();
  if (!core.currentDocument) {
    RememberError(ErrorPage(inputs.fileName, "the XML document object cannot be created"));
    return false;
  }
  if (!core.currentDocument->load(inputs.fileName)) {
    RememberError(
        ErrorPage(inputs.fileName, LoadFailureMessage(core.currentDocument->parseError())));
    return false;
  }
  // Placeholder until page generation exists: the template commands are not carried out yet, so
  // the page is the loaded document unchanged and there is no outline text.
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  platform::Log(
      "Template " + inputs.templateId + " generated in " + CX_Image(seconds, 10, 3) + " seconds",
      platform::kLogInformational);
  return true;
}

std::string LastGenerationErrorText() {
  std::lock_guard<std::mutex> lock(g_lastErrorMutex);
  return g_lastErrorText;
}
