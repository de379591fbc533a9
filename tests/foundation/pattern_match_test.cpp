#include "foundation/pattern_match.h"

#include <gtest/gtest.h>

#include <bitset>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "foundation/cx_dynamic.h"

namespace {

// --- A plain backtracking matcher, the reference the real one must agree with. ---

struct RefItem {
  enum Kind { kAny, kLiteral, kClass } kind = kAny;
  char literal = 'a';
  std::bitset<256> members;
  bool negated = false;
  bool closure = false;

  bool Accepts(char c) const {
    switch (kind) {
      case kAny:
        return true;
      case kLiteral:
        return (c == literal) != negated;
      case kClass:
        return members.test(static_cast<unsigned char>(c)) != negated;
    }
    return false;
  }
};

// Greedy closure, then the following items at the positions reached, longest first, down to
// one repetition, then zero repetitions.
bool RefMatch(const std::vector<RefItem>& items, std::size_t i, const std::string& text,
              std::size_t p) {
  if (i == items.size()) return true;
  const RefItem& item = items[i];
  if (!item.closure) {
    return p < text.size() && item.Accepts(text[p]) && RefMatch(items, i + 1, text, p + 1);
  }
  std::size_t q = p;
  while (q < text.size() && item.Accepts(text[q])) ++q;
  for (std::size_t r = q; r > p; --r) {
    if (RefMatch(items, i + 1, text, r)) return true;
  }
  return RefMatch(items, i + 1, text, p);
}

int RefFind(const std::vector<RefItem>& items, const std::string& text, int start) {
  if (start < 0) start = 0;
  for (std::size_t s = static_cast<std::size_t>(start); s <= text.size(); ++s) {
    if (RefMatch(items, 0, text, s)) return static_cast<int>(s);
  }
  return -1;
}

// Alphabet of subjects and literals: letters plus bytes that need escaping in a pattern.
const std::string kAlphabet = "abc-}*";

bool IsPatternMeta(char c) { return std::string("?*\\~{}").find(c) != std::string::npos; }

// A random item and its written form, escaping whatever needs it.
RefItem RandomItem(std::mt19937& random, std::string& written) {
  std::uniform_int_distribution<int> kind(0, 5);
  std::uniform_int_distribution<std::size_t> letter(0, kAlphabet.size() - 1);
  std::bernoulli_distribution coin(0.5);
  RefItem item;
  switch (kind(random)) {
    case 0:
      item.kind = RefItem::kAny;
      written += '?';
      break;
    case 1:
    case 2:
    case 3: {
      item.kind = RefItem::kLiteral;
      item.literal = kAlphabet[letter(random)];
      item.negated = coin(random) && coin(random);
      if (item.negated) written += '~';
      if (IsPatternMeta(item.literal) || (coin(random) && coin(random))) written += '\\';
      written += item.literal;
      break;
    }
    default: {
      item.kind = RefItem::kClass;
      item.negated = coin(random);
      written += item.negated ? "~{" : "{";
      const int members = std::uniform_int_distribution<int>(1, 3)(random);
      for (int m = 0; m < members; ++m) {
        if (coin(random) && coin(random)) {  // a range between two letters "a" to "c"
          const char first = static_cast<char>('a' + random() % 3);
          const char last = static_cast<char>(first + random() % ('c' - first + 1));
          for (char c = first; c <= last; ++c) item.members.set(static_cast<unsigned char>(c));
          written += first;
          written += '-';
          written += last;
        } else {
          const char c = kAlphabet[letter(random)];
          item.members.set(static_cast<unsigned char>(c));
          if (c == '}' || c == '\\' || c == '-' || (coin(random) && coin(random))) {
            written += '\\';
          }
          written += c;
        }
      }
      written += '}';
      break;
    }
  }
  item.closure = coin(random) && coin(random);
  if (item.closure) written += '*';
  return item;
}

std::string RandomText(std::mt19937& random, std::size_t max_length) {
  std::string text(std::uniform_int_distribution<std::size_t>(0, max_length)(random), 'a');
  for (char& c : text) c = kAlphabet[random() % kAlphabet.size()];
  return text;
}

// Builds the pattern, which must be illegal: reported by FindPattern on the standard error
// stream with its descriptor, and found nowhere.
void ExpectIllegal(const std::string& pattern, const CX_ErrorDescriptor& expected,
                   std::size_t offset) {
  const CX_TREPatternMatch matcher(pattern);
  EXPECT_FALSE(matcher.IsValid()) << pattern;
  ASSERT_NE(matcher.Error(), nullptr) << pattern;
  EXPECT_EQ(matcher.Error()->Text(), expected.Text()) << pattern;
  EXPECT_EQ(matcher.ErrorOffset(), offset) << pattern;
  testing::internal::CaptureStderr();
  const int found = FindPattern("any text {} ~ * \\", pattern, 0);
  const std::string reported = testing::internal::GetCapturedStderr();
  EXPECT_EQ(found, -1) << pattern;
  EXPECT_EQ(reported, expected.Text() + "\n") << pattern;
}

}  // namespace

