#include "agent/generation_driver.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>

#include "agent/agent.h"
#include "agent/agent_entry.h"
#include "agent/template_conversion.h"
#include "agent/template_loading.h"
#include "foundation/host_hooks.h"
#include "foundation/number_images.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/picture_files.h"
#include "generate/progress_sink.h"
#include "generate/template_annotator.h"
#include "generate/web_page_generator.h"
#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"

namespace {

constexpr unsigned kCannotCreateDocumentMessage = 40531;
constexpr unsigned kUnexpectedErrorMessage = 40530;

std::mutex g_lastErrorMutex;
std::string g_lastErrorText;
std::atomic<ProgressSink*> g_progressSink{nullptr};

void RememberError(std::string text) {
  std::lock_guard<std::mutex> lock(g_lastErrorMutex);
  g_lastErrorText = std::move(text);
}

std::shared_ptr<platform::DomDocument> NewDocument() {
  try {
    return std::dynamic_pointer_cast<platform::DomDocument>(
        platform::ComFactory::Create("MSXML.DOMDocument"));
  } catch (const platform::ComError&) {
    return nullptr;
  }
}

// A conversion failure of a missing file carries no message; the page then names the kind.
std::string ConversionFailureText(const std::string& fileName, const QuireStatus& status) {
  if (!status.Message().empty()) return status.Message();
  return fileName + ": " + status.KindName();
}

// Loads the template, converting it to XML in place first when it is not well-formed. The loaded
// document or null, with the reason in `errors` and `status`.
std::shared_ptr<platform::DomDocument> LoadOrConvert(const std::string& fileName,
                                                     ErrorCollector& errors, QuireStatus& status) {
  std::shared_ptr<platform::DomDocument> document = NewDocument();
  if (!document) {
    status = QuireStatus(62, HostString(kCannotCreateDocumentMessage));
    errors.add(status);
    return nullptr;
  }
  std::string message;
  if (LoadTemplate(*document, fileName, message)) return document;
  platform::Log("The template has not been converted to XML, performance will be impaired. (" +
                    fileName + ")",
                platform::kLogWarning);
  if (!ConvertTemplateToXml(fileName, status, true)) {
    errors.add(ConversionFailureText(fileName, status));
    return nullptr;
  }
  if (LoadTemplate(*document, fileName, message)) return document;
  status = QuireStatus(62, fileName + ": " + message);
  errors.add(status);
  return nullptr;
}

// Annotates the loaded template and generates the page in it; every failure goes to `errors`.
void AnnotateAndGenerate(const std::shared_ptr<platform::DomDocument>& document,
                         const GenerationInputs& inputs, ErrorCollector& errors,
                         QuireStatus& status, std::optional<std::string>& resultText) {
  TemplateAnnotator annotator(document);
  if (!annotator.annotateTemplate(status)) {
    errors.add(status);
    return;
  }
  WebPageGenerator generator(document, inputs.fileName, errors, g_progressSink.load());
  RemoveOldPictures(generator.companionFolder());
  status = generator.generatePage(inputs.artifactLocator, inputs.serverUrl, inputs.templateId,
                                  resultText);
}

}  // namespace

void XmlAgentSetProgressSink(ProgressSink* sink) { g_progressSink.store(sink); }

bool GenerateDocument(AgentCore& core, const GenerationInputs& inputs,
                      std::optional<std::string>& resultText) {
  const auto started = std::chrono::steady_clock::now();
  ErrorCollector errors(inputs.fileName);
  QuireStatus status;
  try {
    std::shared_ptr<platform::DomDocument> document =
        LoadOrConvert(inputs.fileName, errors, status);
    if (document) {
      core.currentDocument = document;
      AnnotateAndGenerate(document, inputs, errors, status, resultText);
    }
  } catch (const platform::ComError& error) {
    // The layers below report through statuses; a document call that still throws ends the
    // request here instead of leaving the command thread.
    status = QuireStatus(62, error.Description());
    errors.add(status);
  } catch (const std::exception& error) {
    status = QuireStatus(62, HostString(kUnexpectedErrorMessage) + ": " + error.what());
    errors.add(status);
  }
  if (!errors.empty()) {
    errors.writeErrorPage(ErrorCollector::errorPagePath(inputs.fileName));
    RememberError(errors.pageText());
  }
  if (status.IsOk()) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    platform::Log(
        "Template " + inputs.templateId + " generated in " + CX_Image(seconds, 10, 3) + " seconds",
        platform::kLogInformational);
  }
  return errors.empty();
}

std::string LastGenerationErrorText() {
  std::lock_guard<std::mutex> lock(g_lastErrorMutex);
  return g_lastErrorText;
}
