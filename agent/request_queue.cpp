// The request list, its caller side and its consumer thread.
#include "agent/request_queue.h"

#include <chrono>
#include <exception>
#include <stdexcept>
#include <utility>

#include "agent/ancestors_query.h"
#include "agent/document_object.h"
#include "agent/domain_loading.h"
#include "agent/empty_paragraphs.h"
#include "agent/generation_driver.h"
#include "agent/parameter_file.h"
#include "foundation/number_images.h"
#include "platform/com_apartment.h"
#include "platform/log.h"

namespace {

using platform::Log;

constexpr char kRequestListMutexName[] = "requestListMutex";
constexpr char kConsumerMutexName[] = "consumerMutex";
constexpr uint32_t kListWaitMs = 10000;
constexpr auto kPickUpLimit = std::chrono::seconds(2);
constexpr int64_t kAbandonedAfterMs = 600 * 1000;

bool Owned(platform::WaitResult result) {
  return result == platform::WaitResult::kSignaled || result == platform::WaitResult::kAbandoned;
}

}  // namespace

std::string NormaliseTemplateId(const std::string& templateId) {
  std::string normalised = templateId;
  for (char& c : normalised) {
    if (c == '\\') c = '/';
  }
  return normalised;
}

void RequestQueue::SetClockForTesting(MillisecondClock clock) {
  std::lock_guard<std::mutex> lock(clockMutex_);
  clock_ = std::move(clock);
}

int64_t RequestQueue::NowMs() {
  MillisecondClock clock;
  {
    std::lock_guard<std::mutex> lock(clockMutex_);
    clock = clock_;
  }
  if (clock) return clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Under "requestListMutex": the unfinished request for the same page, or a new queued one. A
// request for the same page that finished after its caller gave up was made from that caller's
// document and for it: it is dropped, and this caller gets a request of its own.
RequestQueue::RequestHandle RequestQueue::FindOrQueue(const PageRequest& page, bool& queuedNow) {
  const std::string templateId = NormaliseTemplateId(page.templateId);
  for (uint32_t i = 0; i < list_.Length(); ++i) {
    const RequestHandle& candidate = list_[i];
    if (candidate->page.artifactLocator != page.artifactLocator ||
        candidate->page.templateId != templateId ||
        candidate->state.load() == RequestState::kCollected) {
      continue;
    }
    RequestState done = RequestState::kDone;
    if (candidate->state.compare_exchange_strong(done, RequestState::kCollected)) {
      Log("Dropping the late result of " + templateId + " for " + candidate->page.fileName,
          platform::kLogDebug);
      continue;
    }
    queuedNow = false;
    return candidate;
  }
  auto request = std::make_shared<GenerationRequest>();
  request->page = page;
  request->page.templateId = templateId;
  request->queuedAtMs = NowMs();
  list_.Append(request);
  Log("Queued request for " + templateId, platform::kLogDebug);
  wake_.Resume();
  queuedNow = true;
  return request;
}

// Takes the finished request's result and writes its document over the caller's own file (a
// request joined while it was served was made for another caller's file).
void RequestQueue::Collect(GenerationRequest& request, const PageRequest& caller,
                           Submission& submission) {
  submission.outcome = request.succeeded.load() ? 1 : 0;
  submission.resultText = std::move(request.resultText);
  request.resultText.reset();
  // An empty text means the consumer produced nothing; writing it would wipe the user's file.
  if (request.documentText.empty()) return;
  std::string errorPageText;
  if (!SaveGeneratedPage(caller.fileName, request.documentText, request.errors, errorPageText)) {
    submission.outcome = 0;
    return;
  }
  if (!request.succeeded.load()) return;
  if (!RestoreEmptyParagraphs(caller.fileName)) {
    Log("Cannot restore empty paragraphs in " + caller.fileName, platform::kLogError);
  }
  LogPageGenerated(request.page.templateId,
                   static_cast<double>(NowMs() - request.queuedAtMs) / 1000.0);
}

Submission RequestQueue::SubmitGenerateRequest(const PageRequest& page, int32_t timeoutMs) {
  Submission submission;
  RequestHandle request;
  bool queuedNow = false;
  platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
  if (Owned(listMutex.Wait(kListWaitMs))) {
    request = FindOrQueue(page, queuedNow);
    listMutex.Release();
  }
  // A request joined while it is queued or served is waited for as a new one is.
  if (request) AwaitResult(*request, timeoutMs);
  RequestState done = RequestState::kDone;
  // Claiming the request before writing keeps two callers from collecting it twice.
  if (request && request->state.compare_exchange_strong(done, RequestState::kCollected)) {
    Collect(*request, page, submission);
    submission.flag = false;
  }
  if (submission.flag) {
    submission.outcome = kTimedOutOutcome;
    Log("Request timed out " + page.templateId, platform::kLogCriticalError);
  } else if (submission.resultText) {
    Log("Returning tree xml " + *submission.resultText, platform::kLogDebug);
  }
  return submission;
}

// Under "requestListMutex": drops at most one finished request met before the first pending
// one, and gives that pending request (null when there is none).
RequestQueue::RequestHandle RequestQueue::PrunePass() {
  const int64_t now = NowMs();
  RequestHandle pending;
  bool picked = false;
  uint32_t pickedIndex = 0;
  for (uint32_t i = 0; i < list_.Length(); ++i) {
    const RequestHandle& request = list_[i];
    const RequestState state = request->state.load();
    if (state == RequestState::kQueued) {
      pending = request;
      break;
    }
    const bool abandoned = (state == RequestState::kProcessing || state == RequestState::kDone) &&
                           now - request->queuedAtMs > kAbandonedAfterMs;
    if (!picked && (state == RequestState::kCollected || abandoned)) {
      picked = true;
      pickedIndex = i;
    }
  }
  if (picked) {
    Log("Consumer thread deleting request " + list_[pickedIndex]->page.templateId,
        platform::kLogDebug);
    list_.Remove(pickedIndex);
  }
  return pending;
}

void RequestQueue::Advance(GenerationRequest& request, RequestState state) {
  {
    std::lock_guard<std::mutex> lock(stateMutex_);
    request.state.store(state);
  }
  stateChanged_.notify_all();
}

// The caller wakes as soon as the consumer moves the request on, instead of looking at it now
// and then.
void RequestQueue::AwaitResult(const GenerationRequest& request, int32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(stateMutex_);
  const bool taken = stateChanged_.wait_for(
      lock, kPickUpLimit, [&] { return request.state.load() != RequestState::kQueued; });
  if (!taken && !run_.load()) return;  // no consumer: nobody will take it
  stateChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0), [&] {
    const RequestState state = request.state.load();
    return state == RequestState::kDone || state == RequestState::kCollected ||
           !consumerAlive_.load();
  });
}

