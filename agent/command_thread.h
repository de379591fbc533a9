// The command thread: the one native thread that does all of the agent's work. Callers post a
// command number and wait until it has been served; what a command does is the CommandServer's.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/auto_reset_event.h"
#include "platform/thread.h"

enum AgentCommand : int32_t {
  kCommandNone = 0,
  kCommandGenerate = 1,
  kCommandGetAncestors = 2,
  kCommandClose = 3,
  kCommandRefresh = 4,
};

// What the command thread asks of its owner.
class CommandServer {
 public:
  virtual ~CommandServer() = default;
  // Called on the posting thread, one poster at a time, before the command is posted; also when
  // no command thread runs (the command is then dropped).
  virtual void Posting(AgentCommand command) = 0;
  // Serves one command on the command thread. An exception that leaves it is logged and dropped.
  virtual void Serve(int32_t command) = 0;
};

class CommandThread {
 public:
  explicit CommandThread(CommandServer& server) : server_(server) {}
  // Closes a running command thread the way the unload step does.
  ~CommandThread() { StopAtUnload(); }
  CommandThread(const CommandThread&) = delete;
  CommandThread& operator=(const CommandThread&) = delete;

  // Resets the two auto-reset events and starts the thread (20,000,000-byte stack). Called again
  // after a close it starts a new thread; called while one runs it does nothing. True when it
  // started a thread now.
  bool Start();

  // Posts the command and waits (in 100 ms slices on the done event) until the thread has served
  // it; posters are served one at a time. Returns at once when no command thread runs or when
  // called on the command thread itself. After kCommandClose the thread has ended.
  void PostAndWait(AgentCommand command);

  // The library's unload step: posts close when a command thread runs and waits at most 30 s,
  // all told, for it to end; a thread that does not end is left running.
  void StopAtUnload();

 private:
  void Run();
  bool OnCommandThread() const;

  CommandServer& server_;
  std::atomic<int32_t> slot_{kCommandNone};
  platform::AutoResetEvent commandEvent_;
  platform::AutoResetEvent doneEvent_;
  platform::AutoResetEvent threadEnded_;
  // Serves posters one at a time: the slot holds one command, so two posters at once would
  // overwrite each other. Also orders starts, posts and the unload step. Timed for the unload.
  std::timed_mutex posterMutex_;
  // Null when no command thread runs. Guarded by posterMutex_.
  std::unique_ptr<platform::Thread> thread_;
  std::atomic<pid_t> commandThreadId_{0};
};
