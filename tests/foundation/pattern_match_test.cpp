#include "foundation/pattern_match.h"

#include <gtest/gtest.h>

#include <bitset>
#include <random>
#include <string>
#include <vector>

#include "foundation/cx_dynamic.h"
#include "test_support.h"

namespace {

// --- A plain backtracking matcher, the reference the real one must agree with. ---

struct RefItem {
  enum Kind { kAny, kLiteral, kClass } kind = kAny;
  char literal = 'a';
  std::bitset<256> members;
  bool negated = false;
  bool closure = false;

  bool Accepts(char c) const {
    if (kind == kAny) return true;
    const bool listed =
        kind == kLiteral ? c == literal : members.test(static_cast<unsigned char>(c));
    return listed != negated;
  }
};

// Greedy closure, then the following items at the positions reached, longest first, down to
// zero repetitions.
bool RefMatch(const std::vector<RefItem>& items, std::size_t i, const std::string& text,
              std::size_t p) {
  if (i == items.size()) return true;
  const RefItem& item = items[i];
  if (!item.closure) {
    return p < text.size() && item.Accepts(text[p]) && RefMatch(items, i + 1, text, p + 1);
  }
  std::size_t q = p;
  while (q < text.size() && item.Accepts(text[q])) ++q;
  for (std::size_t r = q + 1; r > p; --r) {
    if (RefMatch(items, i + 1, text, r - 1)) return true;
  }
  return false;
}

int RefFind(const std::vector<RefItem>& items, const std::string& text, int start) {
  for (std::size_t s = static_cast<std::size_t>(std::max(start, 0)); s <= text.size(); ++s) {
    if (RefMatch(items, 0, text, s)) return static_cast<int>(s);
  }
  return -1;
}

// Alphabet of subjects and literals: letters plus bytes that need escaping in a pattern.
const std::string kAlphabet = "abc-}*";

// A random item and its written form, escaping whatever needs it (and some bytes that do not).
RefItem RandomItem(std::mt19937& random, std::string& written) {
  auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  auto letter = [&] { return kAlphabet[random() % kAlphabet.size()]; };
  RefItem item;
  const int kind = static_cast<int>(random() % 6);
  if (kind == 0) {
    item.kind = RefItem::kAny;
    written += '?';
  } else if (kind <= 3) {
    item.kind = RefItem::kLiteral;
    item.literal = letter();
    item.negated = chance(25);
    if (item.negated) written += '~';
    if (item.literal == '}' || item.literal == '*' || chance(25)) written += '\\';
    written += item.literal;
  } else {
    item.kind = RefItem::kClass;
    item.negated = chance(50);
    written += item.negated ? "~{" : "{";
    for (int m = 1 + static_cast<int>(random() % 3); m > 0; --m) {
      if (chance(25)) {  // a range between two letters "a" to "c"
        const char first = static_cast<char>('a' + random() % 3);
        const char last = static_cast<char>(first + random() % ('c' - first + 1));
        for (char c = first; c <= last; ++c) item.members.set(static_cast<unsigned char>(c));
        written += std::string{first, '-', last};
      } else {
        const char c = letter();
        item.members.set(static_cast<unsigned char>(c));
        if (c == '}' || c == '-' || chance(25)) written += '\\';
        written += c;
      }
    }
    written += '}';
  }
  item.closure = chance(25);
  if (item.closure) written += '*';
  return item;
}

std::string RandomText(std::mt19937& random, std::size_t max_length) {
  std::string text(random() % (max_length + 1), 'a');
  for (char& c : text) c = kAlphabet[random() % kAlphabet.size()];
  return text;
}

// Builds the pattern, which must be illegal: reported by FindPattern on the standard error
// stream with its descriptor, and found nowhere.
void ExpectIllegal(const std::string& pattern, const CX_ErrorDescriptor& expected,
                   std::size_t offset) {
  SCOPED_TRACE(pattern);
  const CX_TREPatternMatch matcher(pattern);
  ASSERT_NE(matcher.Error(), nullptr);
  EXPECT_FALSE(matcher.IsValid());
  EXPECT_EQ(matcher.Error()->Text(), expected.Text());
  EXPECT_EQ(matcher.ErrorOffset(), offset);
  testing::internal::CaptureStderr();
  const int found = FindPattern("any text {} ~ * \\", pattern, 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), expected.Text() + "\n");
  EXPECT_EQ(found, -1);
}

struct FindRow {
  const char* text;
  const char* pattern;
  int start;
  int expected;  // position found, or -1
};

template <std::size_t N>
void ExpectFinds(const FindRow (&rows)[N]) {
  for (const FindRow& row : rows) {
    EXPECT_EQ(FindPattern(row.text, row.pattern, row.start), row.expected)
        << "text " << row.text << " pattern " << row.pattern << " start " << row.start;
  }
}

}  // namespace

