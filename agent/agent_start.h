// The agent service's start sequence and the steps that undo it: the host resource module, the
// data folders, the log file and its redirection of standard output and standard error.
// Private to the agent library: agent.cpp, agent_commands.cpp and parameter_file.cpp use it.
#pragma once

#include <string>

class AgentCore;

// Shows a message box titled with host string 54630 ("Vistafold" when the host has none). Any
// thread.
void ShowAgentMessage(const std::string& text);

// Runs the start sequence once per process: success at once when the service is already up;
// on success marks AgentService() initialised. Failures are shown or logged, never thrown.
// Command thread only.
void StartAgentService(AgentCore& core);

// Closes the log file of the core (when one is open) after restoring descriptors 1 and 2 to what
// they were before the log took them over. Safe to call when no log is open. Command thread.
void CloseAgentLog(AgentCore& core);

// Unloads the host resource module; later host strings are empty. Command thread.
void UnloadAgentResources();
