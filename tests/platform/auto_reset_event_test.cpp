#include "platform/auto_reset_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::AutoResetEvent;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(AutoResetEvent, SetWithNoWaiterIsRememberedForExactlyOneWait) {
  AutoResetEvent event;
  event.Set();
  event.Set();  // a second Set before the Wait does not add up
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
}

TEST(AutoResetEvent, StartsSignaledOnlyWhenAskedTo) {
  AutoResetEvent quiet;
  EXPECT_FALSE(quiet.Wait(0));
  AutoResetEvent signaled(true);
  EXPECT_TRUE(signaled.Wait(0));
  EXPECT_FALSE(signaled.Wait(0));
}

TEST(AutoResetEvent, ResetDropsAPendingSet) {
  AutoResetEvent event;
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

TEST(AutoResetEvent, TimedWaitGivesUpAfterAtLeastTheTimeout) {
  AutoResetEvent event;
  auto start = steady_clock::now();
  EXPECT_FALSE(event.Wait(100));
  EXPECT_GE(steady_clock::now() - start, milliseconds(100));
}

TEST(AutoResetEvent, SetFromAnotherThreadReleasesAnInfiniteWait) {
  AutoResetEvent event;
  std::atomic<bool> released{false};
  std::thread waiter([&] { released = event.Wait(platform::kInfinite); });
  std::this_thread::sleep_for(milliseconds(20));
  event.Set();
  waiter.join();
  EXPECT_TRUE(released);
  EXPECT_FALSE(event.Wait(0)) << "the released waiter must have reset the event";
}

TEST(AutoResetEvent, OneSetReleasesExactlyOneOfTwoWaiters) {
  AutoResetEvent event;
  std::atomic<int> waiting{0};
  std::atomic<int> released{0};
  auto waiter = [&] {
    ++waiting;
    if (event.Wait(5000)) ++released;
  };
  std::thread first(waiter);
  std::thread second(waiter);
  while (waiting < 2) std::this_thread::yield();
  std::this_thread::sleep_for(milliseconds(50));  // both are inside Wait by now

  event.Set();
  auto deadline = steady_clock::now() + milliseconds(2000);
  while (released < 1 && steady_clock::now() < deadline)
    std::this_thread::sleep_for(milliseconds(1));
  std::this_thread::sleep_for(milliseconds(200));  // time for a wrongly released second waiter
  EXPECT_EQ(released, 1);

  event.Set();
  first.join();
  second.join();
  EXPECT_EQ(released, 2);
  EXPECT_FALSE(event.Wait(0));
}

}  // namespace
