// The request queue of the asynchronous mode: a request list served by a consumer thread, where
// the caller waits a bounded time and a later identical request collects a late result. The
// agent service owns the one queue; the queue reaches the service only through RequestServer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "agent/credentials.h"
#include "agent/generation_driver.h"
#include "agent/page_request.h"
#include "foundation/cx_unbounded.h"
#include "platform/named_mutex.h"
#include "platform/thread.h"
#include "platform/wake_signal.h"

enum class RequestState : uint8_t { kQueued = 0, kProcessing = 1, kDone = 2, kCollected = 3 };

// One queued request, owned by the request list.
struct GenerationRequest {
  PageRequest page;                 // its template id with every backslash replaced by "/"
  std::string documentText;         // the generated document, or the error-page text on failure
  std::vector<std::string> errors;  // the generation's errors, kept if the save fails too
  std::optional<std::string> resultText;
  int64_t queuedAtMs = 0;
  std::atomic<RequestState> state{RequestState::kQueued};
  std::atomic<bool> succeeded{false};
};

// The outcome of a request that its caller stopped waiting for.
inline constexpr int kTimedOutOutcome = -2;

// What a generate request came to, as its caller sees it.
struct Submission {
  // The flag that the generate command passes on: in asynchronous mode true when the request
  // timed out, in synchronous mode the generation driver's success.
  bool flag = true;
  // 1 generated, 0 failed, kTimedOutOutcome not finished within the timeout.
  int outcome = kTimedOutOutcome;
  // The outline text for Output.txt, when there is one.
  std::optional<std::string> resultText;
};

// What the consumer thread needs from the service that owns the queue. Called on the consumer
// thread.
class RequestServer {
 public:
  virtual ~RequestServer() = default;
  // Whether the agent on whose behalf requests are served is open; the consumer ends when not.
  virtual bool AgentOpen() const = 0;
  // Hands the credentials of the request about to be served to the data sources.
  virtual void HandCredentialsToDomains(const CredentialList& credentials) = 0;
  // Generates the page of the request.
  virtual GenerationResult GeneratePage(const PageRequest& request) = 0;
};

// The template id as requests compare it: every backslash replaced by "/".
std::string NormaliseTemplateId(const std::string& templateId);

// Milliseconds of a monotonic clock; replaceable so that tests can move time.
using MillisecondClock = std::function<int64_t()>;

class RequestQueue {
 public:
  explicit RequestQueue(RequestServer& server) : server_(server) {}
  // Stops the consumer thread when one runs.
  ~RequestQueue() { StopConsumerThread(); }
  RequestQueue(const RequestQueue&) = delete;
  RequestQueue& operator=(const RequestQueue&) = delete;

  // Creates the named mutexes "requestListMutex" and "consumerMutex" when missing (this queue
  // keeps them alive); false (with the level-4 log line) when one cannot be created.
  bool CreateRequestMutexes();

  // Starts the consumer thread (highest normal priority) when none runs; it first fills the
  // domain registry, then serves the list while the agent is open.
  void StartConsumerThread();
  // Clears the run flag, resumes the consumer thread, waits for it to end and drops the requests
  // nobody serves any more; nothing when none runs.
  void StopConsumerThread();
  bool ConsumerThreadRunning() const { return consumerAlive_.load(); }

  // The caller's side of a request: queues it (or joins the identical one still queued or being
  // served), waits at most 2 s for the consumer to take it and then at most timeoutMs for it to
  // finish, and when it is done collects it: writes its document text over the caller's own file
  // and hands back its result. Not done in time: the outcome is kTimedOutOutcome.
  // Runs on the command thread.
  Submission SubmitGenerateRequest(const PageRequest& request, int32_t timeoutMs);

  // Runs `work` (on the calling thread) while owning "consumerMutex", so that it never overlaps
  // the request the consumer thread serves or its filling of the domain registry: the domains
  // have no lock of their own. Waits for a request being served to end. When the mutex does not
  // exist (no queue was ever set up), nothing can overlap and `work` runs at once.
  void RunBetweenRequests(const std::function<void()>& work);

  // Number of requests in the list (for tests and diagnostics).
  size_t PendingRequestCount();

  void SetClockForTesting(MillisecondClock clock);  // null restores the real clock

 private:
  using RequestHandle = std::shared_ptr<GenerationRequest>;

  int64_t NowMs();
  RequestHandle FindOrQueue(const PageRequest& request, bool& queuedNow);
  void Collect(GenerationRequest& request, const PageRequest& caller, Submission& submission);
  RequestHandle PrunePass();
  // Moves a request on and wakes the callers waiting for it.
  void Advance(GenerationRequest& request, RequestState state);
  // The caller's wait: at most 2 s for the consumer to take the request, then at most timeoutMs
  // for it to finish.
  void AwaitResult(const GenerationRequest& request, int32_t timeoutMs);
  void Serve(GenerationRequest& request);
  bool ServeUnderConsumerMutex(GenerationRequest& request);
  void ConsumerMain();
  // The consumer's loop: serves pending requests until stopped.
  void ServeUntilStopped();

  RequestServer& server_;
  // Guarded by the named mutex "requestListMutex". Callers keep their own handle to a request, so
  // the consumer may drop one from the list while a caller still reads it.
  CX_TUnbounded<RequestHandle> list_;

  std::mutex controlMutex_;  // serialises starting and stopping the consumer, and the handles
  // A named mutex lives while a handle to it does; these keep the two alive for the queue.
  platform::NamedMutex requestListMutex_;
  platform::NamedMutex consumerMutex_;
  platform::Thread consumer_;
  platform::WakeSignal wake_;
  // Signalled whenever the consumer takes or finishes a request; the callers wait on it.
  std::mutex stateMutex_;
  std::condition_variable stateChanged_;
  std::atomic<bool> run_{false};
  std::atomic<bool> consumerAlive_{false};

  std::mutex clockMutex_;
  MillisecondClock clock_;
};
