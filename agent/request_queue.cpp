#include "agent/request_queue.h"

#include <chrono>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

#include "agent/agent.h"
#include "agent/ancestors_query.h"
#include "agent/domain_loading.h"
#include "agent/empty_paragraphs.h"
#include "agent/generation_driver.h"
#include "agent/parameter_file.h"
#include "foundation/host_hooks.h"
#include "foundation/number_images.h"
#include "platform/com_apartment.h"
#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"
#include "platform/named_mutex.h"
#include "platform/thread.h"
#include "platform/wake_signal.h"

namespace {

using platform::Log;
using RequestHandle = std::shared_ptr<GenerationRequest>;

constexpr char kRequestListMutexName[] = "requestListMutex";
constexpr char kConsumerMutexName[] = "consumerMutex";
constexpr char kDocumentProgId[] = "MSXML.DOMDocument";
constexpr char kAncestorsFileName[] = "GetAncestor";
constexpr uint32_t kListWaitMs = 10000;
constexpr int kPickUpPolls = 40;
constexpr auto kPickUpPollInterval = std::chrono::milliseconds(50);
constexpr int64_t kAbandonedAfterMs = 600 * 1000;
constexpr unsigned kCannotCreateDocumentMessage = 40531;

// Process-wide and never destroyed, so that a consumer still parked at exit meets no dead state.
struct QueueState {
  // Guarded by the named mutex "requestListMutex". Callers keep their own handle to a request, so
  // the consumer may drop one from the list while a caller still reads it.
  CX_TUnbounded<RequestHandle> list;

  std::mutex controlMutex;  // serialises starting and stopping the consumer, and the handles
  // A named mutex lives while a handle to it does; these keep the two alive for the process.
  platform::NamedMutex requestListMutex;
  platform::NamedMutex consumerMutex;
  platform::Thread consumer;
  platform::WakeSignal wake;
  std::atomic<bool> run{false};
  std::atomic<bool> consumerAlive{false};