void RequestQueue::Serve(GenerationRequest& request) {
  Advance(request, RequestState::kProcessing);
  server_.HandCredentialsToDomains(CredentialsOf(request.page));
  if (request.page.fileName == kAncestorsFileName) {
    Log("Consumer thread processing getAncestors request for " + request.page.artifactLocator,
        platform::kLogDebug);
    request.resultText = AncestorsOf(request.page.artifactLocator);
    return;
  }
  Log("Consumer thread processing GenerateFromLink request for " + request.page.templateId,
      platform::kLogDebug);
  GenerationResult result = server_.GeneratePage(request.page);
  request.resultText = std::move(result.outline);
  request.succeeded.store(result.generated);
  request.errors = std::move(result.errors);
  // The page's bytes as the synchronous mode writes them, in the code page that it declares; the
  // error page's too.
  if (result.generated && result.page) {
    request.documentText = std::move(*result.page);
  } else {
    request.documentText = std::move(result.errorPageBytes);
  }
}

// Serves one request under "consumerMutex". False when the thread must end.
bool RequestQueue::ServeUnderConsumerMutex(GenerationRequest& request) {
  platform::NamedMutex consumerMutex = platform::NamedMutex::Open(kConsumerMutexName);
  if (!Owned(consumerMutex.Wait(platform::kInfinite))) return false;
  // A fresh document object per request: without one the request cannot be served.
  if (!server_.AgentOpen() || !NewRequestDocument()) {
    consumerMutex.Release();
    return false;
  }
  try {
    Serve(request);
  } catch (const std::exception& error) {
    // A request that fails this way keeps an empty document text, so its file stays as it was.
    Log("Consumer thread failed on " + request.page.templateId + ": " + error.what(),
        platform::kLogCriticalError);
    request.succeeded.store(false);
    request.documentText.clear();
  }
  // Done before the consumer mutex goes: whoever owns it next finds the request finished.
  Advance(request, RequestState::kDone);
  consumerMutex.Release();
  return true;
}

