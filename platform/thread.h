// A native thread with a chosen stack size and a best-effort priority. Unlike std::thread,
// destroying a Thread that was not joined does not end the process: the destructor joins it. One
// Thread object is used by one thread at a time; the thread it runs may be any.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Relative priorities of a thread, from the lowest to the highest normal one.
enum class ThreadPriority { kLowest, kBelowNormal, kNormal, kAboveNormal, kHighest };

struct ThreadOptions {
  // Stack size in bytes, rounded up to the page size and the system minimum; 0 keeps the default.
  size_t stackBytes = 0;
  // Applied when the system permits it; otherwise the thread silently keeps the default.
  ThreadPriority priority = ThreadPriority::kNormal;
};

// The kernel's id of the calling thread.
pid_t CurrentThreadId();

class Thread {
 public:
  // Holds no thread until Start.
  Thread() = default;
  // Waits for the thread to end (run on the thread itself, it lets the thread go on alone
  // instead).
  ~Thread();

  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Runs body on a new thread. False, with the reason in Error(), when this object already holds
  // a thread or the thread cannot be made. An exception escaping body is reported on the
  // standard error stream and ends only that thread.
  bool Start(std::function<void()> body, const ThreadOptions& options = {});

  // Waits for the thread to end. False when there is nothing to join, or when called on the
  // thread itself (that would never return).
  bool Join();

  // True from a successful Start until Join.
  bool Joinable() const { return state_ != nullptr; }

  // The kernel's id of the thread (0 when not joinable).
  pid_t Id() const;

  // Why the last Start failed.
  const std::string& Error() const { return error_; }

  // The stack size a thread really gets for a request of that many bytes (0 when the request
  // is too large to round).
  static size_t RoundStackSize(size_t bytes);

 private:
  struct State;
  static void* Run(void* state);
  void JoinOrDetach();

  std::shared_ptr<State> state_;
  std::string error_;
};

}  // namespace platform
