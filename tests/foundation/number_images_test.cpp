#include "foundation/number_images.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "test_support.h"

namespace {

struct RealRow {
  double value;
  int radix;
  int digits;
  const char* expected;
};

template <std::size_t N>
void ExpectRealImages(const RealRow (&rows)[N]) {
  for (const RealRow& row : rows) {
    EXPECT_EQ(CX_Image(row.value, row.radix, row.digits), row.expected) << row.expected;
  }
}

}  // namespace

TEST(IntegerImage, WritesSignOnlyWhenNegativeOrAskedAndUpperCaseDigits) {
  const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  const struct {
    std::int64_t value;
    int radix;
    bool with_sign;
    const char* expected;
  } rows[] = {{-42, 10, false, "-42"},
              {42, 10, true, "+42"},
              {0, 10, false, "0"},
              {0, 10, true, "+0"},
              {-7, 10, true, "-7"},
              {255, 16, false, "FF"},
              {-8, 8, false, "-10"},
              {35, 12, false, "2B"},
              {lowest, 10, false, "-9223372036854775808"},
              {lowest, 16, false, "-8000000000000000"}};
  for (const auto& row : rows) {
    EXPECT_EQ(CX_Image(row.value, row.radix, row.with_sign), row.expected) << row.expected;
  }
  EXPECT_EQ(CX_Image(std::numeric_limits<std::int64_t>::max(), 2, false), std::string(63, '1'));
}

TEST(RealImage, CutsToTheGivenDigitsAndKeepsTheSignOfANegativeFraction) {
  const RealRow rows[] = {{2.6749, 10, 3, "2.674"}, {0.9999, 10, 3, "0.999"},
                          {2.9, 10, 0, "2"},        {-0.5, 10, 3, "-0.500"},
                          {-0.25, 2, 3, "-0.010"},  {-0.0, 10, 3, "0.000"}};
  ExpectRealImages(rows);
}

// Each of these doubles lies a little below the decimal; plain truncation of the binary value
// would show the digit below.
TEST(RealImage, DecimalDigitsAreThoseOfTheNumberTheDoubleStandsFor) {
  const RealRow rows[] = {{0.1, 10, 3, "0.100"},       {1.005, 10, 3, "1.005"},
                          {2.675, 10, 3, "2.675"},     {0.3, 10, 20, "0.30000000000000000000"},
                          {1e-7, 10, 8, "0.00000010"}, {9.2e18, 10, 1, "9200000000000000000.0"}};
  ExpectRealImages(rows);
}

TEST(RealImage, PowerOfTwoRadicesShowTheExactBinaryValue) {
  const RealRow rows[] = {{255.5, 16, 3, "FF.800"},
                          {0.1, 16, 16, "0.1999999999999A00"},
                          {0.1, 2, 8, "0.00011001"},
                          {0.75, 4, 2, "0.30"},
                          {-9.2e18, 16, 0, "-7FACF7419D980000"}};
  ExpectRealImages(rows);
}

TEST(RealImage, OtherRadicesCutFromTheTopOfTheRoundingInterval) {
  const RealRow rows[] = {{1.0 / 3.0, 3, 3, "0.100"},
                          {10.0 + 1.0 / 7.0, 7, 2, "13.10"},
                          {0.142857, 7, 3, "0.066"}};  // below 1/7: genuinely truncated
  ExpectRealImages(rows);
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
  const double infinity = std::numeric_limits<double>::infinity();
  using namespace CX_Errors;
  ExpectRejected([] { CX_Image(std::int64_t{1}, 1, false); }, ImageRadixTooSmall);
  ExpectRejected([] { CX_Image(std::int64_t{1}, 17, false); }, ImageRadixTooLarge);
  ExpectRejected([] { CX_Image(1.5, 0, 3); }, ImageRadixTooSmall);
  ExpectRejected([] { CX_Image(1.5, 20, 3); }, ImageRadixTooLarge);
  ExpectRejected([] { CX_Image(1.5, 10, -1); }, ImageDigitsTooSmall);
  ExpectRejected([] { CX_Image(1.5, 10, CX_kMaxFractionDigits + 1); }, ImageDigitsTooLarge);
  ExpectRejected([] { CX_Image(std::nan(""), 10, 3); }, ImageRealTooLarge);
  ExpectRejected([=] { CX_Image(infinity, 10, 3); }, ImageRealTooLarge);
  ExpectRejected([=] { CX_Image(-infinity, 10, 3); }, ImageRealTooSmall);
  ExpectRejected([] { CX_Image(9223372036854775808.0, 10, 3); }, ImageRealTooLarge);
  ExpectRejected([] { CX_Image(-1e19, 10, 3); }, ImageRealTooSmall);
}

