// The agent: the object that the command thread creates on the first generate or ancestors
// command. Building it starts the agent service once per process (host resource module, data
// folders, log file, timeout, domains, consumer thread, the two named mutexes); destroying it shuts
// the service down again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/dom/dom_document.h"

// The agent's state that outlives requests. One per process, reachable through Current() while
// it exists. Lives on the command thread; the consumer thread reads it while serving a request.
class AgentCore {
 public:
  AgentCore();
  ~AgentCore();
  AgentCore(const AgentCore&) = delete;
  AgentCore& operator=(const AgentCore&) = delete;

  // The core, or null when none exists.
  static AgentCore* Current();

  // The document the generation driver is working on; null when none.
  std::shared_ptr<platform::DomDocument> currentDocument;
  // Descriptor of the open log file, 0 when none.
  int logFileDescriptor = 0;
  bool loggingEnabled = false;
};

// Process-wide state of the agent service, shared with the request queue.
struct AgentServiceState {
  bool initialised = false;
  // Milliseconds a caller waits for a queued request; 0 = synchronous mode.
  int32_t timeoutMs = 8000;
};

// The state of the service; touched by the command thread, read by the consumer thread.
AgentServiceState& AgentService();

class Agent {
 public:
  // Initialises COM for the calling thread and, when that succeeds, builds the core and runs the
  // start sequence (once per process while the service is up). Call on the command thread.
  explicit Agent(const std::string& name);
  // Shuts down (when not done yet), destroys the core and uninitialises COM.
  ~Agent();
  Agent(const Agent&) = delete;
  Agent& operator=(const Agent&) = delete;

  // Null when COM could not be initialised; the operations below then do nothing.
  AgentCore* Core() const { return core_.get(); }

  // Command 1: reads the parameter file and generates the page; the result is ignored by callers
  // (-1 when there is no core or no parameter file, else the request queue's flag).
  int Generate();
  // Command 2: reads the parameter file and writes the ancestors text to Output.txt.
  void GetAncestors();
  // Command 4: cleans every loaded domain when the service is up.
  void Refresh();
  // Command 3: stops the consumer thread, drops the domains, closes the log, unloads the host
  // resource module. Does nothing when the service is not up.
  void Shutdown();

 private:
  std::string name_;
  bool com_initialised_ = false;
  std::unique_ptr<AgentCore> core_;
};
