#include "platform/auto_reset_event.h"

#include <chrono>

namespace platform {

void AutoResetEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signaled_ = true;
  }
  signal_.notify_one();
}

void AutoResetEvent::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signaled_ = false;
}

bool AutoResetEvent::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto isSignaled = [this] { return signaled_; };
  if (timeoutMs == kInfinite) {
    signal_.wait(lock, isSignaled);
  } else {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // The predicate re-checks the flag, so a spurious wake-up or a waiter that lost the race for
    // the one signal goes back to sleep instead of returning.
    if (!signal_.wait_until(lock, deadline, isSignaled)) return false;
  }
  signaled_ = false;
  return true;
}

}  // namespace platform
