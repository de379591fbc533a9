// The command thread's slot, events and loop, and the posting and unload steps.
#include "agent/command_thread.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "platform/log.h"

namespace {

constexpr size_t kCommandThreadStackBytes = 20'000'000;
constexpr uint32_t kPollSliceMs = 100;
// How long the unload step waits, all told, for the command thread to take and serve the close.
constexpr auto kUnloadLimit = std::chrono::seconds(30);

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

}  // namespace

void CommandThread::Run() {
  // The framework start-up of the original host cannot fail here, so there is nothing to report.
  bool keepRunning = true;
  while (keepRunning) {
    commandEvent_.Wait(platform::kInfinite);
    const int32_t command = slot_.load();
    if (command == kCommandClose) keepRunning = false;
    try {
      server_.Serve(command);
    } catch (const std::exception& e) {
      LogCommandFailure(command, e.what());
    } catch (...) {
      LogCommandFailure(command, "unknown exception");
    }
    slot_.store(kCommandNone);
    doneEvent_.Set();
  }
  threadEnded_.Set();
}

bool CommandThread::OnCommandThread() const {
  return commandThreadId_.load() == platform::CurrentThreadId();
}

bool CommandThread::Start() {
  std::lock_guard<std::timed_mutex> lock(posterMutex_);
  // One thread at a time: a second start while one runs would orphan the first thread.
  if (thread_ != nullptr) return false;
  slot_.store(kCommandNone);
  commandEvent_.Reset();
  doneEvent_.Reset();
  threadEnded_.Reset();
  auto thread = std::make_unique<platform::Thread>();
  platform::ThreadOptions options;
  options.stackBytes = kCommandThreadStackBytes;
  if (!thread->Start([this] { Run(); }, options)) {
    platform::Log("Cannot start the command thread: " + thread->Error(),
                  platform::kLogCriticalError);
    return false;
  }
  commandThreadId_.store(thread->Id());
  thread_ = std::move(thread);
  return true;
}

void CommandThread::PostAndWait(AgentCommand command) {
  if (command == kCommandNone) return;
  // A command posted from the command thread would wait for itself.
  if (OnCommandThread()) return;
  std::lock_guard<std::timed_mutex> lock(posterMutex_);
  server_.Posting(command);
  if (thread_ == nullptr) return;
  doneEvent_.Reset();  // a signal left over from the previous command
  slot_.store(command);
  commandEvent_.Set();
  while (slot_.load() != kCommandNone) doneEvent_.Wait(kPollSliceMs);
  if (command == kCommandClose) {
    thread_->Join();
    thread_.reset();
    commandThreadId_.store(0);
  }
}

void CommandThread::StopAtUnload() {
  if (OnCommandThread()) return;
  const auto deadline = std::chrono::steady_clock::now() + kUnloadLimit;
  // At process exit other threads may still be posting; waiting for them is bounded so that a
  // command that never ends cannot hold the exit forever.
  std::unique_lock<std::timed_mutex> lock(posterMutex_, std::defer_lock);
  if (!lock.try_lock_until(deadline)) {
    std::fputs("xmlagent: unload left the command thread running: a command did not finish\n",
               stderr);
    return;
  }
  if (thread_ == nullptr) return;
  doneEvent_.Reset();
  slot_.store(kCommandClose);
  commandEvent_.Set();
  while (!threadEnded_.Wait(kPollSliceMs)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      std::fputs("xmlagent: unload left the command thread running: close did not finish\n",
                 stderr);
      // The thread object stays with the agent service, which is never destroyed, so nothing
      // joins it.
      return;
    }
  }
  thread_->Join();
  thread_.reset();
  commandThreadId_.store(0);
}
