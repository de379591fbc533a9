#include "platform/com_factory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_error.h"

namespace {

using platform::ComError;
using platform::ComFactory;
using platform::ComObject;

class Widget : public ComObject {
 public:
  explicit Widget(int serial) : serial_(serial) {}
  int Serial() const { return serial_; }

 private:
  int serial_;
};

class ComFactoryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    ComFactory::Unregister("Test.Widget");
    ComFactory::Unregister("Test.Outer");
    ComFactory::Unregister("Test.Empty");
  }
};

TEST_F(ComFactoryTest, CreateMakesANewObjectEachTime) {
  std::atomic<int> made{0};
  ASSERT_TRUE(
      ComFactory::Register("Test.Widget", [&] { return std::make_shared<Widget>(++made); }));
  auto first = std::dynamic_pointer_cast<Widget>(ComFactory::Create("Test.Widget"));
  auto second = std::dynamic_pointer_cast<Widget>(ComFactory::Create("Test.Widget"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(first->Serial(), 1);
  EXPECT_EQ(second->Serial(), 2);
}

TEST_F(ComFactoryTest, UnknownProgIdThrowsClassNotRegistered) {
  try {
    ComFactory::Create("Test.Nowhere");
    FAIL() << "no error for an unknown ProgID";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), platform::kREGDB_E_CLASSNOTREG);
    EXPECT_EQ(error.Description(), "Class not registered: Test.Nowhere");
  }
}

TEST_F(ComFactoryTest, ProgIdsCompareWithoutCase) {
  ComFactory::Register("Test.Widget", [] { return std::make_shared<Widget>(7); });
  EXPECT_TRUE(ComFactory::IsRegistered("TEST.WIDGET"));
  auto made = std::dynamic_pointer_cast<Widget>(ComFactory::Create("test.widget"));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Serial(), 7);
  // Registering under another spelling replaces the same entry.
  ComFactory::Register("TEST.widget", [] { return std::make_shared<Widget>(8); });
  EXPECT_EQ(std::dynamic_pointer_cast<Widget>(ComFactory::Create("Test.Widget"))->Serial(), 8);
  EXPECT_TRUE(ComFactory::Unregister("test.WIDGET"));
  EXPECT_FALSE(ComFactory::IsRegistered("Test.Widget"));
  EXPECT_THROW(ComFactory::Create("Test.Widget"), ComError);
}

TEST_F(ComFactoryTest, EmptyRegistrationsAreRefusedAndNullObjectsReported) {
  EXPECT_FALSE(ComFactory::Register("", [] { return std::make_shared<Widget>(1); }));
  EXPECT_FALSE(ComFactory::Register("Test.Widget", nullptr));
  EXPECT_FALSE(ComFactory::IsRegistered("Test.Widget"));
  EXPECT_FALSE(ComFactory::Unregister("Test.Widget"));
  ComFactory::Register("Test.Empty", [] { return std::shared_ptr<ComObject>(); });
  try {
    ComFactory::Create("Test.Empty");
    FAIL() << "no error for a maker without object";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), platform::kE_FAIL);
  }
}

TEST_F(ComFactoryTest, MakerMayCreateOtherObjectsAndItsErrorsPassThrough) {
  ComFactory::Register("Test.Widget", [] {
    throw ComError(platform::kE_OUTOFMEMORY, "no memory");
    return std::shared_ptr<ComObject>();
  });
  ComFactory::Register("Test.Outer", [] { return ComFactory::Create("Test.Widget"); });
  try {
    ComFactory::Create("Test.Outer");
    FAIL() << "the maker's error was lost";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), platform::kE_OUTOFMEMORY);
  }
}

TEST_F(ComFactoryTest, ConcurrentCreateAndRegisterAreSafe) {
  ComFactory::Register("Test.Widget", [] { return std::make_shared<Widget>(1); });
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        if (t == 0) {
          ComFactory::Register("Test.Widget", [] { return std::make_shared<Widget>(1); });
        } else if (std::dynamic_pointer_cast<Widget>(ComFactory::Create("Test.Widget")) ==
                   nullptr) {
          ++failures;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
