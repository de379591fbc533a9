// Runs a test's body on a thread with the stack of a Java thread that calls into the library
// (512 KiB), so that a walk that recurses with its input crashes the test instead of passing on
// the main thread's 8 MiB.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>

#include "platform/thread.h"

namespace test_support {

// AddressSanitizer puts redzones around every local and an unoptimised build keeps every
// temporary on the stack, which makes each frame several times larger than in the library the
// portal loads: such builds give the walk a proportionally larger stack, so the test still
// measures how deep the walk goes, not the instrumentation.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t kJvmThreadStackBytes = 8 * 512 * 1024;
#else
inline constexpr std::size_t kJvmThreadStackBytes = 512 * 1024;
#endif

inline void RunOnJvmSizedStack(const std::function<void()>& body) {
  platform::Thread thread;
  platform::ThreadOptions options;
  options.stackBytes = kJvmThreadStackBytes;
  ASSERT_TRUE(thread.Start(body, options)) << thread.Error();
  thread.Join();
}

}  // namespace test_support
