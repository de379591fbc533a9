// The agent service's requests: the generate and ancestors commands with their parameter and
// output files, the synchronous mode, and what every generation leaves behind (the last error).
#include <chrono>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agent/agent_service.h"
#include "agent/ancestors_query.h"
#include "agent/document_object.h"
#include "agent/parameter_file.h"
#include "generate/error_collector.h"
#include "platform/log.h"

int AgentService::Generate() {
  lastGenerateOutcome_.store(0);  // stays "failed" when what follows throws
  if (!agentOpen_.load()) {
    lastGenerateOutcome_.store(-1);
    return -1;
  }
  PageRequest request;
  std::string outputFile;
  try {
    return GenerateRequest(request, outputFile);
  } catch (const std::bad_alloc&) {
    // Out of memory part way: this request fails with its error page and an empty result, as
    // far as they can be written, and the next request starts afresh.
    ReportOutOfMemory(request, outputFile);
    lastGenerateOutcome_.store(0);
    return 0;
  }
}

int AgentService::GenerateRequest(PageRequest& request, std::string& outputFile) {
  const std::string parameterFile = ParameterFilePath();
  if (parameterFile.empty()) {
    lastGenerateOutcome_.store(-1);
    return -1;
  }
  request = ReadParameterFile(parameterFile,
                              {kFileNameKey, kArtifactLocatorKey, kServerUrlKey, kTemplateIdKey,
                               kPasswordNameKey, kPasswordValueKey},
                              true);
  platform::Log(request.fileName, platform::kLogDebug);
  platform::Log(request.artifactLocator, platform::kLogDebug);
  outputFile = OutputFilePath();
  if (request.fileName.empty()) {
    // No document: no page and no error page anywhere, only the reason.
    const std::string reason = "No " + std::string(kFileNameKey) + " in " + parameterFile;
    platform::Log(reason, platform::kLogCriticalError);
    if (!outputFile.empty()) WriteOutputFile(outputFile, reason);
    lastGenerateOutcome_.store(-1);
    return -1;
  }
  // A relative name is the portal's, which works in the user-data folder; the ancestors
  // query's marker name is no file.
  if (request.fileName != kAncestorsFileName) request.fileName = DocumentPath(request.fileName);
  if (!initialised_) {
    ReportNotStarted(request, outputFile);
    return 0;
  }

  const Submission submission = SubmitGenerateRequest(request);
  if (outputFile.empty()) {
    platform::Log("Tree.txt file is not in the USER_DATA path ", platform::kLogDebug);
  } else {
    WriteOutputFile(outputFile, submission.resultText.value_or(""));
  }
  lastGenerateOutcome_.store(submission.outcome);
  return submission.flag ? 1 : 0;
}

void AgentService::ReportOutOfMemory(const PageRequest& request,
                                     const std::string& outputFile) noexcept {
  // Each step on its own: memory may still be short, and what can be written is written.
  try {
    platform::Log("Error generating " + request.fileName + ": out of memory",
                  platform::kLogCriticalError);
  } catch (...) {
  }
  try {
    if (!outputFile.empty()) WriteOutputFile(outputFile, "");
  } catch (...) {
  }
  if (request.fileName.empty()) return;  // the parameter file was not read: no document known
  try {
    ErrorCollector errors(request.fileName);
    errors.add("Error generating " + request.fileName + ": out of memory");
    errors.writeErrorPage(ErrorCollector::errorPagePath(request.fileName));
    RememberLastError(errors.pageText());
  } catch (...) {
  }
}

void AgentService::ReportNotStarted(const PageRequest& request, const std::string& outputFile) {
  ErrorCollector errors(request.fileName);
  errors.add(startFailure_.empty() ? std::string("The agent did not start") : startFailure_);
  errors.writeErrorPage(ErrorCollector::errorPagePath(request.fileName));
  RememberLastError(errors.pageText());
  if (!outputFile.empty()) WriteOutputFile(outputFile, "");
}

void AgentService::GetAncestors() {
  if (!agentOpen_.load()) return;
  const std::string parameterFile = ParameterFilePath();
  const std::string outputFile = OutputFilePath();
  if (parameterFile.empty()) {
    platform::Log("parameter.txt file is not in the USER_DATA path ", platform::kLogDebug);
    return;
  }
  const PageRequest request = ReadParameterFile(
      parameterFile, {kArtifactLocatorKey, kPasswordNameKey, kPasswordValueKey}, false);
  HandCredentialsToDomains(CredentialsOf(request));
  const std::optional<std::string> ancestors = AncestorsOf(request.artifactLocator);
  if (outputFile.empty()) {
    platform::Log("output.txt file is not in the USER_DATA path ", platform::kLogDebug);
    return;
  }
  WriteOutputFile(outputFile, ancestors.value_or(""));
}

Submission AgentService::SubmitGenerateRequest(const PageRequest& request) {
  if (timeoutMs_ == 0) return GenerateAtOnce(request);
  return queue_.SubmitGenerateRequest(request, timeoutMs_);
}

Submission AgentService::GenerateAtOnce(const PageRequest& request) {
  const auto started = std::chrono::steady_clock::now();
  Submission submission;
  submission.flag = false;
  submission.outcome = 0;
  if (!NewRequestDocument()) return submission;
  HandCredentialsToDomains(CredentialsOf(request));
  // The page is written as it is encoded, also when its generation failed part way; without a
  // page (no template loaded, or one in a code page that cannot write it) or when it cannot be
  // saved, the user's file stays as it was.
  GenerationResult result =
      GenerateDocument(request, progressSink_.load(), PageOutput::kOverDocument);
  if (!result.generated) RememberLastError(result.errorPageText);
  if (result.saved && result.statusOk) {
    LogPageGenerated(
        request.templateId,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  }
  submission.flag = result.generated;
  submission.outcome = result.generated ? 1 : 0;
  submission.resultText = std::move(result.outline);
  if (submission.resultText) {
    platform::Log("Returning tree xml \n" + *submission.resultText, platform::kLogDebug);
  }
  return submission;
}

void AgentService::HandCredentialsToDomains(const CredentialList& credentials) {
  credentials_.Hand(credentials);
}

GenerationResult AgentService::GeneratePage(const PageRequest& request) {
  GenerationResult result = GenerateDocument(request, progressSink_.load());
  if (!result.generated) RememberLastError(result.errorPageText);
  return result;
}

void AgentService::RememberLastError(const std::string& errorPageText) {
  std::lock_guard<std::mutex> lock(lastErrorMutex_);
  lastErrorText_ = errorPageText;
}

std::string AgentService::LastGenerationErrorText() const {
  std::lock_guard<std::mutex> lock(lastErrorMutex_);
  return lastErrorText_;
}
