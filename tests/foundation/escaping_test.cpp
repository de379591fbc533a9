#include "foundation/escaping.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
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

// Written independently of the library: "\xHH" for every byte outside [0-9A-Za-z] (the
// classic locale's alphanumerics).
std::string ExpectedNonAlphanumericEscape(const std::string& text) {
  std::string out;
  for (const unsigned char b : text) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, std::isalnum(b) != 0 ? "%c" : "\\x%02X", b);
    out += escaped;
  }
  return out;
}

}  // namespace

TEST(Escaping, EscapeBlanksWritesUpperCaseHexAndNullTextsEscapeToEmpty) {
  EXPECT_EQ(EscapeBlanks("a b\\c\t\n\v\f\r."), "a\\x20b\\x5Cc\\x09\\x0A\\x0B\\x0C\\x0D.");
  EXPECT_EQ(EscapeNonAlphanumeric(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(EscapeBlanks(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(Unescape(static_cast<const char*>(nullptr)), "");
}

TEST(Unescape, DecodesHexOctalAndOtherEscapes) {
  const struct {
    std::string escaped;
    std::string expected;
  } rows[] = {
      // Hex digits of either case; "\x" needs two of them, else the x is literal.
      {"\\xFf", "\xFF"},
      {"\\x4g", "x4g"},
      {"\\x414", "A4"},
      // A decimal digit starts an octal value of up to three digits, modulo 256; an 8 or 9
      // counts with its own value.
      {"\\1012", "A2"},
      {"\\1a", "\001a"},
      {"\\400", std::string(1, '\0')},
      {"\\18", "\x10"},
      // Any other escaped character stands for itself; a lone backslash at the end is dropped.
      {"ab\\\\\\", "ab\\"},
      {std::string("\0\\x41", 5), std::string("\0A", 2)},  // reads past NUL bytes
  };
  for (const auto& row : rows) EXPECT_EQ(Unescape(row.escaped), row.expected) << row.escaped;
}

// Random texts of all bytes, NUL included.
TEST(Escaping, RandomBytesMatchTheReferenceAndRoundTripOnConcurrentThreads) {
  constexpr int kThreads = 8;
  std::atomic<int> failures{0};
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
          ++failures;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
}
