#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/auto_reset_event.h"

namespace {

using platform::AutoResetEvent;
using platform::NamedMutex;
using platform::WaitResult;
using std::chrono::milliseconds;

// Runs body on a new thread and waits for it, so a test can act as "another thread".
template <typename Body>
void OnAnotherThread(Body body) {
  std::thread other(body);
  other.join();
}

TEST(NamedMutex, SameNameOpensTheSameMutexAndSaysItExisted) {
  bool existed = true;
  NamedMutex first = NamedMutex::Create("nm-same-name", false, &existed);
  EXPECT_FALSE(existed);
  NamedMutex second = NamedMutex::Create("nm-same-name", false, &existed);
  EXPECT_TRUE(existed);
  NamedMutex opened = NamedMutex::Open("nm-same-name");
  ASSERT_TRUE(opened.Valid());

  // Taken through one handle, it is owned through the others as well.
  ASSERT_EQ(first.Wait(0), WaitResult::kSignaled);
  OnAnotherThread([&] { EXPECT_EQ(opened.Wait(0), WaitResult::kTimeout); });
  EXPECT_TRUE(second.Release());
  OnAnotherThread([&] {
    EXPECT_EQ(opened.Wait(0), WaitResult::kSignaled);
    EXPECT_TRUE(opened.Release());
  });
}

TEST(NamedMutex, ExistsOnlyWhileAHandleRefersToIt) {
  EXPECT_FALSE(NamedMutex::Open("nm-lifetime").Valid());
  {
    NamedMutex held = NamedMutex::Create("nm-lifetime", false);
    EXPECT_TRUE(NamedMutex::Open("nm-lifetime").Valid());
  }
  EXPECT_FALSE(NamedMutex::Open("nm-lifetime").Valid());
  bool existed = true;
  NamedMutex again = NamedMutex::Create("nm-lifetime", false, &existed);
  EXPECT_FALSE(existed);
}

TEST(NamedMutex, EmptyHandleFailsClearly) {
  NamedMutex none = NamedMutex::Open("nm-never-created");
  EXPECT_FALSE(none.Valid());
  EXPECT_EQ(none.Wait(0), WaitResult::kFailed);
  EXPECT_FALSE(none.Release());
  EXPECT_EQ(none.Name(), "");
  EXPECT_FALSE(NamedMutex::Open("").Valid());
}

TEST(NamedMutex, UnnamedMutexesArePrivate) {
  bool existed = true;
  NamedMutex a = NamedMutex::Create("", true, &existed);
  EXPECT_FALSE(existed);
  NamedMutex b = NamedMutex::Create("", false, &existed);
  EXPECT_FALSE(existed);
  OnAnotherThread([&] {
    EXPECT_EQ(b.Wait(0), WaitResult::kSignaled);  // a is held, b is another mutex
    EXPECT_TRUE(b.Release());
  });
  EXPECT_TRUE(a.Release());
}

TEST(NamedMutex, InitiallyOwnedBelongsToTheCreator) {
  NamedMutex mutex = NamedMutex::Create("nm-initially-owned", true);
  OnAnotherThread([&] { EXPECT_EQ(mutex.Wait(0), WaitResult::kTimeout); });
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(mutex.Release());
}

TEST(NamedMutex, InitialOwnershipIsIgnoredWhenTheNameExists) {
  NamedMutex first = NamedMutex::Create("nm-owned-ignored", false);
  bool existed = false;
  NamedMutex second = NamedMutex::Create("nm-owned-ignored", true, &existed);
  EXPECT_TRUE(existed);
  EXPECT_FALSE(second.Release()) << "the caller must not own an existing mutex";
  OnAnotherThread([&] {
    EXPECT_EQ(first.Wait(0), WaitResult::kSignaled);
    EXPECT_TRUE(first.Release());
  });
}

TEST(NamedMutex, OwnerTakesItAgainAndReleasesOnceForEveryWait) {
  NamedMutex mutex = NamedMutex::Create("nm-recursive", false);
  ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);
  ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);
  ASSERT_EQ(mutex.Wait(platform::kInfinite), WaitResult::kSignaled);
  EXPECT_TRUE(mutex.Release());
  EXPECT_TRUE(mutex.Release());
  OnAnotherThread([&] { EXPECT_EQ(mutex.Wait(0), WaitResult::kTimeout); });
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(mutex.Release());
  OnAnotherThread([&] {
    EXPECT_EQ(mutex.Wait(0), WaitResult::kSignaled);
    EXPECT_TRUE(mutex.Release());
  });
}

