#include "platform/thread.h"

#include <gtest/gtest.h>
#include <pthread.h>

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

void SleepThenSet(std::atomic<bool>& flag) {
  std::this_thread::sleep_for(milliseconds(30));
  flag = true;
}

TEST(Thread, RunsOnTheTwentyMillionBytesOfStackItAskedFor) {
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

TEST(Thread, JoinWaitsForTheBodyWhoseIdIsTheKernelId) {
  std::atomic<pid_t> seen{0};
  Thread thread;
  ASSERT_TRUE(thread.Start([&] { seen = platform::CurrentThreadId(); }));
  pid_t id = thread.Id();
  EXPECT_TRUE(thread.Join());
  EXPECT_EQ(id, seen);
  EXPECT_FALSE(thread.Joinable());
}

TEST(Thread, DestructorJoinsARunningThread) {
  std::atomic<bool> finished{false};
  {
    Thread running;
    ASSERT_TRUE(running.Start([&] { SleepThenSet(finished); }));
  }
  EXPECT_TRUE(finished);
}

TEST(Thread, StartFailsClearlyForAnImpossibleStackOrASecondStart) {
  Thread thread;
  ThreadOptions huge;
  huge.stackBytes = std::numeric_limits<size_t>::max();
  EXPECT_FALSE(thread.Start([] {}, huge));
  EXPECT_NE(thread.Error().find("stack"), std::string::npos) << thread.Error();
  EXPECT_FALSE(thread.Joinable());

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
