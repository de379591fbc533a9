#include "platform/wake_signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using platform::WakeSignal;
using std::chrono::milliseconds;

TEST(WakeSignal, ResumeBeforeSuspendIsNotLost) {
  WakeSignal signal;
  signal.Resume();
  EXPECT_TRUE(signal.Suspend(0));
}

TEST(WakeSignal, SeveralResumesBeforeOneSuspendWakeItOnce) {
  WakeSignal signal;
  signal.Resume();
  signal.Resume();
  signal.Resume();
  EXPECT_TRUE(signal.Suspend(0));
  EXPECT_FALSE(signal.Suspend(0));
}

TEST(WakeSignal, SuspendWithoutResumeTimesOut) {
  WakeSignal signal;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(signal.Suspend(50));
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
}

TEST(WakeSignal, ResumeWakesASuspendedThread) {
  WakeSignal signal;
  std::atomic<bool> woke{false};
  std::thread sleeper([&] {
    signal.Suspend();
    woke = true;
  });
  std::this_thread::sleep_for(milliseconds(20));
  signal.Resume();
  sleeper.join();
  EXPECT_TRUE(woke);
}

// Two threads wake each other in turn; each Resume may come before or after the other side's
// Suspend, and a lost one would leave a Suspend to time out.
TEST(WakeSignal, ThousandRoundsOfPingPongLoseNoWakeUp) {
  constexpr int kRounds = 1000;
  WakeSignal ping;
  WakeSignal pong;
  std::atomic<int> missedByResponder{0};
  std::thread responder([&] {
    for (int round = 0; round < kRounds; ++round) {
      if (!ping.Suspend(5000)) {
        ++missedByResponder;
        return;
      }
      pong.Resume();
    }
  });
  int missed = 0;
  for (int round = 0; round < kRounds && missed == 0; ++round) {
    ping.Resume();
    if (!pong.Suspend(5000)) ++missed;
  }
  if (missed != 0) ping.Resume();  // let the responder finish its wait
  responder.join();
  EXPECT_EQ(missed, 0);
  EXPECT_EQ(missedByResponder, 0);
}

}  // namespace
