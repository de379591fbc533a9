#include "platform/variant.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::ComError;
using platform::Variant;
using platform::VariantType;

TEST(Variant, ReportsItsTypeAndHeldValue) {
  EXPECT_EQ(Variant().Type(), VariantType::kEmpty);
  EXPECT_TRUE(Variant().IsEmpty());
  EXPECT_TRUE(Variant::Null().IsNull());
  EXPECT_EQ(Variant(true).Type(), VariantType::kBool);
  EXPECT_EQ(Variant(int32_t{5}).Type(), VariantType::kInt32);
  EXPECT_EQ(Variant(2.5).Type(), VariantType::kDouble);
  EXPECT_EQ(Variant("text").Type(), VariantType::kString);
  EXPECT_EQ(Variant(std::string("s")).AsString(), "s");
  EXPECT_EQ(Variant(int32_t{-3}).AsInt32(), -3);
  EXPECT_TRUE(Variant(true).AsBool());
  EXPECT_DOUBLE_EQ(Variant(2.5).AsDouble(), 2.5);
}

TEST(Variant, AccessorOfAnotherTypeThrowsInvalidArgument) {
  try {
    Variant("12").AsInt32();
    FAIL() << "no error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), platform::kE_INVALIDARG);
    EXPECT_EQ(error.Description(), "Variant holds String, not Int32");
  }
  EXPECT_THROW(Variant().AsString(), ComError);
  EXPECT_THROW(Variant(int32_t{1}).AsBool(), ComError);
  EXPECT_THROW(Variant(int32_t{1}).AsDouble(), ComError);
}

TEST(Variant, ChangesToText) {
  EXPECT_EQ(Variant().ChangeToString(), "");
  EXPECT_EQ(Variant(true).ChangeToString(), "True");
  EXPECT_EQ(Variant(false).ChangeToString(), "False");
  EXPECT_EQ(Variant(int32_t{-42}).ChangeToString(), "-42");
  EXPECT_EQ(Variant(1.5).ChangeToString(), "1.5");
  EXPECT_EQ(Variant(0.1).ChangeToString(), "0.1");
  EXPECT_EQ(Variant(100.0).ChangeToString(), "100");
  EXPECT_EQ(Variant(1e21).ChangeToString(), "1E+21");
  EXPECT_EQ(Variant(1.0 / 3).ChangeToString(), "0.333333333333333");
  EXPECT_EQ(Variant("as is ").ChangeToString(), "as is ");
}

TEST(Variant, NullHasNoTextAndNoNumber) {
  EXPECT_EQ(Variant::Null().TryString(), std::nullopt);
  EXPECT_EQ(Variant::Null().TryInt32(), std::nullopt);
  try {
    Variant::Null().ChangeToString();
    FAIL() << "no error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), platform::kE_INVALIDARG);
    EXPECT_EQ(error.Description(), "Cannot convert Null to String");
  }
}

TEST(Variant, ChangesToInt32WithRoundingHalfToEven) {
  EXPECT_EQ(Variant().ChangeToInt32(), 0);
  EXPECT_EQ(Variant(true).ChangeToInt32(), -1);
  EXPECT_EQ(Variant(2.5).ChangeToInt32(), 2);
  EXPECT_EQ(Variant(3.5).ChangeToInt32(), 4);
  EXPECT_EQ(Variant(-2.6).ChangeToInt32(), -3);
  EXPECT_EQ(Variant(" 17 ").ChangeToInt32(), 17);
  EXPECT_EQ(Variant("+8").ChangeToInt32(), 8);
  EXPECT_EQ(Variant("-2147483648").ChangeToInt32(), INT32_MIN);
  EXPECT_EQ(Variant("12.5").ChangeToInt32(), 12);
}

TEST(Variant, Int32ConversionFailsOnTextAndRange) {
  EXPECT_EQ(Variant("2147483648").TryInt32(), std::nullopt);
  EXPECT_EQ(Variant(3e9).TryInt32(), std::nullopt);
  EXPECT_EQ(Variant("12abc").TryInt32(), std::nullopt);
  EXPECT_EQ(Variant("").TryInt32(), std::nullopt);
  EXPECT_EQ(Variant("+-1").TryInt32(), std::nullopt);
  EXPECT_EQ(Variant("nan").TryInt32(), std::nullopt);
  try {
    Variant("12abc").ChangeToInt32();
    FAIL() << "no error";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), platform::kE_INVALIDARG);
    EXPECT_EQ(error.Description(), "Cannot convert String \"12abc\" to Int32");
  }
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
