#include "foundation/number_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "test_support.h"

TEST(IntegerImage, WritesSignOnlyWhenNegativeOrAskedAndUpperCaseDigits) {
  EXPECT_EQ(CX_Image(std::int64_t{-42}, 10, false), "-42");
  EXPECT_EQ(CX_Image(std::int64_t{0}, 10, true), "+0");
  EXPECT_EQ(CX_Image(std::int64_t{255}, 16, false), "FF");
  EXPECT_EQ(CX_Image(std::numeric_limits<std::int64_t>::min(), 16, false), "-8000000000000000");
  EXPECT_EQ(CX_Image(std::numeric_limits<std::int64_t>::max(), 2, false), std::string(63, '1'));
}

TEST(RealImage, CutsToTheGivenDigitsAndKeepsTheSignOfANegativeFraction) {
  EXPECT_EQ(CX_Image(0.9999, 10, 3), "0.999");
  EXPECT_EQ(CX_Image(2.9, 10, 0), "2");
  EXPECT_EQ(CX_Image(-0.5, 10, 3), "-0.500");
  EXPECT_EQ(CX_Image(-0.0, 10, 3), "0.000");
}

// Each of these doubles lies a little below the decimal; plain truncation of the binary value
// would show the digit below.
TEST(RealImage, DecimalDigitsAreThoseOfTheNumberTheDoubleStandsFor) {
  EXPECT_EQ(CX_Image(0.1, 10, 3), "0.100");
  EXPECT_EQ(CX_Image(2.675, 10, 3), "2.675");
  EXPECT_EQ(CX_Image(0.3, 10, 20), "0.30000000000000000000");
  EXPECT_EQ(CX_Image(1e-7, 10, 8), "0.00000010");
  EXPECT_EQ(CX_Image(9.2e18, 10, 1), "9200000000000000000.0");
}

TEST(RealImage, PowerOfTwoRadicesShowTheExactBinaryValue) {
  EXPECT_EQ(CX_Image(0.1, 16, 16), "0.1999999999999A00");
  EXPECT_EQ(CX_Image(0.75, 4, 2), "0.30");
  EXPECT_EQ(CX_Image(-9.2e18, 16, 0), "-7FACF7419D980000");
}

TEST(RealImage, OtherRadicesCutFromTheTopOfTheRoundingInterval) {
  EXPECT_EQ(CX_Image(1.0 / 3.0, 3, 3), "0.100");
  EXPECT_EQ(CX_Image(0.142857, 7, 3), "0.066");  // below 1/7: genuinely truncated
}

TEST(RealImage, MostDigitsOfTheSmallestDoubleStayInBounds) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const std::string image = CX_Image(tiny, 10, CX_kMaxFractionDigits);
  ASSERT_EQ(image.size(), 2u + CX_kMaxFractionDigits);
  EXPECT_EQ(image.substr(0, 8), "0.000000");
  EXPECT_EQ(image[2 + 323], '5');  // 4.94e-324 reads back from "5e-324"
  EXPECT_EQ(CX_Image(tiny, 2, CX_kMaxFractionDigits)[2 + 1073], '1');  // 2^-1074
}

TEST(Images, RejectBadRadixDigitCountAndValuesWithoutAnIntegerImage) {
  using namespace CX_Errors;
  ExpectRejected([] { CX_Image(std::int64_t{1}, 1, false); }, ImageRadixTooSmall);
  ExpectRejected([] { CX_Image(1.5, 20, 3); }, ImageRadixTooLarge);
  ExpectRejected([] { CX_Image(1.5, 10, -1); }, ImageDigitsTooSmall);
  ExpectRejected([] { CX_Image(1.5, 10, CX_kMaxFractionDigits + 1); }, ImageDigitsTooLarge);
  ExpectRejected([] { CX_Image(std::nan(""), 10, 3); }, ImageRealTooLarge);
  ExpectRejected([] { CX_Image(9223372036854775808.0, 10, 3); }, ImageRealTooLarge);
  ExpectRejected([] { CX_Image(-1e19, 10, 3); }, ImageRealTooSmall);
}

TEST(IntValue, RejectsValuesOutsideInt32AndCharactersThatAreNotDigitsOfTheRadix) {
  using namespace CX_Errors;
  ExpectRejected([] { CX_IntValue("2147483648", 10); }, IntValueTooLarge);
  ExpectRejected([] { CX_IntValue("-2147483649", 10); }, IntValueTooSmall);
  ExpectRejected([] { CX_IntValue(std::string(40, '1'), 2); }, IntValueTooLarge);
  ExpectRejected([] { CX_IntValue("12a", 10); }, IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("1", 1); }, IntValueRadixTooSmall);
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

TEST(ParseDecimal, ReadsSignedDecimalsAndASignOrPointAloneAsZero) {
  const struct {
    const char* text;
    double expected;
  } rows[] = {{"-1.25", -1.25}, {"+.5", 0.5}, {"5.", 5.0},
              {"-", 0.0},       {".", 0.0},   {"123456789.123456789", 123456789.123456789}};
  for (const auto& row : rows) {
    bool valid = false;
    EXPECT_EQ(ParseDecimal(row.text, valid), row.expected) << row.text;
    EXPECT_TRUE(valid) << row.text;
  }
  bool valid = false;
  EXPECT_FALSE(std::signbit(ParseDecimal("-0", valid)));
}

TEST(ParseDecimal, RejectsAnythingElseAndValuesTooLargeForADouble) {
  const std::string too_large = "1" + std::string(400, '0');
  for (const std::string text : {"", "1.2.3", "1-2", "--1", "+-1", " 1", "1 ", "1e5", "0x10", "1,5",
                                 "abc", too_large.c_str()}) {
    bool valid = true;
    EXPECT_EQ(ParseDecimal(text, valid), 0.0) << text;
    EXPECT_FALSE(valid) << text;
  }
}
