#include "platform/variant.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using platform::ComError;
using platform::Variant;
using platform::VariantType;
using test_support::ComErrorOf;
using test_support::ComErrorReport;

TEST(Variant, HoldsTheTypeItWasMadeWithAndRefusesToBeReadAsAnother) {
  EXPECT_EQ(Variant("text").Type(), VariantType::kString);  // not a bool
  EXPECT_EQ(ComErrorOf([] { Variant("12").AsInt32(); }),
            (ComErrorReport{platform::kE_INVALIDARG, "Variant holds String, not Int32"}));
  EXPECT_THROW(Variant(int32_t{1}).AsDouble(), ComError);
}

TEST(Variant, ChangesToText) {
  const std::pair<Variant, std::string> rows[] = {
      {Variant(), ""},
      {Variant(true), "True"},
      {Variant(int32_t{-42}), "-42"},
      {Variant(0.1), "0.1"},
      {Variant(100.0), "100"},
      {Variant(1e21), "1E+21"},
      {Variant(1.0 / 3), "0.333333333333333"},
  };
  for (const auto& [variant, text] : rows) EXPECT_EQ(variant.ChangeToString(), text) << text;
  EXPECT_EQ(ComErrorOf([] { Variant::Null().ChangeToString(); }),
            (ComErrorReport{platform::kE_INVALIDARG, "Cannot convert Null to String"}));
}

TEST(Variant, ChangesToInt32WithRoundingHalfToEvenWithinRange) {
  const std::pair<Variant, int32_t> rows[] = {
      {Variant(true), -1},   {Variant(2.5), 2},  {Variant(3.5), 4},
      {Variant(" 17 "), 17}, {Variant("+8"), 8}, {Variant("-2147483648"), INT32_MIN},
  };
  for (const auto& [variant, number] : rows) EXPECT_EQ(variant.ChangeToInt32(), number) << number;
  for (const Variant& bad : {Variant("2147483648"), Variant("+-1"), Variant("nan")}) {
    EXPECT_EQ(bad.TryInt32(), std::nullopt) << bad.TryString().value_or("Null");
  }
  EXPECT_EQ(ComErrorOf([] { Variant("12abc").ChangeToInt32(); }),
            (ComErrorReport{platform::kE_INVALIDARG, "Cannot convert String \"12abc\" to Int32"}));
}

}  // namespace
