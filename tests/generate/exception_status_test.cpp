// The status that an exception reaching an entry point of page generation becomes.
#include "generate/exception_status.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "foundation/host_hooks.h"
#include "platform/com_error.h"
#include "tests/common/test_support.h"

namespace {

template <typename Thrown>
QuireStatus StatusOf(const Thrown& thrown, const std::string& context) {
  try {
    throw thrown;
  } catch (...) {
    return CurrentExceptionStatus(context);
  }
}

TEST(ExceptionStatusTest, DocumentFailuresKeepTheirDescriptionAndOthersAreUnexpected) {
  test_support::LoadSampleHostStrings();
  const std::string unexpected = HostString(host_message::kUnexpectedError);
  ASSERT_FALSE(unexpected.empty());

  const QuireStatus dom =
      StatusOf(platform::ComError(platform::kE_FAIL, "no such node"), "[OPEN1]:");
  EXPECT_EQ(dom.Kind(), kProcessingError);
  EXPECT_EQ(dom.Message(), "[OPEN1]:no such node");

  const QuireStatus other = StatusOf(std::runtime_error("out of room"), "Generation: ");
  EXPECT_EQ(other.Kind(), kProcessingError);
  EXPECT_EQ(other.Message(), "Generation: " + unexpected + ": out of room");

  EXPECT_EQ(StatusOf(7, "Generation: ").Message(), "Generation: " + unexpected);
}

}  // namespace
