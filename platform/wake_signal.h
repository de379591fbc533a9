// The suspend/resume pair of a thread that parks itself when idle and is woken by others.
// A Resume that arrives before the Suspend is remembered, so a wake-up is never lost. Resumes
// do not add up: several Resumes before one Suspend wake it once (the sleeper re-checks its work
// after every wake-up, so one pending wake-up is all it needs).
#pragma once

#include <cstdint>

#include "platform/auto_reset_event.h"

namespace platform {

class WakeSignal {
 public:
  WakeSignal() = default;
  WakeSignal(const WakeSignal&) = delete;
  WakeSignal& operator=(const WakeSignal&) = delete;

  // Blocks the calling thread until a Resume (or returns at once when one is pending).
  void Suspend();

  // As Suspend, but gives up after timeoutMs milliseconds; true when it was resumed.
  bool Suspend(uint32_t timeoutMs);

  // Wakes the suspended thread, or remembers the wake-up for its next Suspend. Any thread.
  void Resume();

 private:
  AutoResetEvent wake_;
};

}  // namespace platform
