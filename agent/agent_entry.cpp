#include "agent/agent_entry.h"

#include "agent/command_thread.h"
#include "platform/config.h"

// XmlAgentLastGenerateOutcome lives with the command thread, which records the outcome.

void XmlAgentInit() { StartCommandThread(); }

void XmlAgentSetInitParameter(const std::string& name, const std::string& value) {
  platform::BindInitParameter(name, value);
}

int XmlAgentGenerate() {
  PostCommandAndWait(kCommandGenerate);
  return 0;
}

void XmlAgentGetAncestors() { PostCommandAndWait(kCommandGetAncestors); }

void XmlAgentRefresh() { PostCommandAndWait(kCommandRefresh); }

void XmlAgentClose() { PostCommandAndWait(kCommandClose); }
