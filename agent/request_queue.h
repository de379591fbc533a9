// Generate requests, served either at once on the calling thread (synchronous mode, timeout 0) or
// through a request list and a consumer thread (asynchronous mode), where the caller waits a
// bounded time and a later identical request collects a late result.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <atomic>
#include <optional>
#include <string>

#include "agent/credentials.h"
#include "foundation/cx_unbounded.h"

class AgentCore;

enum class RequestState : uint8_t { kQueued = 0, kProcessing = 1, kDone = 2, kCollected = 3 };

// One queued request, owned by the request list.
struct GenerationRequest {
  std::string fileName;
  std::string artifactLocator;
  std::string serverUrl;
  std::string templateId;  // every backslash replaced by "/"
  CredentialList credentials;
  std::string documentText;  // the generated document, or the error-page text on failure
  std::optional<std::string> resultText;
  AgentCore* owner = nullptr;
  int64_t queuedAtMs = 0;
  std::atomic<RequestState> state{RequestState::kQueued};
  std::atomic<bool> succeeded{false};
};

// The template id as requests compare it: every backslash replaced by "/".
std::string NormaliseTemplateId(const std::string& templateId);

// Milliseconds of a monotonic clock; replaceable so that tests can move time.
using MillisecondClock = std::function<int64_t()>;
void SetRequestClockForTesting(MillisecondClock clock);  // null restores the real clock

// Serves one generate request (called by the generate command on the command thread). resultText
// is reset first and receives the outline text when there is one; the caller writes it to
// Output.txt. Returns, in asynchronous mode, true when the request timed out; in synchronous mode
// the generation driver's success. Uses AgentService().timeoutMs.
bool SubmitGenerateRequest(const std::string& fileName, const std::string& artifactLocator,
                           const std::string& serverUrl, const std::string& templateId,
                           const CredentialList& credentials,
                           std::optional<std::string>& resultText);

// Whether the request that the calling thread last collected in asynchronous mode had been
// generated (false when its error-page text was written over the document instead).
bool LastCollectedRequestSucceeded();

// Starts the consumer thread (highest normal priority) when none runs; it first fills the domain
// registry, then serves the request list. Called by the agent's start sequence in asynchronous
// mode.
void StartConsumerThread();

// Clears the run flag, resumes the consumer thread and waits for it to end; nothing when none
// runs. Called by the agent's shutdown.
void StopConsumerThread();

bool ConsumerThreadRunning();

// Creates the named mutexes "requestListMutex" and "consumerMutex" when missing; false (with the
// level-4 log line) when one cannot be created.
bool CreateRequestMutexes();

// Number of requests in the list (for tests and diagnostics).
size_t PendingRequestCount();
