#include "platform/com_factory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_error.h"
#include "test_support.h"

namespace {

using platform::ComError;
using platform::ComFactory;
using platform::ComObject;
using test_support::ComErrorOf;
using test_support::ComErrorReport;

class Widget : public ComObject {
 public:
  explicit Widget(int number) : serial(number) {}
  const int serial;
};

// The serial of a new Widget made under progId, or -1 when it is no Widget.
int MadeSerial(const std::string& progId) {
  auto widget = std::dynamic_pointer_cast<Widget>(ComFactory::Create(progId));
  return widget != nullptr ? widget->serial : -1;
}

class ComFactoryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const char* progId : {"Test.Widget", "Test.Outer", "Test.Empty"}) {
      ComFactory::Unregister(progId);
    }
  }
};

TEST_F(ComFactoryTest, CreateMakesANewObjectEachTimeUnderAProgIdOfAnyCase) {
  int made = 0;
  ASSERT_TRUE(
      ComFactory::Register("Test.Widget", [&] { return std::make_shared<Widget>(++made); }));
  EXPECT_EQ(MadeSerial("test.widget"), 1);
  EXPECT_EQ(MadeSerial("Test.Widget"), 2);
  EXPECT_TRUE(ComFactory::Unregister("test.WIDGET"));
  EXPECT_EQ(ComErrorOf([] { ComFactory::Create("Test.Widget"); }),
            (ComErrorReport{platform::kREGDB_E_CLASSNOTREG, "Class not registered: Test.Widget"}));
}

TEST_F(ComFactoryTest, EmptyRegistrationsAreRefusedAndNullObjectsReported) {
  EXPECT_FALSE(ComFactory::Register("", [] { return std::make_shared<Widget>(1); }));
  EXPECT_FALSE(ComFactory::Register("Test.Widget", nullptr));
  ComFactory::Register("Test.Empty", [] { return std::shared_ptr<ComObject>(); });
  EXPECT_EQ(ComErrorOf([] { ComFactory::Create("Test.Empty"); }).code, platform::kE_FAIL);
}

TEST_F(ComFactoryTest, MakerMayCreateOtherObjectsAndItsErrorsPassThrough) {
  ComFactory::Register("Test.Widget", []() -> std::shared_ptr<ComObject> {
    throw ComError(platform::kE_OUTOFMEMORY, "no memory");
  });
  ComFactory::Register("Test.Outer", [] { return ComFactory::Create("Test.Widget"); });
  EXPECT_EQ(ComErrorOf([] { ComFactory::Create("Test.Outer"); }),
            (ComErrorReport{platform::kE_OUTOFMEMORY, "no memory"}));
}

TEST_F(ComFactoryTest, ConcurrentCreateAndRegisterAreSafe) {
  auto maker = [] { return std::make_shared<Widget>(1); };
  ComFactory::Register("Test.Widget", maker);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        if (t == 0) {
          ComFactory::Register("Test.Widget", maker);
        } else if (MadeSerial("Test.Widget") != 1) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
