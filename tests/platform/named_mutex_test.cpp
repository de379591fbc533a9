#include "platform/named_mutex.h"

#include <gtest/gtest.h>

#include <chrono>
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
  std::thread(body).join();
}

// Handles of one name share one mutex, whose creator alone may own it at first.
TEST(NamedMutex, SameNameOpensTheSameMutexThatOnlyItsCreatorOwnsAtFirst) {
  bool existed = true;
  NamedMutex first = NamedMutex::Create("nm-same-name", true, &existed);
  EXPECT_FALSE(existed);
  OnAnotherThread([&] {
    NamedMutex second = NamedMutex::Create("nm-same-name", true, &existed);
    EXPECT_TRUE(existed);
    EXPECT_FALSE(second.Release()) << "the caller must not own an existing mutex";
    EXPECT_EQ(NamedMutex::Open("nm-same-name").Wait(0), WaitResult::kTimeout);
  });
  EXPECT_TRUE(NamedMutex::Open("nm-same-name").Release()) << "released through another handle";
  EXPECT_FALSE(first.Release()) << "initial ownership is one count";
}

TEST(NamedMutex, ExistsOnlyWhileAHandleRefersToIt) {
  NamedMutex none = NamedMutex::Open("nm-lifetime");
  EXPECT_FALSE(none.Valid());
  EXPECT_EQ(none.Wait(0), WaitResult::kFailed);
  {
    NamedMutex held = NamedMutex::Create("nm-lifetime", false);
    EXPECT_TRUE(NamedMutex::Open("nm-lifetime").Valid());
  }
  EXPECT_FALSE(NamedMutex::Open("nm-lifetime").Valid());
}

TEST(NamedMutex, OnlyTheOwnerReleasesItAndOnceForEveryWait) {
  NamedMutex mutex = NamedMutex::Create("nm-recursive", false);
  EXPECT_FALSE(mutex.Release()) << "nobody owns it yet";
  ASSERT_EQ(mutex.Wait(0), WaitResult::kSignaled);
  ASSERT_EQ(mutex.Wait(platform::kInfinite), WaitResult::kSignaled);
  EXPECT_TRUE(mutex.Release());
  OnAnotherThread([&] {
    EXPECT_FALSE(mutex.Release());
    EXPECT_EQ(mutex.Wait(0), WaitResult::kTimeout);
  });
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(mutex.Release());
}

// Threads block in Wait while another holds the mutex and get it in turn on Release.
TEST(NamedMutex, KeepsThreadsOutOfEachOthersWayOnASharedCounter) {
  int counter = 0;  // guarded only by the named mutex; a failed wait leaves it short
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      NamedMutex mutex = NamedMutex::Create("nm-counter", false);
      for (int round = 0; round < 1000; ++round) {
        if (mutex.Wait(10000) != WaitResult::kSignaled) return;
        int seen = counter;
        std::this_thread::yield();  // invites another thread in, were the mutex not exclusive
        counter = seen + 1;
        mutex.Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, 4 * 1000);
}

// The owner ends holding two counts while another thread already waits.
TEST(NamedMutex, OwnerThreadEndingWithoutReleaseHandsItOnAsAbandoned) {
  NamedMutex mutex = NamedMutex::Create("nm-abandoned", false);
  AutoResetEvent taken;
  AutoResetEvent finish;
  std::thread owner([&] {
    mutex.Wait(0);
    mutex.Wait(0);
    taken.Set();
    finish.Wait(5000);
  });
  ASSERT_TRUE(taken.Wait(5000));
  std::thread waiter([&] {
    EXPECT_EQ(mutex.Wait(5000), WaitResult::kAbandoned);
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release()) << "an abandoned mutex starts again at one count";
  });
  std::this_thread::sleep_for(milliseconds(30));
  finish.Set();
  owner.join();
  waiter.join();
}

}  // namespace
