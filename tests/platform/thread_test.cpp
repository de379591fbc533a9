#include "platform/thread.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>

#include "test_support.h"

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

int OwnNiceValue() {
  return getpriority(PRIO_PROCESS, static_cast<id_t>(platform::CurrentThreadId()));
}

void SleepThenSet(std::atomic<bool>& flag) {
  std::this_thread::sleep_for(milliseconds(30));
  flag = true;
}

// Sizes round up to whole pages and the system minimum; a thread gets all it asks for.
TEST(Thread, RunsOnTwentyMillionBytesOfStackRoundedUpToWholePages) {
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t rounded = Thread::RoundStackSize(kCommandThreadStack);
  EXPECT_GE(rounded, kCommandThreadStack);
  EXPECT_LT(rounded, kCommandThreadStack + page);
  EXPECT_EQ(rounded % page, 0u);
  EXPECT_GE(Thread::RoundStackSize(1), static_cast<size_t>(PTHREAD_STACK_MIN));
  EXPECT_EQ(Thread::RoundStackSize(std::numeric_limits<size_t>::max()), 0u);

  size_t stackSize = 0;
  unsigned sum = 1;
  Thread thread;
  ThreadOptions options;
  options.stackBytes = kCommandThreadStack;
  ASSERT_TRUE(thread.Start(
      [&] {
        pthread_attr_t attr;
        if (pthread_getattr_np(pthread_self(), &attr) != 0) return;
        pthread_attr_getstacksize(&attr, &stackSize);
        pthread_attr_destroy(&attr);
        sum = UseSixteenMegabytesOfStack();
      },
      options))
      << thread.Error();
  ASSERT_TRUE(thread.Join());
  EXPECT_GE(stackSize, kCommandThreadStack);
  EXPECT_EQ(sum, 16u * (255u * 256u / 2u));  // pages 0..4095 wrote their number mod 256
}

// Both Join and an assignment over a started thread wait for its body.
TEST(Thread, JoinOrMoveAssignmentWaitsForTheBodyWhoseIdIsTheKernelId) {
  std::atomic<bool> firstDone{false};
  std::atomic<bool> secondDone{false};
  std::atomic<pid_t> seen{0};
  Thread first;
  EXPECT_FALSE(first.Joinable());
  ASSERT_TRUE(first.Start([&] { SleepThenSet(firstDone); }));
  Thread moved(std::move(first));
  EXPECT_FALSE(first.Joinable());  // NOLINT(bugprone-use-after-move)
  Thread second;
  ASSERT_TRUE(second.Start([&] {
    seen = platform::CurrentThreadId();
    SleepThenSet(secondDone);
  }));
  pid_t id = second.Id();
  moved = std::move(second);
  EXPECT_TRUE(firstDone) << "assignment must join the thread it replaces";
  EXPECT_TRUE(moved.Joinable());
  EXPECT_EQ(moved.Id(), id);
  EXPECT_TRUE(moved.Join());
  EXPECT_TRUE(secondDone);
  EXPECT_EQ(id, seen);
  EXPECT_NE(id, platform::CurrentThreadId());
  EXPECT_FALSE(moved.Joinable());
  EXPECT_FALSE(moved.Join());
  EXPECT_EQ(moved.Id(), 0);
}

TEST(Thread, SuspendedThreadRunsOnResumeOrDestructionAndDestructorJoins) {
  std::atomic<int> suspendedRuns{0};
  std::atomic<bool> finished{false};
  {
    ThreadOptions suspended;
    suspended.startSuspended = true;
    Thread resumed, destroyed, running;
    ASSERT_TRUE(resumed.Start([&] { ++suspendedRuns; }, suspended));
    ASSERT_TRUE(destroyed.Start([&] { ++suspendedRuns; }, suspended));
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(suspendedRuns, 0);
    resumed.Resume();
    resumed.Join();
    EXPECT_EQ(suspendedRuns, 1);
    ASSERT_TRUE(running.Start([&] { SleepThenSet(finished); }));
  }
  EXPECT_EQ(suspendedRuns, 2) << "destroying a suspended thread lets it run and end";
  EXPECT_TRUE(finished) << "the destructor joins a thread that was not joined";
}

// Lowering is always permitted; raising is best effort and reported by PriorityApplied.
TEST(Thread, PriorityChangesTheNiceValueOfThatThreadOnly) {
  int base = OwnNiceValue();
  for (ThreadPriority priority : {ThreadPriority::kLowest, ThreadPriority::kHighest}) {
    std::atomic<int> inside{-100};
    Thread thread;
    ThreadOptions options;
    options.priority = priority;
    ASSERT_TRUE(thread.Start([&] { inside = OwnNiceValue(); }, options));
    bool applied = thread.PriorityApplied();
    thread.Join();
    if (priority == ThreadPriority::kLowest) {
      EXPECT_TRUE(applied);
      EXPECT_EQ(inside, std::min(base + 10, 19));
    } else {
      EXPECT_EQ(inside, applied ? std::max(base - 10, -20) : base);
    }
  }
  EXPECT_EQ(OwnNiceValue(), base);
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
  std::string log = test_support::CapturedStderr([] {
    Thread thread;
    ASSERT_TRUE(thread.Start([] { throw std::runtime_error("body failed"); }));
    thread.Join();
  });
  EXPECT_NE(log.find("body failed"), std::string::npos) << log;
}

}  // namespace
