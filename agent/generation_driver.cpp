// The generation driver: load or convert, annotate, generate, error page, timing.
#include "agent/generation_driver.h"

#include <exception>
#include <string_view>

#include "agent/document_object.h"
#include "agent/template_conversion.h"
#include "agent/template_loading.h"
#include "foundation/host_hooks.h"
#include "foundation/number_images.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/picture_files.h"
#include "generate/progress_sink.h"
#include "generate/template_annotator.h"
#include "generate/template_check.h"
#include "generate/template_comments.h"
#include "generate/web_page_generator.h"
#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/xml_wellformedness.h"
#include "platform/file_io.h"
#include "platform/log.h"

namespace {

std::string SaveFailureText(const std::string& fileName, int failure) {
  return "Cannot save the generated page " + fileName + ": " + platform::SystemErrorText(failure);
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
  // The page replaces the document: one that cannot be replaced (read-only, or no regular file)
  // is refused before it is converted or generated.
  if (const int failure = platform::ReplaceableFileFailure(fileName); failure != 0) {
    status = QuireStatus(kProcessingError, fileName + ": " + platform::SystemErrorText(failure));
    errors.add(status);
    return nullptr;
  }
  std::shared_ptr<platform::DomDocument> document = platform::NewDomDocument();
  if (!document) {
    status = QuireStatus(kProcessingError, HostString(host_message::kDocumentObjectNotCreated));
    errors.add(status);
    return nullptr;
  }
  std::string message;
  if (LoadTemplate(*document, fileName, message)) return document;
  // Conversion would not make a template shallower: the file is left as it is.
  if (document->parseError().errorCode == platform::kXmlErrorNestingTooDeep) {
    status = QuireStatus(kProcessingError, fileName + ": " + message);
    errors.add(status);
    return nullptr;
  }
  platform::Log("The template has not been converted to XML, performance will be impaired. (" +
                    fileName + ")",
                platform::kLogWarning);
  if (!ConvertTemplateToXml(fileName, status, true)) {
    errors.add(ConversionFailureText(fileName, status));
    return nullptr;
  }
  if (LoadTemplate(*document, fileName, message)) return document;
  status = QuireStatus(kProcessingError, fileName + ": " + message);
  errors.add(status);
  return nullptr;
}

// Annotates the loaded template and generates the page in it; every failure goes to `errors`.
void AnnotateAndGenerate(const std::shared_ptr<platform::DomDocument>& document,
                         const PageRequest& request, ProgressSink* progress, ErrorCollector& errors,
                         QuireStatus& status, std::optional<std::string>& outline) {
  TemplateAnnotator annotator(document);
  if (!annotator.annotateTemplate(status)) {
    errors.add(status);
    AddTemplateProblems(annotator.comments(), errors);
    // The document is written back as it stands: the places that only the messages needed go.
    if (const platform::DomNode root = document->documentElement()) ForgetCommentPlaces(root);
    return;
  }
  // The annotations become part of the parsed text, which the copies of every repeated part
  // then share; nothing kept from the annotation points into the tree.
  document->reparse();
  WebPageGenerator generator(document, request.fileName, errors, progress);
  RemoveOldPictures(generator.companionFolder());
  status = generator.generatePage(request.artifactLocator, request.serverUrl, request.templateId,
                                  outline);
  // The walk stops at the first failing command; the author learns of the other faults of the
  // template on the same page.
  if (!status.IsOk()) AddTemplateProblems(annotator.comments(), errors);
}

}  // namespace

namespace {

// Writes the page over the document file as it is encoded; the reason of a failure is added to
// `errors` as SaveGeneratedPage words it. Raises as encodedXml does. The document is the
// portal's copy of the template, and the page can be generated again: it is put in place
// without being written out at once.
bool SavePageOverDocument(const platform::DomDocument& document, const std::string& fileName,
                          ErrorCollector& errors) {
  platform::FileReplacement file(fileName, platform::FileReplacement::Placement::kExchange);
  int failure = file.Open();
  if (failure == 0) {
    document.writeEncoded(
        [&](std::string_view piece) { return (failure = file.Write(piece)) == 0; });
  }
  if (failure == 0) failure = file.Commit();
  if (failure == 0) return true;
  errors.add(SaveFailureText(fileName, failure));
  return false;
}

}  // namespace

GenerationResult GenerateDocument(const PageRequest& request, ProgressSink* progress,
                                  PageOutput output) {
  GenerationResult result;
  ErrorCollector errors(request.fileName);
  QuireStatus status;
  std::shared_ptr<platform::DomDocument> document;
  try {
    document = LoadOrConvert(request.fileName, errors, status);
    if (document) AnnotateAndGenerate(document, request, progress, errors, status, result.outline);
  } catch (const platform::ComError& error) {
    // The layers below report through statuses; a document call that still throws ends the
    // request here instead of leaving the command thread.
    status = QuireStatus(kProcessingError, error.Description());
    errors.add(status);
  } catch (const std::exception& error) {
    status = QuireStatus(kProcessingError,
                         HostString(host_message::kUnexpectedError) + ": " + error.what());
    errors.add(status);
  }
  if (document) {
    // The page in the code page that it declares, however it is written afterwards; a code page
    // that cannot write it fails the request, and the error names the code page.
    try {
      if (output == PageOutput::kOverDocument) {
        result.saved = SavePageOverDocument(*document, request.fileName, errors);
      } else {
        result.page = document->encodedXml();
      }
    } catch (const platform::ComError& error) {
      status = QuireStatus(kProcessingError, error.Description());
      errors.add(status);
    }
  }
  if (!errors.empty() && !request.fileName.empty()) {
    errors.writeErrorPage(ErrorCollector::errorPagePath(request.fileName));
    result.errorPageText = errors.pageText();
    result.errorPageBytes = errors.pageBytes();
  }
  result.errors = errors.messages();
  result.statusOk = status.IsOk();
  result.generated = errors.empty();
  return result;
}

bool SaveGeneratedPage(const std::string& fileName, const std::string& page,
                       const std::vector<std::string>& earlierErrors, std::string& errorPageText) {
  const int failure = platform::ReplaceFile(fileName, page);
  if (failure == 0) return true;
  ErrorCollector errors(fileName);
  for (const std::string& message : earlierErrors) errors.add(message);
  errors.add(SaveFailureText(fileName, failure));
  errors.writeErrorPage(ErrorCollector::errorPagePath(fileName));
  errorPageText = errors.pageText();
  return false;
}

void LogPageGenerated(const std::string& templateId, double seconds) {
  platform::Log("Template " + templateId + " generated in " + CX_Image(seconds, 10, 3) + " seconds",
                platform::kLogInformational);
}
