#include "platform/variant.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using platform::ComError;
using platform::Variant;
using platform::VariantType;
using test_support::ExpectComError;

TEST(Variant, HoldsTheTypeItWasMadeWithAndRefusesToBeReadAsAnother) {
  EXPECT_EQ(Variant().Type(), VariantType::kEmpty);
  EXPECT_EQ(Variant::Null().Type(), VariantType::kNull);
  EXPECT_EQ(Variant(true).Type(), VariantType::kBool);
  EXPECT_EQ(Variant(int32_t{5}).Type(), VariantType::kInt32);
  EXPECT_EQ(Variant(2.5).Type(), VariantType::kDouble);
  EXPECT_EQ(Variant("text").Type(), VariantType::kString);  // not a bool
  EXPECT_EQ(Variant(std::string("s")).AsString(), "s");
  EXPECT_EQ(Variant(int32_t{-3}).AsInt32(), -3);
  ExpectComError([] { Variant("12").AsInt32(); }, platform::kE_INVALIDARG,
                 "Variant holds String, not Int32");
  EXPECT_THROW(Variant().AsString(), ComError);
  EXPECT_THROW(Variant(int32_t{1}).AsBool(), ComError);
  EXPECT_THROW(Variant(int32_t{1}).AsDouble(), ComError);
}

TEST(Variant, ChangesToText) {
  const std::pair<Variant, std::string> rows[] = {
      {Variant(), ""},
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(int32_t{-42}), "-42"},
      {Variant(1.5), "1.5"},
      {Variant(0.1), "0.1"},
      {Variant(100.0), "100"},
      {Variant(1e21), "1E+21"},
      {Variant("as is "), "as is "},
      {Variant(1.0 / 3), "0.333333333333333"},
  };
  for (const auto& [variant, text] : rows) EXPECT_EQ(variant.ChangeToString(), text) << text;
  EXPECT_EQ(Variant::Null().TryString(), std::nullopt);
  ExpectComError([] { Variant::Null().ChangeToString(); }, platform::kE_INVALIDARG,
                 "Cannot convert Null to String");
}

TEST(Variant, ChangesToInt32WithRoundingHalfToEvenWithinRange) {
  const std::pair<Variant, int32_t> rows[] = {
      {Variant(), 0},     {Variant(true), -1},   {Variant(2.5), 2},
      {Variant(3.5), 4},  {Variant(-2.6), -3},   {Variant(" 17 "), 17},
      {Variant("+8"), 8}, {Variant("12.5"), 12}, {Variant("-2147483648"), INT32_MIN},
  };
  for (const auto& [variant, number] : rows) EXPECT_EQ(variant.ChangeToInt32(), number) << number;
  for (const Variant& bad : {Variant("2147483648"), Variant(3e9), Variant("12abc"), Variant(""),
                             Variant("+-1"), Variant("nan"), Variant::Null()}) {
    EXPECT_EQ(bad.TryInt32(), std::nullopt) << bad.TryString().value_or("Null");
  }
  ExpectComError([] { Variant("12abc").ChangeToInt32(); }, platform::kE_INVALIDARG,
                 "Cannot convert String \"12abc\" to Int32");
}

TEST(Variant, ChangesToDouble) {
  EXPECT_DOUBLE_EQ(Variant().ChangeToDouble(), 0.0);
  EXPECT_DOUBLE_EQ(Variant(true).ChangeToDouble(), -1.0);
  EXPECT_DOUBLE_EQ(Variant(int32_t{7}).ChangeToDouble(), 7.0);
  EXPECT_DOUBLE_EQ(Variant(" -1.25e2 ").ChangeToDouble(), -125.0);
  EXPECT_EQ(Variant("inf").TryDouble(), std::nullopt);
  EXPECT_EQ(Variant("1,5").TryDouble(), std::nullopt);
  EXPECT_THROW(Variant("x").ChangeToDouble(), ComError);
}

TEST(Variant, EqualityNeedsSameTypeAndValue) {
  EXPECT_EQ(Variant(int32_t{1}), Variant(int32_t{1}));
  EXPECT_NE(Variant(int32_t{1}), Variant(1.0));
  EXPECT_NE(Variant(), Variant::Null());
  EXPECT_EQ(Variant("a"), Variant(std::string("a")));
}

}  // namespace
