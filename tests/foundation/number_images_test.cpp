#include "foundation/number_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>

namespace {

// Runs the call, which must report the descriptor on the standard error stream and throw it.
void ExpectRejected(const std::function<void()>& call, const CX_ErrorDescriptor& expected) {
  testing::internal::CaptureStderr();
  try {
    call();
    testing::internal::GetCapturedStderr();
    ADD_FAILURE() << "no CX_Exception for " << expected.Text();
  } catch (const CX_Exception& e) {
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(e.Descriptor().Text(), expected.Text());
    EXPECT_EQ(reported, expected.Text() + "\n");
  }
}

}  // namespace

TEST(IntegerImage, WritesSignOnlyWhenNegativeOrAsked) {
  EXPECT_EQ(CX_Image(std::int64_t{-42}, 10, false), "-42");
  EXPECT_EQ(CX_Image(std::int64_t{42}, 10, true), "+42");
  EXPECT_EQ(CX_Image(std::int64_t{42}, 10, false), "42");
  EXPECT_EQ(CX_Image(std::int64_t{0}, 10, false), "0");
  EXPECT_EQ(CX_Image(std::int64_t{0}, 10, true), "+0");
  EXPECT_EQ(CX_Image(std::int64_t{-7}, 10, true), "-7");
}

TEST(IntegerImage, UsesUpperCaseDigitsInEveryRadix) {
  EXPECT_EQ(CX_Image(std::int64_t{255}, 16, false), "FF");
  EXPECT_EQ(CX_Image(std::int64_t{5}, 2, false), "101");
  EXPECT_EQ(CX_Image(std::int64_t{-8}, 8, false), "-10");
  EXPECT_EQ(CX_Image(std::int64_t{35}, 12, false), "2B");
}

TEST(IntegerImage, HandlesTheExtremes) {
  const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(CX_Image(lowest, 10, false), "-9223372036854775808");
  EXPECT_EQ(CX_Image(lowest, 16, false), "-8000000000000000");
  EXPECT_EQ(CX_Image(std::numeric_limits<std::int64_t>::max(), 2, false), std::string(63, '1'));
}

TEST(IntegerImage, RejectsRadixOutsideTwoToSixteen) {
  ExpectRejected([] { CX_Image(std::int64_t{1}, 1, false); }, CX_Errors::ImageRadixTooSmall);
  ExpectRejected([] { CX_Image(std::int64_t{1}, 17, false); }, CX_Errors::ImageRadixTooLarge);
}

TEST(RealImage, TruncatesToTheGivenDigits) {
  EXPECT_EQ(CX_Image(2.5, 10, 3), "2.500");
  EXPECT_EQ(CX_Image(2.6749, 10, 3), "2.674");
  EXPECT_EQ(CX_Image(0.9999, 10, 3), "0.999");
  EXPECT_EQ(CX_Image(123.0, 10, 2), "123.00");
  EXPECT_EQ(CX_Image(2.9, 10, 0), "2");
}

TEST(RealImage, NegativeValueBetweenMinusOneAndZeroKeepsItsSign) {
  EXPECT_EQ(CX_Image(-0.5, 10, 3), "-0.500");
  EXPECT_EQ(CX_Image(-0.25, 2, 3), "-0.010");
  EXPECT_EQ(CX_Image(-2.25, 10, 3), "-2.250");
  EXPECT_EQ(CX_Image(-0.0, 10, 3), "0.000");
}

TEST(RealImage, DecimalDigitsAreThoseOfTheNumberTheDoubleStandsFor) {
  // Each of these doubles lies a little below the decimal; plain truncation of the binary value
  // would show the digit below.
  EXPECT_EQ(CX_Image(0.1, 10, 3), "0.100");
  EXPECT_EQ(CX_Image(1.005, 10, 3), "1.005");
  EXPECT_EQ(CX_Image(2.675, 10, 3), "2.675");
  EXPECT_EQ(CX_Image(4.35, 10, 3), "4.350");
  EXPECT_EQ(CX_Image(0.3, 10, 20), "0.30000000000000000000");
  EXPECT_EQ(CX_Image(1e-7, 10, 8), "0.00000010");
}

