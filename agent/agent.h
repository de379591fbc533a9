// The agent: what the command thread opens on the first generate or ancestors command. It holds
// the thread's COM apartment; it has a core when the apartment could be initialised, and only an
// agent with a core is started and serves requests (the agent service does both).
#pragma once

#include <string>

class Agent {
 public:
  // Initialises COM for the calling thread as a single-threaded apartment; the agent has a core
  // only when that call succeeded outright (not when COM was already initialised).
  explicit Agent(const std::string& name);
  // Uninitialises COM when the constructor's call initialised it (also a nested one).
  ~Agent();
  Agent(const Agent&) = delete;
  Agent& operator=(const Agent&) = delete;

  bool HasCore() const { return hasCore_; }

 private:
  std::string name_;
  bool comInitialised_ = false;
  bool hasCore_ = false;
};
