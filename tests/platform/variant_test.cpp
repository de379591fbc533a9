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

TEST(Variant, AppendedTypesKeepTheirNumbersAndConvert) {
  EXPECT_EQ(static_cast<int>(VariantType::kString), 5);  // the first six keep their numbers
  EXPECT_EQ(Variant::Int16(-7).ChangeToString(), "-7");
  EXPECT_EQ(Variant::Byte(200).ChangeToInt32(), 200);
  EXPECT_EQ(Variant::Float(0.1f).ChangeToString(), "0.1");
  EXPECT_EQ(Variant::Float(2.5f).ChangeToInt32(), 2);
  EXPECT_DOUBLE_EQ(Variant::Date(45000.25).ChangeToDouble(), 45000.25);
  EXPECT_EQ(Variant::Int16(3), Variant::Int16(3));
  EXPECT_FALSE(Variant::Int16(3) == Variant(int32_t{3}));
  EXPECT_THROW(Variant::Date(2).AsDouble(), ComError);
  EXPECT_EQ(ComErrorOf([] { Variant::Float(1).AsInt16(); }),
            (ComErrorReport{platform::kE_INVALIDARG, "Variant holds Float, not Int16"}));
}

TEST(Variant, DatesReadAsDaysFromTheEndOf1899) {
  const std::pair<double, std::string> rows[] = {
      {0, "1899-12-30"},
      {1, "1899-12-31"},
      {2, "1900-01-01"},
      {60, "1900-02-28"},
      {45658, "2025-01-01"},
      {45658.5, "2025-01-01 12:00:00"},
      {45658.75 + 1.0 / 86400, "2025-01-01 18:00:01"},
      {36585, "2000-02-29"},
      {-1.25, "1899-12-29 06:00:00"},
      {45658.99999999, "2025-01-02"},  // rounds to the next midnight
      // Before 1899-12-30 the fraction still counts forward, so midnight is the next day too.
      {-0.99999999, "1899-12-31"},
      {-2.99999994, "1899-12-29"},
      {-1.99999, "1899-12-29 23:59:59"},
  };
  for (const auto& [days, text] : rows) EXPECT_EQ(Variant::Date(days).ChangeToString(), text);
}

}  // namespace
