#include "agent/command_thread.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

#include "agent/agent.h"
#include "agent/agent_entry.h"
#include "agent/request_queue.h"
#include "platform/auto_reset_event.h"
#include "platform/log.h"
#include "platform/thread.h"

namespace {

constexpr size_t kCommandThreadStackBytes = 20'000'000;
constexpr uint32_t kPollSliceMs = 100;
// How long the unload step waits, all told, for the command thread to take and serve the close.
constexpr auto kUnloadLimit = std::chrono::seconds(30);
// The unload step is registered again after each agent creation (see RegisterUnloadStep); this
// caps the registrations of a process that opens and closes the agent without end.
constexpr int kMaxUnloadRegistrations = 32;

struct CommandThreadState {
  std::atomic<int32_t> slot{kCommandNone};
  platform::AutoResetEvent commandEvent;
  platform::AutoResetEvent doneEvent;
  platform::AutoResetEvent threadEnded;
  // Serves posters one at a time: the slot holds one command, so two posters at once would
  // overwrite each other. Also orders init, posts and the unload step. Timed for the unload.
  std::timed_mutex posterMutex;
  // Null when no command thread runs. Guarded by posterMutex.
  std::unique_ptr<platform::Thread> thread;
  std::atomic<pid_t> commandThreadId{0};
  // Owned and touched by the command thread only.
  std::unique_ptr<Agent> agent;
  std::atomic<int> lastGenerateOutcome{-1};
  std::atomic<int> unloadRegistrations{0};
};

// Never destroyed: the unload step may have to leave a busy command thread running at process
// exit, and that thread must not find its slot, events or agent torn down under it.
CommandThreadState& State() {
  static CommandThreadState* state = new CommandThreadState;
  return *state;
}

void UnloadAtExit() { StopCommandThreadAtUnload(); }

// Exit handlers and static destructors run in the reverse order of their registration, so the
// unload step is registered again once the agent has built the statics that its shutdown uses
// (the log, the host resources, the request list): it then runs before any of them is destroyed.
void RegisterUnloadStep() {
  CommandThreadState& s = State();
  if (s.unloadRegistrations.fetch_add(1) >= kMaxUnloadRegistrations) return;
  std::atexit(UnloadAtExit);
}

// One line in the log, whatever the text holds.
void LogCommandFailure(int32_t command, const std::string& what) {
  try {
    std::string line = "Command " + std::to_string(command) + " failed: " + what;
    for (char& c : line) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    platform::Log(line, platform::kLogError);
  } catch (...) {
    // Nothing left to report with; the command is dropped like the exception.
  }
}

// Outcome of a generate command for XmlAgentLastGenerateOutcome. The agent's result is -1 when
// there was no parameter file; otherwise in synchronous mode it is the driver's success, and in
// asynchronous mode it is true when the caller timed out (not run as far as the caller knows) and
// false when the request was collected, whose own success then decides.
int GenerateOutcome(const Agent& agent, int result) {
  if (agent.Core() == nullptr || result < 0) return -1;
  if (AgentService().timeoutMs == 0) return result != 0 ? 1 : 0;
  if (result != 0) return -1;
  return LastCollectedRequestSucceeded() ? 1 : 0;
}

// Serves one command on the command thread. Clears keepRunning for close and sets agentCreated
// when it made the agent, whatever happens afterwards.
void Serve(CommandThreadState& s, int32_t command, bool& keepRunning, bool& agentCreated) {
  switch (command) {
    case kCommandGenerate:
    case kCommandGetAncestors: {
      if (s.agent == nullptr) {
        s.agent = std::make_unique<Agent>("My agent");
        agentCreated = true;
      }
      if (command == kCommandGenerate) {
        s.lastGenerateOutcome = 0;  // stays "failed" when Generate throws
        s.lastGenerateOutcome = GenerateOutcome(*s.agent, s.agent->Generate());
      } else {
        s.agent->GetAncestors();
      }
      break;
    }
    case kCommandClose: {
      keepRunning = false;
      // Destroyed even when Shutdown throws.
      std::unique_ptr<Agent> agent = std::move(s.agent);
      if (agent != nullptr) agent->Shutdown();
      break;
    }
    case kCommandRefresh:
      if (s.agent != nullptr) s.agent->Refresh();
      break;
    default:
      break;
  }
}

void RunCommandThread(CommandThreadState& s) {
  // The framework start-up of the original host cannot fail here, so there is nothing to report.
  bool keepRunning = true;
  while (keepRunning) {
    s.commandEvent.Wait(platform::kInfinite);
    const int32_t command = s.slot.load();
    bool agentCreated = false;
    try {
      Serve(s, command, keepRunning, agentCreated);
    } catch (const std::exception& e) {
      LogCommandFailure(command, e.what());
    } catch (...) {
      LogCommandFailure(command, "unknown exception");
    }
    if (agentCreated) RegisterUnloadStep();
    s.slot.store(kCommandNone);
    s.doneEvent.Set();
  }
  s.threadEnded.Set();
}

bool OnCommandThread(const CommandThreadState& s) {
  return s.commandThreadId.load() == platform::CurrentThreadId();
}

}  // namespace

