#include "platform/wake_signal.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using platform::WakeSignal;

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