TEST(RealImage, PowerOfTwoRadicesShowTheExactBinaryValue) {
  EXPECT_EQ(CX_Image(255.5, 16, 3), "FF.800");
  EXPECT_EQ(CX_Image(0.1, 16, 16), "0.1999999999999A00");  // 0x1.999999999999Ap-4
  EXPECT_EQ(CX_Image(0.1, 2, 8), "0.00011001");
  EXPECT_EQ(CX_Image(0.75, 4, 2), "0.30");
}

TEST(RealImage, OtherRadicesCutFromTheTopOfTheRoundingInterval) {
  EXPECT_EQ(CX_Image(1.0 / 3.0, 3, 3), "0.100");
  EXPECT_EQ(CX_Image(2.0 / 3.0, 3, 3), "0.200");
  EXPECT_EQ(CX_Image(10.0 + 1.0 / 7.0, 7, 2), "13.10");
  EXPECT_EQ(CX_Image(0.142857, 7, 3), "0.066");  // below 1/7: genuinely truncated
}

TEST(RealImage, LargestIntegerPartsStillFit) {
  EXPECT_EQ(CX_Image(9.2e18, 10, 1), "9200000000000000000.0");
  EXPECT_EQ(CX_Image(-9.2e18, 16, 0), "-7FACF7419D980000");
}

TEST(RealImage, RejectsValuesWithoutAnIntegerImage) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  ExpectRejected([nan] { CX_Image(nan, 10, 3); }, CX_Errors::ImageRealTooLarge);
  ExpectRejected([infinity] { CX_Image(infinity, 10, 3); }, CX_Errors::ImageRealTooLarge);
  ExpectRejected([infinity] { CX_Image(-infinity, 10, 3); }, CX_Errors::ImageRealTooSmall);
  ExpectRejected([] { CX_Image(9223372036854775808.0, 10, 3); }, CX_Errors::ImageRealTooLarge);
  ExpectRejected([] { CX_Image(-1e19, 10, 3); }, CX_Errors::ImageRealTooSmall);
}

TEST(RealImage, RejectsBadRadixAndDigitCount) {
  ExpectRejected([] { CX_Image(1.5, 0, 3); }, CX_Errors::ImageRadixTooSmall);
  ExpectRejected([] { CX_Image(1.5, 20, 3); }, CX_Errors::ImageRadixTooLarge);
  ExpectRejected([] { CX_Image(1.5, 10, -1); }, CX_Errors::ImageDigitsTooSmall);
  ExpectRejected([] { CX_Image(1.5, 10, CX_kMaxFractionDigits + 1); },
                 CX_Errors::ImageDigitsTooLarge);
}

TEST(RealImage, MostDigitsOfTheSmallestDoubleStayInBounds) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const std::string image = CX_Image(tiny, 10, CX_kMaxFractionDigits);
  ASSERT_EQ(image.size(), 2u + CX_kMaxFractionDigits);
  EXPECT_EQ(image.substr(0, 8), "0.000000");
  EXPECT_EQ(image[2 + 323], '5');  // 4.94e-324 reads back from "5e-324"
  EXPECT_EQ(CX_Image(tiny, 2, CX_kMaxFractionDigits)[2 + 1073], '1');  // 2^-1074
}

TEST(DigitValue, ReadsBothLetterCases) {
  EXPECT_EQ(CX_DigitValue('0', 2), 0);
  EXPECT_EQ(CX_DigitValue('7', 8), 7);
  EXPECT_EQ(CX_DigitValue('a', 16), 10);
  EXPECT_EQ(CX_DigitValue('F', 16), 15);
}

TEST(DigitValue, RejectsNonDigitsAndBadRadix) {
  ExpectRejected([] { CX_DigitValue('8', 8); }, CX_Errors::DigitValueNotADigit);
  ExpectRejected([] { CX_DigitValue('g', 16); }, CX_Errors::DigitValueNotADigit);
  ExpectRejected([] { CX_DigitValue(' ', 10); }, CX_Errors::DigitValueNotADigit);
  ExpectRejected([] { CX_DigitValue('1', 1); }, CX_Errors::DigitValueRadixTooSmall);
  ExpectRejected([] { CX_DigitValue('1', 17); }, CX_Errors::DigitValueRadixTooLarge);
}

