// Runs a test's body on a thread with the stack of a Java thread that calls into the library
// (512 KiB), so that a walk that recurses with its input crashes the test instead of passing on
// the main thread's 8 MiB.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>

#include "platform/thread.h"

namespace test_support {

inline constexpr std::size_t kJvmThreadStackBytes = 512 * 1024;

inline void RunOnJvmSizedStack(const std::function<void()>& body) {
  platform::Thread thread;
  platform::ThreadOptions options;
  options.stackBytes = kJvmThreadStackBytes;
  ASSERT_TRUE(thread.Start(body, options)) << thread.Error();
  thread.Join();
}

}  // namespace test_support