TEST(FindPattern, FindsTheLiteralBar) {
  EXPECT_EQ(FindPattern("ab|cd", "\\|", 0), 2);
  EXPECT_EQ(FindPattern("ab|cd", "\\|", 2), 2);
  EXPECT_EQ(FindPattern("ab|cd", "\\|", 3), -1);
  EXPECT_EQ(FindPattern("a|b|c", "\\|", 2), 3);
}

TEST(FindPattern, MatchNeedNotReachTheEndOfTheText) {
  EXPECT_EQ(FindPattern("abc", "b", 0), 1);
  EXPECT_EQ(FindPattern("abcabc", "c?b", 0), 2);
  EXPECT_EQ(FindPattern("abc", "abcd", 0), -1);
}

TEST(FindPattern, StartOutsideTheTextIsClampedOrRejected) {
  EXPECT_EQ(FindPattern("abc", "a", -5), 0);
  EXPECT_EQ(FindPattern("abc", "", 3), 3);  // the end item alone matches at the very end
  EXPECT_EQ(FindPattern("abc", "", 4), -1);
  EXPECT_EQ(FindPattern("abc", "c*", 3), 3);
  EXPECT_EQ(FindPattern("abc", "?", 3), -1);
  EXPECT_EQ(FindPattern("", "", 0), 0);
}

TEST(FindPattern, ClosureGivesBackWhatTheRestNeeds) {
  EXPECT_EQ(FindPattern("aaab", "a*ab", 0), 0);
  EXPECT_EQ(FindPattern("xxcabd", "{abc}*d", 0), 2);
  EXPECT_EQ(FindPattern("xxay", "~x*y", 0), 2);
  EXPECT_EQ(FindPattern("abc", "?*z", 0), -1);
  EXPECT_EQ(FindPattern("abcz", "?*z", 0), 0);
  EXPECT_EQ(FindPattern("aaa", "a*a*a*a", 0), 0);
  EXPECT_EQ(FindPattern("aa", "a*a*a*aaa", 0), -1);
}

TEST(FindPattern, ClosureMayMatchNothing) {
  EXPECT_EQ(FindPattern("xyz", "q*", 0), 0);
  EXPECT_EQ(FindPattern("xyz", "q*y", 0), 1);
  EXPECT_EQ(FindPattern("xyz", "x*?*q*z", 0), 0);
  EXPECT_EQ(FindPattern("caab", "a**b", 0), 1);  // a second "*" changes nothing
}

TEST(FindPattern, EscapesAndNegation) {
  EXPECT_EQ(FindPattern("a*b", "\\*", 0), 1);
  EXPECT_EQ(FindPattern("a?b", "\\?", 0), 1);
  EXPECT_EQ(FindPattern("a~b", "\\~", 0), 1);
  EXPECT_EQ(FindPattern("{x}", "\\{x\\}", 0), 0);
  EXPECT_EQ(FindPattern("aab", "~a", 0), 2);
  EXPECT_EQ(FindPattern("a*b", "~\\*\\*", 0), 0);
  EXPECT_EQ(FindPattern("aaa", "~a", 0), -1);
  EXPECT_EQ(FindPattern("Aa", "a", 0), 1);  // case matters
}