  std::mutex clockMutex;
  MillisecondClock clock;
};

QueueState& State() {
  static QueueState* state = new QueueState;
  return *state;
}

int64_t NowMs() {
  MillisecondClock clock;
  {
    std::lock_guard<std::mutex> lock(State().clockMutex);
    clock = State().clock;
  }
  if (clock) return clock();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool Owned(platform::WaitResult result) {
  return result == platform::WaitResult::kSignaled || result == platform::WaitResult::kAbandoned;
}

// Registers the document class at load time; this reference also links it in from the static
// platform library, whose own start-up registration would otherwise be left out.
[[maybe_unused]] const bool kDocumentClassRegistered = (platform::RegisterDomDocumentClass(), true);

// A new document object, or null (with the level-1 line) when it cannot be made. The ProgID is
// fixed and not a class id, so no "{" form needs handling.
std::shared_ptr<platform::DomDocument> NewDocumentObject() {
  std::shared_ptr<platform::DomDocument> document;
  try {
    document = std::dynamic_pointer_cast<platform::DomDocument>(
        platform::ComFactory::Create(kDocumentProgId));
  } catch (const platform::ComError&) {
  }
  if (!document) Log(HostString(kCannotCreateDocumentMessage), platform::kLogCriticalError);
  return document;
}

// Drops the core's current document when the operation ends, also when a save throws.
class CurrentDocumentRelease {
 public:
  explicit CurrentDocumentRelease(AgentCore& core) : core_(core) {}
  ~CurrentDocumentRelease() { core_.currentDocument.reset(); }
  CurrentDocumentRelease(const CurrentDocumentRelease&) = delete;
  CurrentDocumentRelease& operator=(const CurrentDocumentRelease&) = delete;

 private:
  AgentCore& core_;
};

bool GenerateAtOnce(const GenerationInputs& inputs, const CredentialList& credentials,
                    std::optional<std::string>& resultText) {
  std::shared_ptr<platform::DomDocument> document = NewDocumentObject();
  if (!document) return false;
  AgentCore* core = AgentCore::Current();
  if (core == nullptr) return false;
  core->currentDocument = std::move(document);
  CurrentDocumentRelease release(*core);
  HandCredentialsToDomains(credentials);
  const bool generated = GenerateDocument(*core, inputs, resultText);
  // A document without an element is a failed load; saving it would wipe the user's file.
  if (core->currentDocument && core->currentDocument->documentElement()) {
    core->currentDocument->save(inputs.fileName);  // a ComError leaves the operation
  }
  if (resultText) Log("Returning tree xml \n" + *resultText, platform::kLogDebug);
  return generated;
}

// Under "requestListMutex": the unfinished request for the same page, or a new queued one.
RequestHandle FindOrQueue(const GenerationInputs& inputs, const CredentialList& credentials,
                          bool& queuedNow) {
  CX_TUnbounded<RequestHandle>& list = State().list;
  for (uint32_t i = 0; i < list.Length(); ++i) {
    const RequestHandle& candidate = list[i];
    if (candidate->artifactLocator == inputs.artifactLocator &&
        candidate->templateId == inputs.templateId &&
        candidate->state.load() != RequestState::kCollected) {
      queuedNow = false;
      return candidate;
    }
  }
  auto request = std::make_shared<GenerationRequest>();
  request->fileName = inputs.fileName;
  request->artifactLocator = inputs.artifactLocator;
  request->serverUrl = inputs.serverUrl;
  request->templateId = inputs.templateId;
  request->credentials = credentials;
  request->owner = AgentCore::Current();
  request->queuedAtMs = NowMs();
  list.Append(request);
  Log("Queued request for " + request->templateId, platform::kLogDebug);
  State().wake.Resume();
  queuedNow = true;
  return request;
}

void AwaitConsumer(const GenerationRequest& request, int32_t timeoutMs) {
  // Polling stops once the consumer has taken the request (state 1) or already finished it.
  for (int poll = 0; poll < kPickUpPolls && request.state.load() == RequestState::kQueued; ++poll) {
    std::this_thread::sleep_for(kPickUpPollInterval);
  }
  if (request.state.load() == RequestState::kDone) return;
  // The consumer holds "consumerMutex" while it serves; owning it means it has finished.
  platform::NamedMutex consumerMutex = platform::NamedMutex::Open(kConsumerMutexName);
  if (Owned(consumerMutex.Wait(static_cast<uint32_t>(timeoutMs > 0 ? timeoutMs : 0)))) {
    consumerMutex.Release();
  }
}

// Set by the caller that collects a request: what its generation came to.
thread_local bool t_last_collected_succeeded = false;

// Takes the finished request's result and writes its document over the file.
void Collect(GenerationRequest& request, std::optional<std::string>& resultText) {
  t_last_collected_succeeded = request.succeeded.load();
  const double seconds = static_cast<double>(NowMs() - request.queuedAtMs) / 1000.0;
  Log("Template " + request.templateId + " generated in " + CX_Image(seconds, 10, 3) + " seconds",
      platform::kLogInformational);
  resultText = std::move(request.resultText);
  request.resultText.reset();
  // An empty text means the consumer produced nothing; writing it would wipe the user's file.
  if (request.documentText.empty()) return;
  try {
    WriteOutputFile(request.fileName, request.documentText);
  } catch (const std::runtime_error& error) {
    Log("Cannot write the generated document: " + std::string(error.what()), platform::kLogError);
    return;
  }
  if (request.succeeded.load() && !RestoreEmptyParagraphs(request.fileName)) {
    Log("Cannot restore empty paragraphs in " + request.fileName, platform::kLogError);
  }
}

bool SubmitQueued(const GenerationInputs& inputs, const std::string& rawTemplateId,
                  const CredentialList& credentials, std::optional<std::string>& resultText) {
  bool timedOut = true;
  RequestHandle request;
  bool queuedNow = false;
  platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
  if (Owned(listMutex.Wait(kListWaitMs))) {
    request = FindOrQueue(inputs, credentials, queuedNow);
    listMutex.Release();
  }
  if (queuedNow) AwaitConsumer(*request, AgentService().timeoutMs);
  RequestState done = RequestState::kDone;
  // Claiming the request before writing keeps two callers from collecting it twice.
  if (request && request->state.compare_exchange_strong(done, RequestState::kCollected)) {
    Collect(*request, resultText);
    timedOut = false;
  }
  if (timedOut) {
    Log("Request timed out " + rawTemplateId, platform::kLogDebug);
  } else if (resultText) {
    Log("Returning tree xml " + *resultText, platform::kLogDebug);
  }
  return timedOut;
}

// Under "requestListMutex": drops at most one finished request met before the first pending
// one, and gives that pending request (null when there is none).
RequestHandle PrunePass() {
  CX_TUnbounded<RequestHandle>& list = State().list;
  const int64_t now = NowMs();
  RequestHandle pending;
  bool picked = false;
  uint32_t pickedIndex = 0;
  for (uint32_t i = 0; i < list.Length(); ++i) {
    const RequestHandle& request = list[i];
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
    Log("Consumer thread deleting request " + list[pickedIndex]->templateId, platform::kLogDebug);
    list.Remove(pickedIndex);
  }
  return pending;
}

void Serve(GenerationRequest& request, AgentCore& core,
           std::shared_ptr<platform::DomDocument> document) {
  request.state.store(RequestState::kProcessing);
  HandCredentialsToDomains(request.credentials);
  if (request.fileName == kAncestorsFileName) {
    Log("Consumer thread processing getAncestors request for " + request.artifactLocator,
        platform::kLogDebug);
    request.resultText = AncestorsOf(request.artifactLocator);
    return;
  }
  Log("Consumer thread processing GenerateFromLink request for " + request.templateId,
      platform::kLogDebug);
  // The driver works on the core's current document, so the fresh object becomes it.
  core.currentDocument = std::move(document);
  CurrentDocumentRelease release(core);
  const GenerationInputs inputs{request.fileName, request.artifactLocator, request.serverUrl,
                                request.templateId};
  std::optional<std::string> resultText;
  const bool generated = GenerateDocument(core, inputs, resultText);
  request.resultText = std::move(resultText);
  request.succeeded.store(generated);
  if (generated && core.currentDocument) {
    request.documentText = core.currentDocument->xml();
  } else {
    request.documentText = LastGenerationErrorText();
  }
}

// Serves one request under "consumerMutex". False when the thread must end.
bool ServeUnderConsumerMutex(GenerationRequest& request) {
  platform::NamedMutex consumerMutex = platform::NamedMutex::Open(kConsumerMutexName);
  if (!Owned(consumerMutex.Wait(platform::kInfinite))) return false;
  AgentCore* core = AgentCore::Current();
  std::shared_ptr<platform::DomDocument> document;
  if (core != nullptr) document = NewDocumentObject();
  if (!document) {
    consumerMutex.Release();
    return false;
  }
  try {
    Serve(request, *core, std::move(document));
  } catch (const std::exception& error) {
    // A request that fails this way keeps an empty document text, so its file stays as it was.
    Log("Consumer thread failed on " + request.templateId + ": " + error.what(),
        platform::kLogCriticalError);
    request.succeeded.store(false);
    request.documentText.clear();
  }
  request.state.store(RequestState::kDone);
  consumerMutex.Release();
  return true;
}

void ConsumerMain() {
  QueueState& state = State();
  // Document objects need an initialised apartment on the thread that makes them.
  const platform::HResult apartment = platform::CoInitializeApartment();
  FillDomainRegistry();
  while (state.run.load() && AgentCore::Current() != nullptr) {
    platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
    if (!Owned(listMutex.Wait(kListWaitMs))) {
      state.wake.Suspend();
      continue;
    }
    RequestHandle pending = PrunePass();
    listMutex.Release();
    if (!pending) {
      state.wake.Suspend();
      continue;
    }
    if (!ServeUnderConsumerMutex(*pending)) break;
  }
  if (apartment == platform::kS_OK || apartment == platform::kS_FALSE) {
    platform::CoUninitializeApartment();
  }
  state.consumerAlive.store(false);
}

}  // namespace

std::string NormaliseTemplateId(const std::string& templateId) {
  std::string normalised = templateId;
  for (char& c : normalised) {
    if (c == '\\') c = '/';
  }
  return normalised;
}

void SetRequestClockForTesting(MillisecondClock clock) {
  std::lock_guard<std::mutex> lock(State().clockMutex);
  State().clock = std::move(clock);
}

bool SubmitGenerateRequest(const std::string& fileName, const std::string& artifactLocator,
                           const std::string& serverUrl, const std::string& templateId,
                           const CredentialList& credentials,
                           std::optional<std::string>& resultText) {
  resultText.reset();
  if (AgentService().timeoutMs == 0) {
    return GenerateAtOnce({fileName, artifactLocator, serverUrl, templateId}, credentials,
                          resultText);
  }
  return SubmitQueued({fileName, artifactLocator, serverUrl, NormaliseTemplateId(templateId)},
                      templateId, credentials, resultText);
}

void StartConsumerThread() {
  QueueState& state = State();
  std::lock_guard<std::mutex> lock(state.controlMutex);
  if (state.consumerAlive.load()) return;
  if (state.consumer.Joinable()) state.consumer.Join();  // a consumer that ended on its own
  state.run.store(true);
  state.consumerAlive.store(true);
  platform::ThreadOptions options;
  options.priority = platform::ThreadPriority::kHighest;
  if (!state.consumer.Start(ConsumerMain, options)) {
    state.run.store(false);
    state.consumerAlive.store(false);
    Log("Cannot start the consumer thread: " + state.consumer.Error(), platform::kLogCriticalError);
  }
}

void StopConsumerThread() {
  QueueState& state = State();
  std::lock_guard<std::mutex> lock(state.controlMutex);
  if (!state.consumer.Joinable()) return;
  state.run.store(false);
  state.wake.Resume();
  state.consumer.Join();
  // Nobody serves the remaining requests any more. Without the list mutex nobody can reach the
  // list either; when it is held elsewhere for too long they stay for a later consumer or stop.
  platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
  if (!listMutex.Valid()) {
    state.list.Clear();
  } else if (Owned(listMutex.Wait(kListWaitMs))) {
    state.list.Clear();
    listMutex.Release();
  }
}

bool LastCollectedRequestSucceeded() { return t_last_collected_succeeded; }

bool ConsumerThreadRunning() { return State().consumerAlive.load(); }

bool CreateRequestMutexes() {
  QueueState& state = State();
  std::lock_guard<std::mutex> lock(state.controlMutex);
  state.requestListMutex = platform::NamedMutex::Create(kRequestListMutexName, false);
  if (!state.requestListMutex.Valid()) {
    Log("Cannot create Mutex for request list", platform::kLogNotice);
    return false;
  }
  state.consumerMutex = platform::NamedMutex::Create(kConsumerMutexName, false);
  if (!state.consumerMutex.Valid()) {
    Log("Cannot create Mutex for consumer thread", platform::kLogNotice);
    return false;
  }
  return true;
}

size_t PendingRequestCount() {
  platform::NamedMutex listMutex = platform::NamedMutex::Open(kRequestListMutexName);
  if (!listMutex.Valid()) return State().list.Length();
  if (!Owned(listMutex.Wait(kListWaitMs))) return 0;
  const size_t count = State().list.Length();
  listMutex.Release();
  return count;
}
