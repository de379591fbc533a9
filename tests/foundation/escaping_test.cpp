#include "foundation/escaping.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string RandomBytes(std::mt19937& random, std::size_t max_length) {
  std::uniform_int_distribution<std::size_t> length(0, max_length);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string text(length(random), '\0');
  for (char& c : text) c = static_cast<char>(byte(random));
  return text;
}

// Written independently of the library: "\xHH" for every byte outside [0-9A-Za-z].
std::string ExpectedNonAlphanumericEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", b);
      out += hex;
    }
  }
  return out;
}

}  // namespace

TEST(EscapeNonAlphanumeric, EscapesEveryByteButLettersAndDigits) {
  EXPECT_EQ(EscapeNonAlphanumeric("a b"), "a\\x20b");
  EXPECT_EQ(EscapeNonAlphanumeric("Az09"), "Az09");
  EXPECT_EQ(EscapeNonAlphanumeric("_.\\"), "\\x5F\\x2E\\x5C");
  EXPECT_EQ(EscapeNonAlphanumeric("\xC3\xA9"), "\\xC3\\xA9");  // upper-case hex digits
}

TEST(EscapeNonAlphanumeric, StdStringFormKeepsNulBytes) {
  EXPECT_EQ(EscapeNonAlphanumeric(std::string("a\0b", 3)), "a\\x00b");
}

TEST(EscapeBlanks, EscapesWhiteSpaceAndBackslashOnly) {
  EXPECT_EQ(EscapeBlanks("a b\\c\t\n\v\f\r."), "a\\x20b\\x5Cc\\x09\\x0A\\x0B\\x0C\\x0D.");
  EXPECT_EQ(EscapeBlanks("x_y-z\xC3\xA9"), "x_y-z\xC3\xA9");
}

TEST(Escaping, NullTextGivesEmptyText) {
  EXPECT_EQ(EscapeNonAlphanumeric(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(EscapeBlanks(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(Unescape(static_cast<const char*>(nullptr)), "");
}

TEST(Unescape, DecodesHexEscapes) {
  EXPECT_EQ(Unescape("a\\x20b"), "a b");
  EXPECT_EQ(Unescape("\\x5c\\x5C"), "\\\\");
  EXPECT_EQ(Unescape("\\x00"), std::string(1, '\0'));
  EXPECT_EQ(Unescape("\\xFf"), Bytes({0xFF}));
}

TEST(Unescape, HexEscapeNeedsTwoHexDigitsElseTheXIsLiteral) {
  EXPECT_EQ(Unescape("\\x"), "x");
  EXPECT_EQ(Unescape("\\x4"), "x4");
  EXPECT_EQ(Unescape("\\x4g"), "x4g");
  EXPECT_EQ(Unescape("\\xg4"), "xg4");
  EXPECT_EQ(Unescape("\\x414"), "A4");
}

TEST(Unescape, DecimalDigitStartsAnOctalValue) {
  EXPECT_EQ(Unescape("\\101"), "A");
  EXPECT_EQ(Unescape("\\1012"), "A2");  // three digits at most
  EXPECT_EQ(Unescape("\\0"), std::string(1, '\0'));
  EXPECT_EQ(Unescape("\\12"), "\n");     // fewer digits at the end of the text
  EXPECT_EQ(Unescape("\\1a"), "\001a");  // and before a non-digit
  EXPECT_EQ(Unescape("\\777"), Bytes({0777 & 0xFF}));
  EXPECT_EQ(Unescape("\\400"), std::string(1, '\0'));  // modulo 256
}

TEST(Unescape, EightAndNineCountWithTheirOwnValue) {
  EXPECT_EQ(Unescape("\\9"), Bytes({9}));
  EXPECT_EQ(Unescape("\\18"), Bytes({1 * 8 + 8}));
  EXPECT_EQ(Unescape("\\999"), Bytes({(9 * 64 + 9 * 8 + 9) & 0xFF}));
}

TEST(Unescape, OtherEscapedCharacterStandsForItself) {
  EXPECT_EQ(Unescape("\\q"), "q");
  EXPECT_EQ(Unescape("\\\\"), "\\");
  EXPECT_EQ(Unescape("a\\|b"), "a|b");
}

TEST(Unescape, TrailingLoneBackslashIsDropped) {
  EXPECT_EQ(Unescape("\\"), "");
  EXPECT_EQ(Unescape("ab\\"), "ab");
  EXPECT_EQ(Unescape("ab\\\\\\"), "ab\\");
}

TEST(Unescape, StdStringFormReadsPastNulBytes) {
  EXPECT_EQ(Unescape(std::string("\0\\x41", 5)), std::string("\0A", 2));
}

TEST(HexDigitValue, MapsHexDigitsAndGivesZeroForOthers) {
  EXPECT_EQ(HexDigitValue('0'), 0);
  EXPECT_EQ(HexDigitValue('9'), 9);
  EXPECT_EQ(HexDigitValue('A'), 10);
  EXPECT_EQ(HexDigitValue('f'), 15);
  EXPECT_EQ(HexDigitValue('g'), 0);
  EXPECT_EQ(HexDigitValue('\xFF'), 0);
}

TEST(EscapingRoundTrip, UnescapeUndoesBothEscapesOnRandomBytes) {
  std::mt19937 random(20240611);
  for (int n = 0; n < 3000; ++n) {
    const std::string text = RandomBytes(random, 40);
    ASSERT_EQ(Unescape(EscapeNonAlphanumeric(text)), text);
    ASSERT_EQ(Unescape(EscapeBlanks(text)), text);
  }
}

TEST(EscapingRoundTrip, EscapedFormMatchesTheIndependentReference) {
  std::mt19937 random(7);
  for (int n = 0; n < 1000; ++n) {
    const std::string text = RandomBytes(random, 30);
    ASSERT_EQ(EscapeNonAlphanumeric(text), ExpectedNonAlphanumericEscape(text));
  }
}

TEST(EscapingThreads, ConcurrentCallsEachGetTheirOwnResult) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      std::mt19937 random(static_cast<unsigned>(1000 + t));
      for (int n = 0; n < kRounds; ++n) {
        // Each thread's texts differ, so a shared buffer would hand one thread another's text.
        const std::string text = "thread " + std::to_string(t) + ":" + RandomBytes(random, 24);
        const std::string escaped = EscapeNonAlphanumeric(text);
        const std::string blanks = EscapeBlanks(text.c_str());
        if (escaped != ExpectedNonAlphanumericEscape(text) || Unescape(escaped) != text ||
            Unescape(blanks) != text.c_str()) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}