void StartCommandThread() {
  CommandThreadState& s = State();
  std::lock_guard<std::timed_mutex> lock(s.posterMutex);
  // One thread at a time: a second init while one runs would orphan the first thread.
  if (s.thread != nullptr) return;
  s.slot.store(kCommandNone);
  s.commandEvent.Reset();
  s.doneEvent.Reset();
  s.threadEnded.Reset();
  auto thread = std::make_unique<platform::Thread>();
  platform::ThreadOptions options;
  options.stackBytes = kCommandThreadStackBytes;
  if (!thread->Start([&s] { RunCommandThread(s); }, options)) {
    platform::Log("Cannot start the command thread: " + thread->Error(),
                  platform::kLogCriticalError);
    return;
  }
  s.commandThreadId.store(thread->Id());
  s.thread = std::move(thread);
  static std::once_flag firstStart;
  std::call_once(firstStart, RegisterUnloadStep);
}

void PostCommandAndWait(AgentCommand command) {
  CommandThreadState& s = State();
  if (command == kCommandNone) return;
  // A command posted from the command thread would wait for itself.
  if (OnCommandThread(s)) return;
  std::lock_guard<std::timed_mutex> lock(s.posterMutex);
  if (command == kCommandGenerate) s.lastGenerateOutcome = -1;
  if (s.thread == nullptr) return;
  s.doneEvent.Reset();  // a signal left over from the previous command
  s.slot.store(command);
  s.commandEvent.Set();
  while (s.slot.load() != kCommandNone) s.doneEvent.Wait(kPollSliceMs);
  if (command == kCommandClose) {
    s.thread->Join();
    s.thread.reset();
    s.commandThreadId.store(0);
  }
}

void StopCommandThreadAtUnload() {
  CommandThreadState& s = State();
  if (OnCommandThread(s)) return;
  const auto deadline = std::chrono::steady_clock::now() + kUnloadLimit;
  // At process exit other threads may still be posting; waiting for them is bounded so that a
  // command that never ends cannot hold the exit forever.
  std::unique_lock<std::timed_mutex> lock(s.posterMutex, std::defer_lock);
  if (!lock.try_lock_until(deadline)) {
    std::fputs("xmlagent: unload left the command thread running: a command did not finish\n",
               stderr);
    return;
  }
  if (s.thread == nullptr) return;
  s.doneEvent.Reset();
  s.slot.store(kCommandClose);
  s.commandEvent.Set();
  while (!s.threadEnded.Wait(kPollSliceMs)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      std::fputs("xmlagent: unload left the command thread running: close did not finish\n",
                 stderr);
      // The thread object stays with the state, which is never destroyed, so nothing joins it.
      return;
    }
  }
  s.thread->Join();
  s.thread.reset();
  s.commandThreadId.store(0);
}

int XmlAgentLastGenerateOutcome() { return State().lastGenerateOutcome.load(); }
