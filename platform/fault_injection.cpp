// The counters and the armed fault of the fault-injection builds (empty in any other build).
#include "platform/fault_injection.h"

#if defined(XMLAGENT_FAULT_INJECTION)

#include <atomic>

namespace platform {

namespace {

// Constant-initialised, so that an allocation before main may already ask.
std::atomic<std::uint64_t> counts[kSeamCount];
std::atomic<int> armedSeam{-1};
std::atomic<std::uint64_t> armedCall{0};
std::atomic<bool> given{false};

}  // namespace

void FaultInjection::arm(Seam seam, std::uint64_t n) {
  armedSeam.store(-1);
  for (auto& count : counts) count.store(0);
  given.store(false);
  armedCall.store(n);
  if (n != 0) armedSeam.store(static_cast<int>(seam));
}

void FaultInjection::disarm() { armedSeam.store(-1); }

std::uint64_t FaultInjection::calls(Seam seam) { return counts[static_cast<int>(seam)].load(); }

bool FaultInjection::fired() { return given.load(); }

bool FaultInjection::fail(Seam seam) {
  const int index = static_cast<int>(seam);
  const std::uint64_t call = counts[index].fetch_add(1) + 1;
  if (armedSeam.load() != index || call != armedCall.load()) return false;
  given.store(true);
  return true;
}

}  // namespace platform

#endif