// Plain letters, closures, negation and start positions are compared with a reference on random
// patterns below; these rows cover what that alphabet leaves out.
TEST(FindPattern, FindsTheFirstMatchFromTheStartWithoutNeedingTheEndOfTheText) {
  const FindRow rows[] = {{"ab|cd", "\\|", 2, 2},   {"ab|cd", "\\|", 3, -1}, {"a|b|c", "\\|", 2, 3},
                          {"a|a|b", "a\\|b", 0, 2}, {"abcabc", "c?b", 0, 2}, {"abc", "abcd", 0, -1},
                          {"abc", "", 3, 3},        {"abc", "", 4, -1},      {"abc", "a", -5, 0}};
  ExpectFinds(rows);
}

TEST(FindPattern, ClosuresGiveBackWhatTheRestNeedsAndMayMatchNothing) {
  const FindRow rows[] = {{"aaab", "a*ab", 0, 0},
                          {"xxay", "~x*y", 0, 2},
                          {"xyz", "x*?*q*z", 0, 0},
                          {"caab", "a**b", 0, 1}};  // a second "*" changes nothing
  ExpectFinds(rows);
}

TEST(FindPattern, EscapesNegationAndCase) {
  const FindRow rows[] = {{"a?b", "\\?", 0, 1},     {"a~b", "\\~", 0, 1}, {"{x}", "\\{x\\}", 0, 0},
                          {"a*b", "~\\*\\*", 0, 0}, {"aaa", "~a", 0, -1}, {"Aa", "a", 0, 1}};
  ExpectFinds(rows);
}

TEST(FindPattern, ClassesWithRangesEscapedMembersAndPlainDashesAndBraces) {
  const FindRow rows[] = {{"123a", "~{0-9}", 0, 3}, {"ab}c", "{\\}}", 0, 2},
                          {"ab-c", "{x\\-}", 0, 2}, {"ab-c", "{-x}", 0, 2},
                          {"ab-c", "{x-}", 0, 2},   {"a\\b", "{\\\\}", 0, 1},
                          {"b-q", "{a-c-z}", 0, 0}, {"xyz", "{a-c-w}", 0, -1},
                          {"B", "{a-z}", 0, -1},    {"b{", "{{}", 0, 1}};
  ExpectFinds(rows);
}

TEST(FindPattern, TheUnitIsTheByteNotTheCharacter) {
  const char* text = "x\xC3\xA9y";  // one character of two bytes between x and y
  const FindRow rows[] = {{text, "x??y", 0, 0},
                          {text, "x?y", 0, -1},
                          {text, "{\x80-\xFF}*y", 0, 1},
                          {text, "\xA9", 0, 2}};
  ExpectFinds(rows);
}

TEST(FindPattern, HostileClosuresAndLongTextsFinishQuickly) {
  const std::string hostile = "a*a*a*a*a*a*a*a*a*a*b";
  std::string text(10000, 'a');
  EXPECT_EQ(FindPattern(text, hostile, 0), -1);
  EXPECT_EQ(FindPattern(text, "?*?*?*?*?*?*?*?*?*?*b", 0), -1);
  EXPECT_EQ(FindPattern(text + 'b', hostile, 0), 0);

  std::string long_text(200000, 'x');
  long_text[7] = '|';
  EXPECT_EQ(FindPattern(long_text, "\\|", 0), 7);
  EXPECT_EQ(FindPattern(long_text, "\\|", 8), -1);
  long_text[199999] = '|';
  EXPECT_EQ(FindPattern(long_text, "\\|", 8), 199999);
}

TEST(PatternMatch, MatchesOnlyAtTheGivenPosition) {
  const CX_TREPatternMatch matcher("b*c");
  ASSERT_TRUE(matcher.IsValid());
  EXPECT_EQ(matcher.Error(), nullptr);
  const bool expected[] = {false, true, true, true, false, false};  // positions 0 to 5
  for (int p = 0; p <= 5; ++p) EXPECT_EQ(matcher.Matches("abbc", p), expected[p]) << p;
  EXPECT_FALSE(matcher.Matches("abbc", -1));
  EXPECT_EQ(matcher.Find("abbcbc", 2), 2);
}

// In "{a\}" the escaped "}" does not close the class.
TEST(PatternMatch, IllegalPatternsAreReportedWithTheOffsetOfTheirFault) {
  const struct {
    const char* pattern;
    std::size_t offset;
  } rows[] = {{"}", 0},  {"ab}", 2}, {"a{bc", 1}, {"{", 0},   {"abc\\", 3}, {"*a", 0},
              {"a~", 1}, {"~?", 0},  {"a~*", 1},  {"~~a", 0}, {"{z-a}", 2}, {"{a\\}", 0}};
  for (const auto& row : rows) ExpectIllegal(row.pattern, CX_Errors::PatternIllegal, row.offset);
  ExpectIllegal("x{}", CX_Errors::PatternEmptyClass, 1);
}

TEST(PatternMatch, InvalidMatcherReportsOnEveryUse) {
  const CX_TREPatternMatch matcher("a}");
  testing::internal::CaptureStderr();
  EXPECT_EQ(matcher.Find("a}", 0), -1);
  EXPECT_FALSE(matcher.Matches("a}", 0));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Illegal_Pattern (who: CX_TREPatternMatch, what: illegal pattern)\n"
            "Illegal_Pattern (who: CX_TREPatternMatch, what: illegal pattern)\n");
}

