#include "agent/agent.h"

#include <atomic>

#include "agent/agent_start.h"
#include "agent/request_queue.h"
#include "domains/domain_registry.h"
#include "platform/com_apartment.h"
#include "platform/log.h"

namespace {

std::atomic<AgentCore*> g_current_core{nullptr};

}  // namespace

AgentCore::AgentCore() { g_current_core.store(this); }

AgentCore::~AgentCore() {
  currentDocument.reset();
  AgentCore* self = this;
  g_current_core.compare_exchange_strong(self, nullptr);
}

AgentCore* AgentCore::Current() { return g_current_core.load(); }

AgentServiceState& AgentService() {
  static AgentServiceState state;
  return state;
}

Agent::Agent(const std::string& name) : name_(name) {
  const platform::HResult result = platform::CoInitializeApartment();
  // A call that only counted a nested initialisation (S_FALSE) is balanced at destruction too.
  com_initialised_ = result >= 0;
  if (result != platform::kS_OK) return;
  core_ = std::make_unique<AgentCore>();
  StartAgentService(*core_);
}

Agent::~Agent() {
  Shutdown();
  core_.reset();
  if (com_initialised_) platform::CoUninitializeApartment();
}

void Agent::Refresh() {
  if (core_ != nullptr && AgentService().initialised) DomainRegistry::instance().cleanAllDomains();
}

void Agent::Shutdown() {
  AgentServiceState& service = AgentService();
  if (core_ == nullptr || !service.initialised) return;
  StopConsumerThread();
  DomainRegistry::instance().cleanAllDomains();
  DomainRegistry::instance().deleteAllDomains();
  platform::Log("Vistafold XML Agent Unloading", platform::kLogInformational);
  CloseAgentLog(*core_);
  UnloadAgentResources();
  service.initialised = false;
  core_->currentDocument.reset();
}
