#include "platform/wake_signal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using platform::WakeSignal;
using std::chrono::milliseconds;

TEST(WakeSignal, ResumesBeforeASuspendAreKeptAsOneWakeUp) {
  WakeSignal signal;
  signal.Resume();
  signal.Resume();
  EXPECT_TRUE(signal.Suspend(0));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(signal.Suspend(50));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
}

TEST(WakeSignal, ResumeFromAnotherThreadWakesASuspendWithoutTimeout) {
  WakeSignal signal;
  std::thread waker([&] {
    std::this_thread::sleep_for(milliseconds(20));
    signal.Resume();
  });
  signal.Suspend();  // returns only once woken
  waker.join();
  EXPECT_FALSE(signal.Suspend(0)) << "the wake-up was used up";
}

// Two threads wake each other in turn; each Resume may come before or after the other side's
// Suspend, and a lost one on either side leaves the main thread's Suspend to time out.
TEST(WakeSignal, ThousandRoundsOfPingPongLoseNoWakeUp) {
  constexpr int kRounds = 1000;
  WakeSignal ping;
  WakeSignal pong;
  std::thread responder([&] {
    for (int round = 0; round < kRounds && ping.Suspend(5000); ++round) pong.Resume();
  });
  int rounds = 0;
  for (; rounds < kRounds; ++rounds) {
    ping.Resume();
    if (!pong.Suspend(5000)) break;
  }
  responder.join();
  EXPECT_EQ(rounds, kRounds);
}

}  // namespace
