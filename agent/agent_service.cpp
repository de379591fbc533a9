// The agent service's life: its one instance, the command thread's commands, the agent's opening
// with the start sequence, and its shutdown and closing.
#include "agent/agent_service.h"

#include <cstdlib>
#include <new>

#include "agent/agent_start.h"
#include "agent/domain_loading.h"
#include "domains/domain_registry.h"
#include "domains/kestrel_session_access.h"
#include "platform/config.h"
#include "platform/log.h"

namespace {

// The unload step is registered again after each opening of the agent (see RegisterUnloadStep);
// this caps the registrations of a process that opens and closes the agent without end.
constexpr int kMaxUnloadRegistrations = 32;

void UnloadAtExit() { AgentService::Instance().StopCommandThreadAtUnload(); }

}  // namespace

AgentService& AgentService::Instance() {
  static AgentService* service = new AgentService;
  return *service;
}

AgentService::~AgentService() {
  commandThread_.StopAtUnload();
  CloseAgent();
}

// Exit handlers and static destructors run in the reverse order of their registration, so the
// unload step is registered again once the agent has built the statics that its shutdown uses
// (the log, the host resources, the domains): it then runs before any of them is destroyed.
void AgentService::RegisterUnloadStep() {
  if (unloadRegistrations_.fetch_add(1) >= kMaxUnloadRegistrations) return;
  std::atexit(UnloadAtExit);
}

void AgentService::StartCommandThread() {
  if (commandThread_.Start()) std::call_once(firstStart_, [this] { RegisterUnloadStep(); });
}

void AgentService::PostCommandAndWait(AgentCommand command) { commandThread_.PostAndWait(command); }

void AgentService::StopCommandThreadAtUnload() { commandThread_.StopAtUnload(); }

void AgentService::Posting(AgentCommand command) {
  if (command == kCommandGenerate) lastGenerateOutcome_.store(-1);
}

void AgentService::Serve(int32_t command) {
  switch (command) {
    case kCommandGenerate:
    case kCommandGetAncestors: {
      const bool opening = agent_ == nullptr;
      if (opening) OpenAgent();
      // Once the agent has been opened, whatever the command then does.
      struct Registration {
        AgentService* service;
        ~Registration() {
          if (service != nullptr) service->RegisterUnloadStep();
        }
      } registration{opening ? this : nullptr};
      if (command == kCommandGenerate) {
        Generate();
      } else {
        GetAncestors();
      }
      break;
    }
    case kCommandClose:
      CloseAgent();
      break;
    case kCommandRefresh:
      Refresh();
      break;
    default:
      break;
  }
}

void AgentService::OpenAgent() {
  if (agent_ != nullptr) return;
  try {
    agent_ = std::make_unique<Agent>("My agent");
  } catch (const std::bad_alloc&) {
    // No agent, so the request is not run; the log says why at the default level.
    platform::Log("Cannot open the agent: out of memory", platform::kLogCriticalError);
    return;
  }
  if (!agent_->HasCore()) return;
  agentOpen_.store(true);
  Start();
}

void AgentService::Start() {
  if (initialised_) return;
  try {
    StartSequence();
  } catch (const std::bad_alloc& error) {
    // A start that runs out of memory part way takes back what it began, so that the service is
    // down as after any failed start and the requests' error pages say why.
    AbandonStart();
    try {
      startFailure_ = std::string("The agent did not start: ") + error.what();
    } catch (...) {
      startFailure_.clear();
    }
  }
}

void AgentService::AbandonStart() noexcept {
  try {
    queue_.StopConsumerThread();
  } catch (...) {
  }
  try {
    DomainRegistry::instance().cleanAllDomains();
    DomainRegistry::instance().deleteAllDomains();
  } catch (...) {
  }
  try {
    ReleaseKestrelSession();
  } catch (...) {
  }
  try {
    log_.Close();
  } catch (...) {
  }
  try {
    UnloadHostResourceModule();
  } catch (...) {
  }
}

void AgentService::StartSequence() {
  startFailure_.clear();
  if (!LoadHostResourceModule(startFailure_)) {
    // The ancestors query needs no resource module: the portal's tree is served all the same.
    RegisterDataSourceStore();
    return;
  }
  const std::string timeout = platform::GetConfigValue("timeout");
  PrepareDataFolders();  // failures are shown; the start goes on
  log_.Open();
  if (!timeout.empty()) {
    timeoutMs_ = TimeoutFromText(timeout);
    if (timeoutMs_ == 0) {
      platform::Log("Diabling asynchronous mode", platform::kLogInformational);
    }
  }
  platform::Log("Vistafold XML Agent Initializing", platform::kLogInformational);
  // Before either thread may serve a request: the ancestors query needs the component too.
  RegisterDataSourceStore();
  if (timeoutMs_ == 0) {
    FillDomainRegistry();
  } else if (!queue_.ConsumerThreadRunning()) {
    queue_.StartConsumerThread();
  }
  if (!queue_.CreateRequestMutexes()) {
    startFailure_ = "Cannot create the request mutexes";
    // Nothing of a start that ends here may keep running behind a service that is not up.
    queue_.StopConsumerThread();
    log_.Close();
    UnloadHostResourceModule();
    return;
  }
  initialised_ = true;
}

void AgentService::Refresh() {
  if (!agentOpen_.load() || !initialised_) return;
  // In the queued mode the consumer thread may be generating a page from these domains.
  queue_.RunBetweenRequests([] { DomainRegistry::instance().cleanAllDomains(); });
}

void AgentService::Shutdown() {
  if (!agentOpen_.load() || !initialised_) return;
  queue_.StopConsumerThread();
  DomainRegistry::instance().cleanAllDomains();
  DomainRegistry::instance().deleteAllDomains();
  ReleaseKestrelSession();
  platform::Log("Vistafold XML Agent Unloading", platform::kLogInformational);
  log_.Close();
  UnloadHostResourceModule();
  initialised_ = false;
}

void AgentService::CloseAgent() {
  if (agent_ == nullptr) return;
  // The agent and its apartment go even when the shutdown throws.
  struct Release {
    AgentService& service;
    ~Release() {
      service.agentOpen_.store(false);
      service.agent_.reset();
    }
  } release{*this};
  Shutdown();
}
