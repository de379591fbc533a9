#include "platform/thread.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using platform::Thread;
using platform::ThreadOptions;
using platform::ThreadPriority;
using std::chrono::milliseconds;

constexpr size_t kCommandThreadStack = 20'000'000;

// Fills a 16 MB local buffer, twice the default thread stack here, page by page.
[[gnu::noinline]] unsigned UseSixteenMegabytesOfStack() {
  volatile unsigned char buffer[16 * 1024 * 1024];
  for (size_t i = 0; i < sizeof buffer; i += 4096) buffer[i] = static_cast<unsigned char>(i >> 12);
  unsigned sum = 0;
  for (size_t i = 0; i < sizeof buffer; i += 4096) sum += buffer[i];
  return sum;
}

size_t OwnStackSize() {
  pthread_attr_t attr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstacksize(&attr, &size);
    pthread_attr_destroy(&attr);
  }
  return size;
}

TEST(Thread, RoundsStackSizesUpToWholePagesAndTheSystemMinimum) {
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t rounded = Thread::RoundStackSize(kCommandThreadStack);
  EXPECT_GE(rounded, kCommandThreadStack);
  EXPECT_LT(rounded, kCommandThreadStack + page);
  EXPECT_EQ(rounded % page, 0u);
  EXPECT_GE(Thread::RoundStackSize(1), static_cast<size_t>(PTHREAD_STACK_MIN));
  EXPECT_EQ(Thread::RoundStackSize(std::numeric_limits<size_t>::max()), 0u);
}

TEST(Thread, RunsOnTwentyMillionBytesOfStackAndUsesSixteenMegabytesOfIt) {
  size_t stackSize = 0;
  unsigned sum = 1;
  Thread thread;
  ThreadOptions options;
  options.stackBytes = kCommandThreadStack;
  ASSERT_TRUE(thread.Start(
      [&] {
        stackSize = OwnStackSize();
        sum = UseSixteenMegabytesOfStack();
      },
      options))
      << thread.Error();
  ASSERT_TRUE(thread.Join());
  EXPECT_GE(stackSize, kCommandThreadStack);
  EXPECT_EQ(sum, 16u * (255u * 256u / 2u));  // pages 0..4095 wrote their number mod 256
}

TEST(Thread, JoinWaitsForTheBodyAndEndsJoinability) {
  std::atomic<bool> finished{false};
  Thread thread;
  EXPECT_FALSE(thread.Joinable());
  ASSERT_TRUE(thread.Start([&] {
    std::this_thread::sleep_for(milliseconds(30));
    finished = true;
  }));
  EXPECT_TRUE(thread.Joinable());
  EXPECT_TRUE(thread.Join());
  EXPECT_TRUE(finished);
  EXPECT_FALSE(thread.Joinable());
  EXPECT_FALSE(thread.Join());
}

TEST(Thread, IdIsTheKernelIdTheBodySees) {
  std::atomic<pid_t> seen{0};
  Thread thread;
  ASSERT_TRUE(thread.Start([&] { seen = platform::CurrentThreadId(); }));
  pid_t id = thread.Id();
  thread.Join();
  EXPECT_NE(id, 0);
  EXPECT_EQ(id, seen);
  EXPECT_NE(id, platform::CurrentThreadId());
  EXPECT_EQ(thread.Id(), 0);
}

TEST(Thread, DestructorJoinsAThreadThatWasNotJoined) {
  std::atomic<bool> finished{false};
  {
    Thread thread;
    ASSERT_TRUE(thread.Start([&] {
      std::this_thread::sleep_for(milliseconds(30));
      finished = true;
    }));
  }
  EXPECT_TRUE(finished);
}

TEST(Thread, SuspendedThreadRunsOnlyAfterResume) {
  std::atomic<bool> ran{false};
  Thread thread;
  ThreadOptions options;
  options.startSuspended = true;
  ASSERT_TRUE(thread.Start([&] { ran = true; }, options));
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_FALSE(ran);
  thread.Resume();
  thread.Join();
  EXPECT_TRUE(ran);
}

TEST(Thread, DestroyingASuspendedThreadLetsItRunAndEnd) {
  std::atomic<bool> ran{false};
  {
    Thread thread;
    ThreadOptions options;
    options.startSuspended = true;
    ASSERT_TRUE(thread.Start([&] { ran = true; }, options));
  }
  EXPECT_TRUE(ran);
}

TEST(Thread, MoveHandsOverTheThreadAndAssignmentJoinsTheOldOne) {
  std::atomic<bool> firstDone{false};
  std::atomic<bool> secondDone{false};
  Thread first;
  ASSERT_TRUE(first.Start([&] {
    std::this_thread::sleep_for(milliseconds(30));
    firstDone = true;
  }));
  Thread moved(std::move(first));
  EXPECT_FALSE(first.Joinable());  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(moved.Joinable());
  Thread second;
  ASSERT_TRUE(second.Start([&] { secondDone = true; }));
  moved = std::move(second);
  EXPECT_TRUE(firstDone) << "assignment must join the thread it replaces";
  EXPECT_TRUE(moved.Join());
  EXPECT_TRUE(secondDone);
}

TEST(Thread, LowestPriorityRaisesTheNiceValueOfThatThreadOnly) {
  int base = getpriority(PRIO_PROCESS, static_cast<id_t>(platform::CurrentThreadId()));
  std::atomic<int> inside{-100};
  Thread thread;
  ThreadOptions options;
  options.priority = ThreadPriority::kLowest;
  ASSERT_TRUE(thread.Start(
      [&] { inside = getpriority(PRIO_PROCESS, static_cast<id_t>(platform::CurrentThreadId())); },
      options));
  EXPECT_TRUE(thread.PriorityApplied());  // lowering is always permitted
  thread.Join();
  EXPECT_EQ(inside, std::min(base + 10, 19));
  EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(platform::CurrentThreadId())), base);
}

TEST(Thread, HighestPriorityIsBestEffortAndReportsWhetherItTookEffect) {
  int base = getpriority(PRIO_PROCESS, static_cast<id_t>(platform::CurrentThreadId()));
  std::atomic<int> inside{-100};
  Thread thread;
  ThreadOptions options;
  options.priority = ThreadPriority::kHighest;
  ASSERT_TRUE(thread.Start(
      [&] { inside = getpriority(PRIO_PROCESS, static_cast<id_t>(platform::CurrentThreadId())); },
      options));
  bool applied = thread.PriorityApplied();
  thread.Join();
  EXPECT_EQ(inside, applied ? std::max(base - 10, -20) : base);
}

TEST(Thread, StartFailsClearlyForAnImpossibleStackOrASecondStart) {
  Thread thread;
  ThreadOptions huge;
  huge.stackBytes = std::numeric_limits<size_t>::max();
  EXPECT_FALSE(thread.Start([] {}, huge));
  EXPECT_NE(thread.Error().find("stack"), std::string::npos) << thread.Error();
  EXPECT_FALSE(thread.Joinable());

  EXPECT_FALSE(thread.Start(nullptr));
  EXPECT_FALSE(thread.Error().empty());

  ASSERT_TRUE(thread.Start([] { std::this_thread::sleep_for(milliseconds(10)); }));
  EXPECT_FALSE(thread.Start([] {}));
  EXPECT_NE(thread.Error().find("already"), std::string::npos) << thread.Error();
  EXPECT_TRUE(thread.Join());
}

TEST(Thread, ExceptionFromTheBodyEndsOnlyThatThread) {
  Thread thread;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(thread.Start([] { throw std::runtime_error("body failed"); }));
  thread.Join();
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("body failed"), std::string::npos) << log;
}

}  // namespace
