#include "platform/wake_signal.h"

namespace platform {

void WakeSignal::Suspend() { wake_.Wait(kInfinite); }

bool WakeSignal::Suspend(uint32_t timeoutMs) { return wake_.Wait(timeoutMs); }

void WakeSignal::Resume() { wake_.Set(); }

}  // namespace platform
