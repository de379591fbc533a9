// The library's entry points: each reaches the agent service's one instance.
#include "agent/agent_entry.h"

#include "agent/agent_service.h"
#include "platform/config.h"

void XmlAgentInit() { AgentService::Instance().StartCommandThread(); }

void XmlAgentSetInitParameter(const std::string& name, const std::string& value) {
  platform::BindInitParameter(name, value);
}

int XmlAgentGenerate() {
  AgentService::Instance().PostCommandAndWait(kCommandGenerate);
  return 0;
}

void XmlAgentGetAncestors() { AgentService::Instance().PostCommandAndWait(kCommandGetAncestors); }

void XmlAgentRefresh() { AgentService::Instance().PostCommandAndWait(kCommandRefresh); }

void XmlAgentClose() { AgentService::Instance().PostCommandAndWait(kCommandClose); }

int XmlAgentLastGenerateOutcome() { return AgentService::Instance().LastGenerateOutcome(); }

void XmlAgentSetProgressSink(ProgressSink* sink) { AgentService::Instance().SetProgressSink(sink); }