TEST(FindPattern, ClassesWithRangesAndEscapes) {
  EXPECT_EQ(FindPattern("xy7z", "{0-9}", 0), 2);
  EXPECT_EQ(FindPattern("123a", "~{0-9}", 0), 3);
  EXPECT_EQ(FindPattern("ab}c", "{\\}}", 0), 2);
  EXPECT_EQ(FindPattern("ab-c", "{x\\-}", 0), 2);
  EXPECT_EQ(FindPattern("ab-c", "{-x}", 0), 2);  // "-" first is a member
  EXPECT_EQ(FindPattern("ab-c", "{x-}", 0), 2);  // and last
  EXPECT_EQ(FindPattern("a\\b", "{\\\\}", 0), 1);
  EXPECT_EQ(FindPattern("b-q", "{a-c-z}", 0), 0);
  EXPECT_EQ(FindPattern("xyz", "{a-c-w}", 0), -1);
  EXPECT_EQ(FindPattern("B", "{a-z}", 0), -1);
  EXPECT_EQ(FindPattern("b{", "{{}", 0), 1);  // "{" inside a class is a plain member
}

TEST(FindPattern, TheUnitIsTheByte) {
  const std::string text = "x\xC3\xA9y";  // "é" is two bytes
  EXPECT_EQ(FindPattern(text, "x??y", 0), 0);
  EXPECT_EQ(FindPattern(text, "x?y", 0), -1);
  EXPECT_EQ(FindPattern(text, "{\x80-\xFF}*y", 0), 1);
  EXPECT_EQ(FindPattern(text, "\xA9", 0), 2);
}

TEST(FindPattern, FailedCandidatesOfTheFirstLiteralDoNotHideLaterOnes) {
  EXPECT_EQ(FindPattern("a|a|b", "a\\|b", 0), 2);
  EXPECT_EQ(FindPattern("aaab", "ab", 0), 2);
  EXPECT_EQ(FindPattern("xaxaay", "ay", 1), 4);
  EXPECT_EQ(FindPattern("abab", "ab", 1), 2);
}

TEST(FindPattern, HostileClosuresFinishQuickly) {
  const std::string hostile = "a*a*a*a*a*a*a*a*a*a*b";
  std::string text(10000, 'a');
  EXPECT_EQ(FindPattern(text, hostile, 0), -1);
  text += 'b';
  EXPECT_EQ(FindPattern(text, hostile, 0), 0);
  EXPECT_EQ(FindPattern(std::string(10000, 'a'), "?*?*?*?*?*?*?*?*?*?*b", 0), -1);
}

TEST(FindPattern, LongTextWithEarlyMatchAndLongTextWithLateMatch) {
  std::string text(200000, 'x');
  text[7] = '|';
  EXPECT_EQ(FindPattern(text, "\\|", 0), 7);
  EXPECT_EQ(FindPattern(text, "\\|", 8), -1);
  text[199999] = '|';
  EXPECT_EQ(FindPattern(text, "\\|", 8), 199999);
}

TEST(PatternMatch, MatchesOnlyAtTheGivenPosition) {
  const CX_TREPatternMatch matcher("b*c");
  ASSERT_TRUE(matcher.IsValid());
  EXPECT_EQ(matcher.Error(), nullptr);
  EXPECT_FALSE(matcher.Matches("abbc", 0));
  EXPECT_TRUE(matcher.Matches("abbc", 1));
  EXPECT_TRUE(matcher.Matches("abbc", 2));
  EXPECT_TRUE(matcher.Matches("abbc", 3));
  EXPECT_FALSE(matcher.Matches("abbc", 4));
  EXPECT_FALSE(matcher.Matches("abbc", -1));
  EXPECT_FALSE(matcher.Matches("abbc", 5));
  EXPECT_EQ(matcher.Find("abbcbc", 2), 2);
}

