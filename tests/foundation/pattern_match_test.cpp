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

// Builds the pattern, which must be illegal with this descriptor and fault offset.
void ExpectIllegal(const std::string& pattern, const CX_ErrorDescriptor& expected,
                   std::size_t offset) {
  SCOPED_TRACE(pattern);
  const CX_TREPatternMatch matcher(pattern);
  ASSERT_NE(matcher.Error(), nullptr);
  EXPECT_FALSE(matcher.IsValid());
  EXPECT_EQ(matcher.Error()->Text(), expected.Text());
  EXPECT_EQ(matcher.ErrorOffset(), offset);
}

}  // namespace

// Random patterns below are compared with a reference over a small alphabet; these cases cover
// the syntax that alphabet leaves out.
TEST(FindPattern, EscapesCaseDoubleClosuresAndLiteralDashesAndBracesInClasses) {
  EXPECT_EQ(FindPattern("a|a|b", "a\\|b", 0), 2);  // retries after a partial match
  EXPECT_EQ(FindPattern("a?b", "\\?", 0), 1);
  EXPECT_EQ(FindPattern("{x}", "\\{x\\}", 0), 0);
  EXPECT_EQ(FindPattern("Aa", "a", 0), 1);
  EXPECT_EQ(FindPattern("caab", "a**b", 0), 1);  // a second "*" changes nothing
  EXPECT_EQ(FindPattern("ab-c", "{x-}", 0), 2);
  EXPECT_EQ(FindPattern("b-q", "{a-c-z}", 0), 0);
  EXPECT_EQ(FindPattern("xyz", "{a-c-w}", 0), -1);
  EXPECT_EQ(FindPattern("b{", "{{}", 0), 1);
}

// Texts are UTF-8: every item takes a whole character, and positions are byte offsets.
TEST(FindPattern, TheUnitIsTheWholeCharacter) {
  const std::string text = "x\xC3\xA9y\xE2\x82\xACz";  // "x", "é", "y", "€", "z"
  EXPECT_EQ(FindPattern(text, "x?y", 0), 0);
  EXPECT_EQ(FindPattern(text, "x??y", 0), -1);
  EXPECT_EQ(FindPattern(text, "y?z", 0), 3);
  EXPECT_EQ(FindPattern(text, "?y", 0), 1);  // never from the middle of "é"
  EXPECT_EQ(FindPattern(text, "\xC3\xA9*y", 0), 1);
  EXPECT_EQ(FindPattern(text, "x~\xC3\xA9", 0), -1);
  EXPECT_EQ(FindPattern(text, "y~a", 0), 3);
  EXPECT_EQ(FindPattern(text, "{\xE2\x82\xAC\xC3\xA9}z", 0), 4);
  EXPECT_EQ(FindPattern(text, "{\xC3\xA0-\xC3\xBF}", 0), 1);  // a range of code points
  EXPECT_EQ(FindPattern(text, "~{a-z}", 2), 2);  // a start inside "é" takes its stray byte
  // A byte that is not UTF-8 is a character of its own, equal only to itself.
  const std::string stray = std::string("a\xE9") + 'b';
  EXPECT_EQ(FindPattern(stray, "a?b", 0), 0);
  EXPECT_EQ(FindPattern(stray, "\xE9", 0), 1);
  EXPECT_EQ(FindPattern(std::string("a\xC3\xA9") + 'b', "\xC3", 0), -1);
}

TEST(FindPattern, ManyHostileClosuresOnLongTextsFinishQuicklyAndAllCount) {
  // Over 32 items, so the matcher's item store also grows past its first chunk.
  std::string hostile;
  for (int i = 0; i < 40; ++i) hostile += "a*";
  hostile += 'b';
  std::string text(10000, 'a');
  EXPECT_EQ(FindPattern(text, hostile, 0), -1);
  EXPECT_EQ(FindPattern(text, "?*?*?*?*?*?*?*?*?*?*b", 0), -1);
  EXPECT_EQ(FindPattern(text + 'b', hostile, 0), 0);
}

// In "{a\}" the escaped "}" does not close the class.
TEST(PatternMatch, IllegalPatternsAreReportedWithTheOffsetOfTheirFault) {
  const struct {
    const char* pattern;
    std::size_t offset;
  } rows[] = {{"ab}", 2}, {"a{bc", 1}, {"abc\\", 3}, {"*a", 0},   {"a~", 1},
              {"~?", 0},  {"~~a", 0},  {"{z-a}", 2}, {"{a\\}", 0}};
  for (const auto& row : rows) ExpectIllegal(row.pattern, CX_Errors::PatternIllegal, row.offset);
  ExpectIllegal("x{}", CX_Errors::PatternEmptyClass, 1);
}

TEST(PatternMatch, InvalidPatternIsReportedOnEveryUseAndFoundNowhere) {
  const CX_TREPatternMatch matcher("a}");
  testing::internal::CaptureStderr();
  EXPECT_EQ(matcher.Find("a}", 0), -1);
  EXPECT_FALSE(matcher.Matches("a}", 0));
  EXPECT_EQ(FindPattern("a}", "a}", 0), -1);
  const std::string report = "Illegal_Pattern (who: CX_TREPatternMatch, what: illegal pattern)\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), report + report + report);
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
    ASSERT_FALSE(matcher.Matches(text, -1));
  }
}

// Random texts over the pattern syntax, legal or not: no crash, the fault lies inside the
// pattern, and a legal one matches where it says it found something.
TEST(PatternMatch, ArbitraryPatternTextsNeverMisbehave) {
  const std::string pieces = "ab?*\\~{}-";
  std::mt19937 random(99);
  int valid = 0;
  for (int n = 0; n < 8000; ++n) {
    std::string pattern(random() % 9, ' ');
    for (char& c : pattern) c = pieces[random() % pieces.size()];
    SCOPED_TRACE(pattern);
    const CX_TREPatternMatch matcher(pattern);
    if (!matcher.IsValid()) {
      ASSERT_LT(matcher.ErrorOffset(), pattern.size());
      continue;
    }
    ++valid;
    const std::string text = RandomText(random, 12);
    const int found = matcher.Find(text, 0);
    ASSERT_TRUE(found == -1 || matcher.Matches(text, found)) << found;
  }
  EXPECT_GT(valid, 400);  // the mix must exercise the matcher, not only the parser
}

TEST(CxDynamic, BadIndexOrSizeIsReportedAndThrown) {
  CX_TDynamic<int> array(3);
  ExpectRejected([&] { array[3] = 1; }, CX_Errors::DynamicSubscriptRange);
  ExpectRejected([&] { array.Replace(3, 1); }, CX_Errors::DynamicReplaceRange);
  ExpectRejected([&] { array.Resize(static_cast<std::size_t>(-1)); },
                 CX_Errors::DynamicResizeStorage);
  EXPECT_EQ(array.Length(), 3u);  // a refused resize leaves the array as it was
}