void RequestQueue::ConsumerMain() {
  // Document objects need an initialised apartment on the thread that makes them.
  platform::HResult apartment = platform::kE_FAIL;
  try {
    apartment = platform::CoInitializeApartment();
    ServeUntilStopped();
  } catch (const std::exception& error) {
    // Out of memory between requests: the thread ends as if stopped, and the next start of the
    // agent starts a new one (a consumer still counted alive would block that for good).
    run_.store(false);
    try {
      Log(std::string("Consumer thread ended: ") + error.what(), platform::kLogCriticalError);
    } catch (...) {
    }
  }
  if (apartment == platform::kS_OK || apartment == platform::kS_FALSE) {
    platform::CoUninitializeApartment();
  }
  {
    // Under the state mutex, so that a caller about to wait cannot miss it.
    std::lock_guard<std::mutex> lock(stateMutex_);
    consumerAlive_.store(false);
  }
  // A caller waiting for a request that this thread will never finish stops waiting.
  stateChanged_.notify_all();
}

void RequestQueue::RunBetweenRequests(const std::function<void()>& work) {
  platform::NamedMutex consumerMutex = platform::NamedMutex::Open(kConsumerMutexName);
  if (!consumerMutex.Valid()) {
    work();
    return;
  }
  if (!Owned(consumerMutex.Wait(platform::kInfinite))) return;
  try {
    work();
  } catch (...) {
    consumerMutex.Release();
    throw;
  }
  consumerMutex.Release();
}

void RequestQueue::ServeUntilStopped() {
  // Under "consumerMutex": a refresh on the command thread must not clean the domains while
  // they are being registered.
  RunBetweenRequests([] { FillDomainRegistry(); });
  while (run_.load() && server_.AgentOpen()) {
    platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
    if (!Owned(listMutex.Wait(kListWaitMs))) {
      wake_.Suspend();
      continue;
    }
    RequestHandle pending = PrunePass();
    listMutex.Release();
    if (!pending) {
      wake_.Suspend();
      continue;
    }
    if (!ServeUnderConsumerMutex(*pending)) break;
  }
}

void RequestQueue::StartConsumerThread() {
  std::lock_guard<std::mutex> lock(controlMutex_);
  if (consumerAlive_.load()) return;
  if (consumer_.Joinable()) consumer_.Join();  // a consumer that ended on its own
  run_.store(true);
  consumerAlive_.store(true);
  platform::ThreadOptions options;
  options.priority = platform::ThreadPriority::kHighest;
  bool started = false;
  try {
    started = consumer_.Start([this] { ConsumerMain(); }, options);
  } catch (...) {
    // Out of memory before the thread ran: no consumer is counted alive, so the next start of
    // the agent starts one (a stale count would keep every later request waiting for nobody).
    run_.store(false);
    consumerAlive_.store(false);
    throw;
  }
  if (!started) {
    run_.store(false);
    consumerAlive_.store(false);
    Log("Cannot start the consumer thread: " + consumer_.Error(), platform::kLogCriticalError);
  }
}

void RequestQueue::StopConsumerThread() {
  std::lock_guard<std::mutex> lock(controlMutex_);
  if (!consumer_.Joinable()) return;
  run_.store(false);
  wake_.Resume();
  consumer_.Join();
  // Nobody serves the remaining requests any more. Without the list mutex nobody can reach the
  // list either; when it is held elsewhere for too long they stay for a later consumer or stop.
  platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
  if (!listMutex.Valid()) {
    list_.Clear();
  } else if (Owned(listMutex.Wait(kListWaitMs))) {
    list_.Clear();
    listMutex.Release();
  }
}

bool RequestQueue::CreateRequestMutexes() {
  std::lock_guard<std::mutex> lock(controlMutex_);
  requestListMutex_ = platform::NamedMutex::Create(kRequestListMutexName, false);
  if (!requestListMutex_.Valid()) {
    Log("Cannot create Mutex for request list", platform::kLogNotice);
    return false;
  }
  consumerMutex_ = platform::NamedMutex::Create(kConsumerMutexName, false);
  if (!consumerMutex_.Valid()) {
    Log("Cannot create Mutex for consumer thread", platform::kLogNotice);
    return false;
  }
  return true;
}

size_t RequestQueue::PendingRequestCount() {
  platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
  if (!listMutex.Valid()) return list_.Length();
  if (!Owned(listMutex.Wait(kListWaitMs))) return 0;
  const size_t count = list_.Length();
  listMutex.Release();
  return count;
}