TEST(PatternMatch, AgreesWithBacktrackingOnRandomPatterns) {
  std::mt19937 random(424242);
  for (int n = 0; n < 8000; ++n) {
    std::string pattern;
    std::vector<RefItem> items;
    for (int k = static_cast<int>(random() % 6); k > 0; --k) {
      items.push_back(RandomItem(random, pattern));
    }
    const std::string text = RandomText(random, 9);
    const int start = static_cast<int>(random() % (text.size() + 3)) - 1;  // -1 to length + 1
    SCOPED_TRACE("pattern " + pattern + " text " + text + " start " + std::to_string(start));

    const CX_TREPatternMatch matcher(pattern);
    ASSERT_TRUE(matcher.IsValid());
    const int expected = start > static_cast<int>(text.size()) ? -1 : RefFind(items, text, start);
    ASSERT_EQ(matcher.Find(text, start), expected);
    for (std::size_t p = 0; p <= text.size(); ++p) {
      ASSERT_EQ(matcher.Matches(text, static_cast<int>(p)), RefMatch(items, 0, text, p)) << p;
    }
  }
}

TEST(PatternMatch, ArbitraryPatternTextsNeverMisbehave) {
  const std::string pieces = "ab?*\\~{}-";
  std::mt19937 random(99);
  int valid = 0;
  for (int n = 0; n < 8000; ++n) {
    std::string pattern(random() % 9, ' ');
    for (char& c : pattern) c = pieces[random() % pieces.size()];
    SCOPED_TRACE(pattern);
    const CX_TREPatternMatch matcher(pattern);
    ASSERT_EQ(matcher.IsValid(), matcher.Error() == nullptr);
    if (!matcher.IsValid()) {
      ASSERT_LT(matcher.ErrorOffset(), pattern.size());
      continue;
    }
    ++valid;
    const std::string text = RandomText(random, 12);
    const int found = matcher.Find(text, 0);
    ASSERT_GE(found, -1);
    ASSERT_LE(found, static_cast<int>(text.size()));
    // Nothing matches before the position found, and the position found does match.
    const int last = found == -1 ? static_cast<int>(text.size()) : found - 1;
    for (int p = 0; p <= last; ++p) ASSERT_FALSE(matcher.Matches(text, p));
    if (found != -1) {
      ASSERT_TRUE(matcher.Matches(text, found));
    }
  }
  EXPECT_GT(valid, 400);  // the mix must exercise the matcher, not only the parser
}

// --- CX_TDynamic, the matcher's item store. ---

TEST(CxDynamic, GrowsInChunksOfThirtyTwoAndKeepsItems) {
  CX_TDynamic<int> array;
  for (int i = 0; i < 33; ++i) {
    array.Append(i * 3);
    EXPECT_EQ(array.Capacity(), i < 32 ? 32u : 64u);
  }
  ASSERT_EQ(array.Length(), 33u);
  for (std::size_t i = 0; i < array.Length(); ++i) EXPECT_EQ(array[i], static_cast<int>(i) * 3);
}

TEST(CxDynamic, ResizeAddsDefaultItemsAndShrinkingResetsDroppedOnes) {
  CX_TDynamic<std::string> array(2);
  array.Replace(1, "kept");
  array.Resize(70);
  EXPECT_EQ(array.Capacity(), 96u);
  EXPECT_EQ(array[1], "kept");
  EXPECT_EQ(array[69], "");
  array.Replace(69, "dropped");
  array.Resize(3);
  EXPECT_EQ(array.Length(), 3u);
  EXPECT_EQ(array.Capacity(), 96u);
  array.Resize(70);
  EXPECT_EQ(array[69], "");  // not the dropped item come back
}

TEST(CxDynamic, CopiesAreIndependent) {
  CX_TDynamic<std::string> original;
  original.Append("one");
  CX_TDynamic<std::string> copy = original;
  copy.Replace(0, "changed");
  copy.Append("two");
  EXPECT_EQ(original.Length(), 1u);
  EXPECT_EQ(original[0], "one");
  original = copy;
  EXPECT_EQ(original.Length(), 2u);
  EXPECT_EQ(original[1], "two");
}

TEST(CxDynamic, BadIndexOrSizeIsReportedAndThrown) {
  CX_TDynamic<int> array(3);
  const CX_TDynamic<int>& view = array;
  ExpectRejected([&] { array[3] = 1; }, CX_Errors::DynamicSubscriptRange);
  ExpectRejected([&] { (void)view[99]; }, CX_Errors::DynamicSubscriptRange);
  ExpectRejected([&] { array.Replace(3, 1); }, CX_Errors::DynamicReplaceRange);
  ExpectRejected([&] { array.Resize(static_cast<std::size_t>(-1)); },
                 CX_Errors::DynamicResizeStorage);
  EXPECT_EQ(array.Length(), 3u);  // a refused resize leaves the array as it was
}