TEST(DigitValue, ReadsBothLetterCasesAndRejectsNonDigitsAndBadRadix) {
  EXPECT_EQ(CX_DigitValue('7', 8), 7);
  EXPECT_EQ(CX_DigitValue('a', 16), 10);
  EXPECT_EQ(CX_DigitValue('F', 16), 15);
  ExpectRejected([] { CX_DigitValue('8', 8); }, CX_Errors::DigitValueNotADigit);
  ExpectRejected([] { CX_DigitValue('g', 16); }, CX_Errors::DigitValueNotADigit);
  ExpectRejected([] { CX_DigitValue(' ', 10); }, CX_Errors::DigitValueNotADigit);
  ExpectRejected([] { CX_DigitValue('1', 1); }, CX_Errors::DigitValueRadixTooSmall);
  ExpectRejected([] { CX_DigitValue('1', 17); }, CX_Errors::DigitValueRadixTooLarge);
}

TEST(IntValue, ReadsSignAndDigitsOverTheWholeInt32Range) {
  EXPECT_EQ(CX_IntValue("", 10), 0);
  EXPECT_EQ(CX_IntValue("-", 10), 0);
  EXPECT_EQ(CX_IntValue("-123", 10), -123);
  EXPECT_EQ(CX_IntValue("+7f", 16), 127);
  EXPECT_EQ(CX_IntValue(" 42", 10), 42);
  EXPECT_EQ(CX_IntValue("-2147483648", 10), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(CX_IntValue("0000000000000000000001", 10), 1);
}

TEST(IntValue, RejectsValuesOutsideInt32AndCharactersThatAreNotDigitsOfTheRadix) {
  using namespace CX_Errors;
  ExpectRejected([] { CX_IntValue("2147483648", 10); }, IntValueTooLarge);
  ExpectRejected([] { CX_IntValue("-2147483649", 10); }, IntValueTooSmall);
  ExpectRejected([] { CX_IntValue(std::string(40, '1'), 2); }, IntValueTooLarge);
  ExpectRejected([] { CX_IntValue("12a", 10); }, IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("1-2", 10); }, IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("19", 8); }, IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("99999999999999999999x", 10); }, IntValueNotADigit);
  ExpectRejected([] { CX_IntValue("1", 1); }, IntValueRadixTooSmall);
  ExpectRejected([] { CX_IntValue("1", 99); }, IntValueRadixTooLarge);
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
  } rows[] = {{"-1.25", -1.25}, {"+3", 3.0},  {".5", 0.5},
              {"5.", 5.0},      {"0.1", 0.1}, {"123456789.123456789", 123456789.123456789},
              {"-", 0.0},       {".", 0.0}};
  for (const auto& row : rows) {
    bool valid = false;
    EXPECT_EQ(ParseDecimal(row.text, valid), row.expected) << row.text;
    EXPECT_TRUE(valid) << row.text;
  }
  bool valid = false;
  EXPECT_FALSE(std::signbit(ParseDecimal("-0", valid)));
  EXPECT_EQ(ParseDecimal("-0." + std::string(400, '0') + "1", valid), 0.0);  // tiny reads as 0
  EXPECT_TRUE(valid);
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