TEST(PatternMatch, IllegalPatternsAreReported) {
  ExpectIllegal("}", CX_Errors::PatternIllegal, 0);
  ExpectIllegal("ab}", CX_Errors::PatternIllegal, 2);
  ExpectIllegal("a{bc", CX_Errors::PatternIllegal, 1);
  ExpectIllegal("{", CX_Errors::PatternIllegal, 0);
  ExpectIllegal("{a\\}", CX_Errors::PatternIllegal, 0);  // the escaped "}" does not close
  ExpectIllegal("abc\\", CX_Errors::PatternIllegal, 3);
  ExpectIllegal("*a", CX_Errors::PatternIllegal, 0);
  ExpectIllegal("a~", CX_Errors::PatternIllegal, 1);
  ExpectIllegal("~?", CX_Errors::PatternIllegal, 0);
  ExpectIllegal("a~*", CX_Errors::PatternIllegal, 1);
  ExpectIllegal("~~a", CX_Errors::PatternIllegal, 0);
  ExpectIllegal("{z-a}", CX_Errors::PatternIllegal, 2);
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
  for (int n = 0; n < 20000; ++n) {
    std::string pattern;
    std::vector<RefItem> items;
    const int count = std::uniform_int_distribution<int>(0, 5)(random);
    for (int k = 0; k < count; ++k) items.push_back(RandomItem(random, pattern));
    const std::string text = RandomText(random, 9);
    const int start =
        std::uniform_int_distribution<int>(-1, static_cast<int>(text.size()) + 1)(random);

    const CX_TREPatternMatch matcher(pattern);
    ASSERT_TRUE(matcher.IsValid()) << pattern;
    const int expected = start > static_cast<int>(text.size()) ? -1 : RefFind(items, text, start);
    ASSERT_EQ(matcher.Find(text, start), expected)
        << "pattern " << pattern << " text " << text << " start " << start;
    for (std::size_t p = 0; p <= text.size(); ++p) {
      ASSERT_EQ(matcher.Matches(text, static_cast<int>(p)), RefMatch(items, 0, text, p))
          << "pattern " << pattern << " text " << text << " at " << p;
    }
  }
}

TEST(PatternMatch, ArbitraryPatternTextsNeverMisbehave) {
  const std::string pieces = "ab?*\\~{}-";
  std::mt19937 random(99);
  int valid = 0;
  for (int n = 0; n < 20000; ++n) {
    std::string pattern(std::uniform_int_distribution<std::size_t>(0, 8)(random), ' ');
    for (char& c : pattern) c = pieces[random() % pieces.size()];
    const CX_TREPatternMatch matcher(pattern);
    ASSERT_EQ(matcher.IsValid(), matcher.Error() == nullptr);
    if (!matcher.IsValid()) {
      ASSERT_LT(matcher.ErrorOffset(), pattern.size()) << pattern;
      continue;
    }
    ++valid;
    const std::string text = RandomText(random, 12);
    const int found = matcher.Find(text, 0);
    ASSERT_GE(found, -1);
    ASSERT_LE(found, static_cast<int>(text.size()));
    // Nothing matches before the position found, and the position found does match.
    const int last = found == -1 ? static_cast<int>(text.size()) : found - 1;
    for (int p = 0; p <= last; ++p) ASSERT_FALSE(matcher.Matches(text, p)) << pattern;
    if (found != -1) {
      ASSERT_TRUE(matcher.Matches(text, found)) << pattern;
    }
  }
  EXPECT_GT(valid, 1000);  // the mix must exercise the matcher, not only the parser
}

// --- CX_TDynamic, the matcher's item store. ---

TEST(CxDynamic, GrowsInChunksOfThirtyTwoAndKeepsItems) {
  CX_TDynamic<int> array;
  EXPECT_EQ(array.Length(), 0u);
  EXPECT_EQ(array.Capacity(), 0u);
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
  EXPECT_EQ(copy[0], "changed");
  original = copy;
  EXPECT_EQ(original.Length(), 2u);
  EXPECT_EQ(original[1], "two");
}

TEST(CxDynamic, BadIndexOrSizeIsReportedAndThrown) {
  CX_TDynamic<int> array(3);
  const CX_TDynamic<int>& view = array;
  struct Case {
    std::function<void()> call;
    const CX_ErrorDescriptor& expected;
  };
  const Case cases[] = {
      {[&] { array[3] = 1; }, CX_Errors::DynamicSubscriptRange},
      {[&] { (void)view[99]; }, CX_Errors::DynamicSubscriptRange},
      {[&] { array.Replace(3, 1); }, CX_Errors::DynamicReplaceRange},
      {[&] { array.Resize(static_cast<std::size_t>(-1)); }, CX_Errors::DynamicResizeStorage},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    try {
      c.call();
      testing::internal::GetCapturedStderr();
      ADD_FAILURE() << "no CX_Exception for " << c.expected.Text();
    } catch (const CX_Exception& e) {
      EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected.Text() + "\n");
      EXPECT_EQ(e.Descriptor().Text(), c.expected.Text());
    }
  }
  EXPECT_EQ(array.Length(), 3u);  // a refused resize leaves the array as it was
}
