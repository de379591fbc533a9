// An auto-reset event: a Set wakes exactly one waiter and the event clears itself as that waiter
// is released. A Set with nobody waiting is remembered (once) until the next Wait takes it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// A timeout that never expires.
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

class AutoResetEvent {
 public:
  explicit AutoResetEvent(bool initiallySignaled = false) : signaled_(initiallySignaled) {}
  AutoResetEvent(const AutoResetEvent&) = delete;
  AutoResetEvent& operator=(const AutoResetEvent&) = delete;

  // Signals the event: releases one waiter, or is kept until the next Wait. Any thread.
  void Set();

  // Clears a pending signal that no waiter has taken yet. Any thread.
  void Reset();

  // Blocks until the event is signaled (then clears it and returns true) or until timeoutMs
  // milliseconds have passed (returns false). kInfinite waits forever; 0 only tests.
  bool Wait(uint32_t timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable signal_;
  bool signaled_;
};

}  // namespace platform