TEST(NamedMutex, ReleaseByANonOwnerFailsAndLeavesTheOwnerInPlace) {
  NamedMutex mutex = NamedMutex::Create("nm-non-owner", false);
  EXPECT_FALSE(mutex.Release()) << "nobody owns it yet";
  ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);
  OnAnotherThread([&] {
    EXPECT_FALSE(mutex.Release());
    EXPECT_EQ(mutex.Wait(0), WaitResult::kTimeout);
  });
  EXPECT_TRUE(mutex.Release());
}

TEST(NamedMutex, TimedWaitOnAMutexHeldElsewhereTimesOutAfterAtLeastTheTimeout) {
  NamedMutex mutex = NamedMutex::Create("nm-timed", false);
  AutoResetEvent taken;
  AutoResetEvent done;
  std::thread holder([&] {
    ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);
    taken.Set();
    done.Wait(5000);
    mutex.Release();
  });
  ASSERT_TRUE(taken.Wait(5000));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(mutex.Wait(100), WaitResult::kTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(100));
  done.Set();
  holder.join();
  EXPECT_EQ(mutex.Wait(1000), WaitResult::kSignaled);
  EXPECT_TRUE(mutex.Release());
}

TEST(NamedMutex, WaiterGetsTheMutexWhenTheOwnerReleasesIt) {
  NamedMutex mutex = NamedMutex::Create("nm-handover", true);
  std::atomic<bool> acquired{false};
  std::thread waiter([&] {
    NamedMutex own = NamedMutex::Open("nm-handover");
    acquired = own.Wait(5000) == WaitResult::kSignaled;
    if (acquired) own.Release();
  });
  std::this_thread::sleep_for(milliseconds(30));
  EXPECT_FALSE(acquired);
  EXPECT_TRUE(mutex.Release());
  waiter.join();
  EXPECT_TRUE(acquired);
}

TEST(NamedMutex, KeepsThreadsOutOfEachOthersWayOnASharedCounter) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  int counter = 0;  // guarded only by the named mutex
  std::atomic<int> failedWaits{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      NamedMutex mutex = NamedMutex::Create("nm-counter", false);
      for (int round = 0; round < kRounds; ++round) {
        if (mutex.Wait(10000) != WaitResult::kSignaled) {
          ++failedWaits;
          continue;
        }
        int seen = counter;
        std::this_thread::yield();  // invites another thread in, were the mutex not exclusive
        counter = seen + 1;
        mutex.Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failedWaits, 0);
  EXPECT_EQ(counter, kThreads * kRounds);
}

TEST(NamedMutex, OwnerThreadEndingWithoutReleaseHandsItOnAsAbandoned) {
  NamedMutex mutex = NamedMutex::Create("nm-abandoned", false);
  OnAnotherThread([&] {
    ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);
    ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);  // ends holding two counts
  });
  EXPECT_EQ(mutex.Wait(1000), WaitResult::kAbandoned);
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(mutex.Release()) << "an abandoned mutex starts again at one count";
  EXPECT_EQ(mutex.Wait(0), WaitResult::kSignaled) << "abandoned is reported only once";
  EXPECT_TRUE(mutex.Release());
}

TEST(NamedMutex, AbandonedWakesAThreadAlreadyWaiting) {
  NamedMutex mutex = NamedMutex::Create("nm-abandoned-waiter", false);
  AutoResetEvent taken;
  AutoResetEvent finish;
  std::thread owner([&] {
    mutex.Wait(0);
    taken.Set();
    finish.Wait(5000);  // ends without Release
  });
  ASSERT_TRUE(taken.Wait(5000));
  WaitResult result = WaitResult::kFailed;
  std::thread waiter([&] {
    result = mutex.Wait(5000);
    if (result != WaitResult::kTimeout) mutex.Release();
  });
  std::this_thread::sleep_for(milliseconds(30));
  finish.Set();
  owner.join();
  waiter.join();
  EXPECT_EQ(result, WaitResult::kAbandoned);
}

}  // namespace