TEST(IntValue, ReadsSignAndDigits) {
  EXPECT_EQ(CX_IntValue("", 10), 0);
  EXPECT_EQ(CX_IntValue("123", 10), 123);
  EXPECT_EQ(CX_IntValue("-123", 10), -123);
  EXPECT_EQ(CX_IntValue("+7f", 16), 127);
  EXPECT_EQ(CX_IntValue(" 42", 10), 42);
  EXPECT_EQ(CX_IntValue("1010", 2), 10);
  EXPECT_EQ(CX_IntValue("-", 10), 0);
}

TEST(IntValue, AcceptsTheWholeInt32Range) {
  EXPECT_EQ(CX_IntValue("2147483647", 10), 2147483647);
  EXPECT_EQ(CX_IntValue("-2147483648", 10), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(CX_IntValue("7FFFFFFF", 16), 2147483647);
  EXPECT_EQ(CX_IntValue("0000000000000000000001", 10), 1);
}

TEST(IntValue, RejectsValuesOutsideInt32) {
  ExpectRejected([] { CX_IntValue("2147483648", 10); }, CX_Errors::IntValueTooLarge);
  ExpectRejected([] { CX_IntValue("-2147483649", 10); }, CX_Errors::IntValueTooSmall);
  ExpectRejected([] { CX_IntValue(std::string(40, '1'), 2); }, CX_Errors::IntValueTooLarge);
}

TEST(IntValue, RejectsCharactersThatAreNotDigitsOfTheRadix) {
  ExpectRejected([] { CX_IntValue("12a", 10); }, CX_Errors::IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("1-2", 10); }, CX_Errors::IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("19", 8); }, CX_Errors::IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("99999999999999999999x", 10); }, CX_Errors::IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("1", 1); }, CX_Errors::IntValueRadixTooSmall);
  ExpectRejected([] { CX_IntValue("1", 99); }, CX_Errors::IntValueRadixTooLarge);
}

TEST(ImageAndValue, IntegerImagesReadBackInEveryRadix) {
  const std::int32_t values[] = {0, 1, -1, 37, -1000, 2147483647, -2147483647 - 1};
  for (int radix = 2; radix <= 16; ++radix) {
    for (std::int32_t value : values) {
      ASSERT_EQ(CX_IntValue(CX_Image(std::int64_t{value}, radix, true), radix), value)
          << "radix " << radix;
    }
  }
}

TEST(ParseDecimal, ReadsSignedDecimals) {
  bool valid = false;
  EXPECT_EQ(ParseDecimal("-1.25", valid), -1.25);
  EXPECT_TRUE(valid);
  EXPECT_EQ(ParseDecimal("+3", valid), 3.0);
  EXPECT_TRUE(valid);
  EXPECT_EQ(ParseDecimal(".5", valid), 0.5);
  EXPECT_TRUE(valid);
  EXPECT_EQ(ParseDecimal("5.", valid), 5.0);
  EXPECT_TRUE(valid);
  EXPECT_EQ(ParseDecimal("0.1", valid), 0.1);
  EXPECT_EQ(ParseDecimal("123456789.123456789", valid), 123456789.123456789);
  EXPECT_TRUE(valid);
}

TEST(ParseDecimal, SignOrPointAloneReadsAsZero) {
  bool valid = false;
  EXPECT_EQ(ParseDecimal("-", valid), 0.0);
  EXPECT_TRUE(valid);
  valid = false;
  EXPECT_EQ(ParseDecimal(".", valid), 0.0);
  EXPECT_TRUE(valid);
  EXPECT_FALSE(std::signbit(ParseDecimal("-0", valid)));
}

TEST(ParseDecimal, RejectsAnythingElse) {
  for (const char* text :
       {"", "1.2.3", "1-2", "--1", "+-1", " 1", "1 ", "1e5", "0x10", "1,5", "abc"}) {
    bool valid = true;
    EXPECT_EQ(ParseDecimal(text, valid), 0.0) << text;
    EXPECT_FALSE(valid) << text;
  }
}

TEST(ParseDecimal, TooLargeForADoubleIsNotValidButTinyReadsAsZero) {
  bool valid = true;
  EXPECT_EQ(ParseDecimal("1" + std::string(400, '0'), valid), 0.0);
  EXPECT_FALSE(valid);
  EXPECT_EQ(ParseDecimal("-0." + std::string(400, '0') + "1", valid), 0.0);
  EXPECT_TRUE(valid);
}
