#include "foundation/number_images.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <system_error>

namespace {

constexpr char kDigitCharacters[] = "0123456789ABCDEF";
constexpr double kTwoTo63 = 9223372036854775808.0;

void RequireRadix(int radix, const CX_ErrorDescriptor& too_small,
                  const CX_ErrorDescriptor& too_large) {
  CX_Require(radix >= 2, too_small);
  CX_Require(radix <= 16, too_large);
}

// 0 to 15 for "0"-"9", "A"-"F", "a"-"f"; -1 for any other character.
int DigitOf(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string MagnitudeImage(std::uint64_t magnitude, int radix) {
  char buffer[64];  // 64 binary digits at most
  int at = sizeof buffer;
  const auto base = static_cast<std::uint64_t>(radix);
  do {
    buffer[--at] = kDigitCharacters[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0);
  return std::string(buffer + at, buffer + sizeof buffer);
}

struct RealParts {
  std::string integer;
  std::string fraction;  // exactly `digits` characters
};

// Radix 10: cut the shortest decimal that reads back as the same double.
RealParts DecimalParts(double magnitude, int digits) {
  // A double below 2^63 has at most 19 integer digits and, written in full, some 330
  // characters of fraction (the smallest subnormal).
  char buffer[512];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::fixed);
  const std::string_view image(buffer, result.ptr - buffer);
  const std::size_t point = image.find('.');
  RealParts parts;
  parts.integer = std::string(image.substr(0, point));
  if (point != std::string_view::npos) {
    parts.fraction = std::string(image.substr(point + 1, static_cast<std::size_t>(digits)));
  }
  parts.fraction.resize(static_cast<std::size_t>(digits), '0');
  return parts;
}

// Radix 2, 4, 8, 16: multiplying by the radix and dropping the integer part are exact in
// double arithmetic, so the digits are those of the double's exact value.
RealParts ExactBinaryParts(double magnitude, int radix, int digits) {
  const double integer = std::trunc(magnitude);
  RealParts parts;
  parts.integer = MagnitudeImage(static_cast<std::uint64_t>(integer), radix);
  double fraction = magnitude - integer;
  for (int i = 0; i < digits; ++i) {
    fraction *= radix;
    const int digit = static_cast<int>(fraction);
    fraction -= digit;
    parts.fraction += kDigitCharacters[digit];
  }
  return parts;
}

// Other radices: the double's exact value is rarely the number meant (1/3 is stored a little
// below 1/3 and would read "0.022" in radix 3), so the digits are cut from the upper end of the
// double's rounding interval, which lies at or above every number that rounds to it. Long
// double holds that end exactly and keeps the per-digit rounding far below the margin.
RealParts UpperEndParts(double magnitude, int radix, int digits) {
  const double integer = std::trunc(magnitude);
  RealParts parts;
  parts.integer = MagnitudeImage(static_cast<std::uint64_t>(integer), radix);
  const long double half_gap =
      (static_cast<long double>(std::nextafter(magnitude, kTwoTo63)) - magnitude) / 2;
  long double fraction = static_cast<long double>(magnitude - integer) + half_gap;
  for (int i = 0; i < digits; ++i) {
    fraction *= radix;
    const int digit = std::min(static_cast<int>(fraction), radix - 1);
    fraction -= digit;
    parts.fraction += kDigitCharacters[digit];
  }
  return parts;
}

}  // namespace

std::string CX_Image(std::int64_t value, int radix, bool withSign) {
  RequireRadix(radix, CX_Errors::ImageRadixTooSmall, CX_Errors::ImageRadixTooLarge);
  // Unsigned negation, so that the smallest int64 has a magnitude too.
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string image;
  if (value < 0) {
    image = "-";
  } else if (withSign) {
    image = "+";
  }
  return image + MagnitudeImage(magnitude, radix);
}

std::string CX_Image(double value, int radix, int digits) {
  RequireRadix(radix, CX_Errors::ImageRadixTooSmall, CX_Errors::ImageRadixTooLarge);
  CX_Require(digits >= 0, CX_Errors::ImageDigitsTooSmall);
  CX_Require(digits <= CX_kMaxFractionDigits, CX_Errors::ImageDigitsTooLarge);
  CX_Require(!std::isnan(value), CX_Errors::ImageRealTooLarge);
  CX_Require(value > -kTwoTo63, CX_Errors::ImageRealTooSmall);
  CX_Require(value < kTwoTo63, CX_Errors::ImageRealTooLarge);

  // The sign is written apart from the integer part, whose image has none for -1 < value < 0.
  const bool negative = value < 0;
  const double magnitude = std::fabs(value);
  RealParts parts;
  if (radix == 10) {
    parts = DecimalParts(magnitude, digits);
  } else if ((radix & (radix - 1)) == 0) {
    parts = ExactBinaryParts(magnitude, radix, digits);
  } else {
    parts = UpperEndParts(magnitude, radix, digits);
  }
  std::string image = negative ? "-" : "";
  image += parts.integer;
  if (digits > 0) {
    image += '.';
    image += parts.fraction;
  }
  return image;
}

int CX_DigitValue(char character, int radix) {
  RequireRadix(radix, CX_Errors::DigitValueRadixTooSmall, CX_Errors::DigitValueRadixTooLarge);
  const int value = DigitOf(character);
  CX_Require(value >= 0 && value < radix, CX_Errors::DigitValueNotADigit);
  return value;
}

std::int32_t CX_IntValue(const std::string& text, int radix) {
  RequireRadix(radix, CX_Errors::IntValueRadixTooSmall, CX_Errors::IntValueRadixTooLarge);
  if (text.empty()) return 0;
  const char first = text[0];
  const bool negative = first == '-';
  const std::size_t digits_from = (first == ' ' || first == '+' || negative) ? 1 : 0;
  // Every character is checked before any arithmetic, so that a bad digit is reported as such
  // even in a text that is also too long.
  for (std::size_t i = digits_from; i < text.size(); ++i) {
    const int digit = DigitOf(text[i]);
    CX_Require(digit >= 0 && digit < radix, CX_Errors::IntValueNotADigit);
  }
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (std::size_t i = digits_from; i < text.size(); ++i) {
    magnitude = magnitude * radix + DigitOf(text[i]);
    CX_Require(magnitude <= limit,
               negative ? CX_Errors::IntValueTooSmall : CX_Errors::IntValueTooLarge);
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

double ParseDecimal(const std::string& text, bool& valid) {
  valid = false;
  if (text.empty()) return 0;
  const bool negative = text[0] == '-';
  const std::size_t from = (negative || text[0] == '+') ? 1 : 0;
  bool seen_point = false;
  bool any_digit = false;
  bool integer_part_nonzero = false;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      any_digit = true;
      if (!seen_point && c != '0') integer_part_nonzero = true;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      return 0;
    }
  }
  double magnitude = 0;
  if (any_digit) {
    // The text is known to be digits and at most one point here; from_chars rounds correctly
    // and does not follow the locale's decimal point.
    const auto result = std::from_chars(text.data() + from, text.data() + text.size(), magnitude,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
      if (integer_part_nonzero) return 0;  // too large for a double
      magnitude = 0;                       // too small: reads as 0
    }
  }
  valid = true;
  return negative && magnitude != 0 ? -magnitude : magnitude;
}
