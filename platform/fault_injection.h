// Fails a chosen platform call at its Nth use, in builds made for the fault-injection walk only.
//
// Each seam is one kind of call to the system that a request may make: file writes, renames,
// folder creation, library loading, child-process and thread starts, and allocation. The code
// that makes such a call asks InjectFault(seam) first and, when it answers true, behaves as if the
// system call had failed (same return value, same errno), so the caller takes its real error path.
// Without XMLAGENT_FAULT_INJECTION the question is a constant false and costs nothing.
#pragma once

#include <cstdint>

namespace platform {

enum class Seam { Write, Rename, MakeFolder, LoadLibrary, StartProcess, StartThread, Allocate };

inline constexpr int kSeamCount = 7;

inline constexpr const char* SeamName(Seam seam) {
  constexpr const char* kNames[kSeamCount] = {
      "write", "rename", "mkdir", "dlopen", "process start", "thread start", "allocation"};
  return kNames[static_cast<int>(seam)];
}

#if defined(XMLAGENT_FAULT_INJECTION)

// Process-wide counters, one per seam, and at most one armed fault. Any thread; never allocates,
// so the allocation seam may ask it from operator new.
class FaultInjection {
 public:
  // Zeroes every count and makes the nth call of `seam` from now on fail (n counts from 1; 0
  // arms nothing and only counts).
  static void arm(Seam seam, std::uint64_t n);
  // No fault any more; the counts stay readable.
  static void disarm();
  // Calls of `seam` since the last arm.
  static std::uint64_t calls(Seam seam);
  // Whether the armed fault has been given since the last arm.
  static bool fired();
  // Counts one call of `seam`; true when it is the one to fail.
  static bool fail(Seam seam);
};

inline bool InjectFault(Seam seam) { return FaultInjection::fail(seam); }

#else

inline constexpr bool InjectFault(Seam) { return false; }

#endif

}  // namespace platform
