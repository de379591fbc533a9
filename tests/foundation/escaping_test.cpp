#include "foundation/escaping.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string RandomBytes(std::mt19937& random, std::size_t max_length) {
  std::string text(random() % (max_length + 1), '\0');
  for (char& c : text) c = static_cast<char>(random() % 256);
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

TEST(Escaping, EscapeWritesUpperCaseHexForTheBytesItEscapes) {
  EXPECT_EQ(EscapeNonAlphanumeric("Az09_.\\\xC3\xA9"), "Az09\\x5F\\x2E\\x5C\\xC3\\xA9");
  EXPECT_EQ(EscapeNonAlphanumeric(std::string("a\0b", 3)), "a\\x00b");
  EXPECT_EQ(EscapeBlanks("a b\\c\t\n\v\f\r."), "a\\x20b\\x5Cc\\x09\\x0A\\x0B\\x0C\\x0D.");
  EXPECT_EQ(EscapeBlanks("x_y-z\xC3\xA9"), "x_y-z\xC3\xA9");
  EXPECT_EQ(EscapeNonAlphanumeric(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(EscapeBlanks(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(Unescape(static_cast<const char*>(nullptr)), "");
}

TEST(Unescape, DecodesHexOctalAndOtherEscapes) {
  const struct {
    std::string escaped;
    std::string expected;
  } rows[] = {
      {"a\\x20b", "a b"},
      {"\\x5c\\x5C", "\\\\"},
      {"\\xFf", "\xFF"},
      {"\\x00", std::string(1, '\0')},
      // "\x" needs two hex digits, else the x is literal.
      {"\\x", "x"},
      {"\\x4", "x4"},
      {"\\x4g", "x4g"},
      {"\\xg4", "xg4"},
      {"\\x414", "A4"},
      // A decimal digit starts an octal value of up to three digits, modulo 256.
      {"\\101", "A"},
      {"\\1012", "A2"},
      {"\\12", "\n"},
      {"\\1a", "\001a"},
      {"\\777", "\xFF"},
      {"\\400", std::string(1, '\0')},
      // An 8 or 9 counts with its own value.
      {"\\9", "\t"},
      {"\\18", "\x10"},
      {"\\999", std::string(1, static_cast<char>((9 * 64 + 9 * 8 + 9) & 0xFF))},
      // Any other escaped character stands for itself; a lone backslash at the end is dropped.
      {"a\\|b", "a|b"},
      {"\\\\", "\\"},
      {"ab\\", "ab"},
      {"ab\\\\\\", "ab\\"},
      {std::string("\0\\x41", 5), std::string("\0A", 2)},  // reads past NUL bytes
  };
  for (const auto& row : rows) EXPECT_EQ(Unescape(row.escaped), row.expected) << row.escaped;
  EXPECT_EQ(HexDigitValue('f'), 15);
  EXPECT_EQ(HexDigitValue('g'), 0);
}

// Random texts of all bytes, NUL included: the escapes match the reference and round-trip, also
// when several threads escape at once.
TEST(Escaping, RandomBytesMatchTheReferenceAndRoundTripOnConcurrentThreads) {
  constexpr int kThreads = 8;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      std::mt19937 random(static_cast<unsigned>(1000 + t));
      for (int n = 0; n < 2000; ++n) {
        // Each thread's texts differ, so a shared buffer would hand one thread another's text.
        const std::string text = "thread " + std::to_string(t) + ":" + RandomBytes(random, 24);
        const std::string escaped = EscapeNonAlphanumeric(text);
        if (escaped != ExpectedNonAlphanumericEscape(text) || Unescape(escaped) != text ||
            Unescape(EscapeBlanks(text)) != text) {
          ++failures[t];
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}
