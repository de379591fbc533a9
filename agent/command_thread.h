// The command thread: the one native thread that owns the agent and does all of its work. Callers
// post a command number and wait until it has been served.
#pragma once

#include <cstdint>

enum AgentCommand : int32_t {
  kCommandNone = 0,
  kCommandGenerate = 1,
  kCommandGetAncestors = 2,
  kCommandClose = 3,
  kCommandRefresh = 4,
};

// Creates the two auto-reset events and starts the command thread. Called again after a close, it
// starts a new thread; called while one runs, it does nothing more.
void StartCommandThread();

// Posts the command and waits (in 100 ms slices on the done event) until the thread has served
// it; posters are served one at a time. Returns at once when no command thread runs. After
// kCommandClose the thread has ended and later posts return at once.
void PostCommandAndWait(AgentCommand command);

// The library's unload step: posts close when a command thread runs and waits for it to end.
void StopCommandThreadAtUnload();
