// Images of numbers in a radix from 2 to 16, and the values of such images.
//
// Digits 0 to 15 are written "0" to "9", "A" to "F". Invalid input is reported with one of the
// descriptors below (CX_ReportError) and thrown as CX_Exception. Everything here works on its
// arguments only and may run on any thread.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/cx_error_descriptor.h"

namespace CX_Errors {
inline constexpr const char* kLexical = "Lexical_Error";
inline constexpr const char* kMath = "Math_Error";
inline constexpr const char* kNotANumber = "string does not denote a valid number";
inline constexpr const char* kTooSmall = "object is too small";
inline constexpr const char* kTooLarge = "object is too large";

inline constexpr CX_ErrorDescriptor ImageRadixTooSmall(kMath, "CX_Image", kTooSmall);
inline constexpr CX_ErrorDescriptor ImageRadixTooLarge(kMath, "CX_Image", kTooLarge);
// Fraction digits below 0 or above CX_kMaxFractionDigits.
inline constexpr CX_ErrorDescriptor ImageDigitsTooSmall(kMath, "CX_Image", kTooSmall);
inline constexpr CX_ErrorDescriptor ImageDigitsTooLarge(kMath, "CX_Image", kTooLarge);
// A real whose integer part does not fit a signed 64-bit integer; NaN counts as too large.
inline constexpr CX_ErrorDescriptor ImageRealTooSmall(kMath, "CX_Image", kTooSmall);
inline constexpr CX_ErrorDescriptor ImageRealTooLarge(kMath, "CX_Image", kTooLarge);
inline constexpr CX_ErrorDescriptor DigitValueRadixTooSmall(kMath, "CX_DigitValue", kTooSmall);
inline constexpr CX_ErrorDescriptor DigitValueRadixTooLarge(kMath, "CX_DigitValue", kTooLarge);
inline constexpr CX_ErrorDescriptor DigitValueNotADigit(kLexical, "CX_DigitValue", kNotANumber);
inline constexpr CX_ErrorDescriptor IntValueRadixTooSmall(kMath, "CX_IntValue", kTooSmall);
inline constexpr CX_ErrorDescriptor IntValueRadixTooLarge(kMath, "CX_IntValue", kTooLarge);
inline constexpr CX_ErrorDescriptor IntValueNotADigit(kLexical, "CX_IntValue", kNotANumber);
inline constexpr CX_ErrorDescriptor IntValueTooSmall(kMath, "CX_IntValue", kTooSmall);
inline constexpr CX_ErrorDescriptor IntValueTooLarge(kMath, "CX_IntValue", kTooLarge);
}  // namespace CX_Errors

// The most fraction digits a real image may ask for (enough for every binary digit of a double).
inline constexpr int CX_kMaxFractionDigits = 1100;

// The digits of the magnitude, most significant first, after "-" for a negative value or "+"
// for a non-negative one when withSign is set.
std::string CX_Image(std::int64_t value, int radix, bool withSign);

// The integer part (truncated towards zero), then "." and `digits` fraction digits, cut, not
// rounded; a negative value keeps its "-" even when its integer part is 0 ("-0.500"). With 0
// digits the image is the integer part alone. The cut applies to the number the double stands
// for, not to its binary approximation: in radix 10 that is the shortest decimal that reads
// back as the same double (1.005 with 3 digits gives "1.005", where the double's exact value
// 1.00499999... would give "1.004"); in radix 2, 4, 8 and 16 it is the double's exact value; in
// the other radices it is the upper end of the double's rounding interval. Digits past a
// double's precision carry no information.
std::string CX_Image(double value, int radix, int digits);

// The value 0 to radix - 1 of a digit character ("0"-"9", "A"-"F", "a"-"f").
int CX_DigitValue(char character, int radix);

// The value of an integer image. The empty text gives 0. A first character " " or "+" makes
// the value positive and "-" negative (a sign alone gives 0); every other character must be a
// digit of the radix. The value must fit a signed 32-bit integer.
std::int32_t CX_IntValue(const std::string& text, int radix);

// A lenient decimal reader: an optional "+" or "-" as the first character, digits, at most one
// ".", digits. The empty text, any other character, a second "." or a value too large for a
// double give 0 with valid false; otherwise valid is true ("+", "-" and "." read as 0).
double ParseDecimal(const std::string& text, bool& valid);
