#include <optional>
#include <string>
#include <vector>

#include "agent/agent.h"
#include "agent/ancestors_query.h"
#include "agent/credentials.h"
#include "agent/parameter_file.h"
#include "agent/request_queue.h"
#include "platform/log.h"

int Agent::Generate() {
  if (core_ == nullptr) return -1;
  const std::string parameterFile = ParameterFilePath();
  if (parameterFile.empty()) return -1;
  const RequestParameters request =
      ReadParameterFile(parameterFile,
                        {kFileNameKey, kArtifactLocatorKey, kServerUrlKey, kTemplateIdKey,
                         kPasswordNameKey, kPasswordValueKey},
                        true);
  const CredentialList credentials = CredentialsOf(request);
  platform::Log(request.fileName, platform::kLogDebug);
  platform::Log(request.artifactLocator, platform::kLogDebug);

  std::optional<std::string> resultText;
  const bool flag =
      SubmitGenerateRequest(request.fileName, request.artifactLocator, request.serverUrl,
                            request.templateId, credentials, resultText);
  const std::string outputFile = OutputFilePath();
  if (outputFile.empty()) {
    platform::Log("Tree.txt file is not in the USER_DATA path ", platform::kLogDebug);
  } else {
    WriteOutputFile(outputFile, resultText.value_or(""));
  }
  return flag ? 1 : 0;
}

void Agent::GetAncestors() {
  if (core_ == nullptr) return;
  const std::string parameterFile = ParameterFilePath();
  const std::string outputFile = OutputFilePath();
  if (parameterFile.empty()) {
    platform::Log("parameter.txt file is not in the USER_DATA path ", platform::kLogDebug);
    return;
  }
  const RequestParameters request = ReadParameterFile(
      parameterFile, {kArtifactLocatorKey, kPasswordNameKey, kPasswordValueKey}, false);
  HandCredentialsToDomains(CredentialsOf(request));
  const std::optional<std::string> ancestors = AncestorsOf(request.artifactLocator);
  if (outputFile.empty()) {
    platform::Log("output.txt file is not in the USER_DATA path ", platform::kLogDebug);
    return;
  }
  WriteOutputFile(outputFile, ancestors.value_or(""));
}
