#include "platform/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::AutoResetEvent;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(AutoResetEvent, SetIsRememberedForExactlyOneWaitUnlessReset) {
  AutoResetEvent event;
  event.Set();
  event.Set();  // a second Set before the Wait does not add up
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  event.Reset();
  auto start = steady_clock::now();
  EXPECT_FALSE(event.Wait(100));
  EXPECT_GE(steady_clock::now() - start, milliseconds(100)) << "gives up after the timeout";
}

TEST(AutoResetEvent, SetFromAnotherThreadReleasesAnInfiniteWaitAndResets) {
  AutoResetEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(milliseconds(20));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(platform::kInfinite));
  setter.join();
  EXPECT_FALSE(event.Wait(0)) << "the released waiter must have reset the event";
}

// Whether a waiter is already inside Wait or not when Set comes, only one of them gets it.
TEST(AutoResetEvent, OneSetReleasesExactlyOneOfTwoWaiters) {
  AutoResetEvent event;
  std::atomic<int> released{0};
  auto waiter = [&] {
    if (event.Wait(1000)) ++released;
  };
  std::thread first(waiter);
  std::thread second(waiter);
  std::this_thread::sleep_for(milliseconds(50));
  event.Set();
  first.join();
  second.join();
  EXPECT_EQ(released, 1);
}

}  // namespace
