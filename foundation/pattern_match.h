// CX_TREPatternMatch: a tiny regular-expression language for searching texts.
//
//   ?        any single character
//   *        the preceding item zero or more times (there must be one; "a**" is "a*")
//   \c       the character c taken literally
//   ~        negates the literal or class that follows at once ("~a": any character but "a");
//            a "~" before anything else ("~?", "~*", "~~", a final "~") is illegal
//   {...}    a class: any character listed; "a-z" is a range of code points (both ends
//            included, first <= last), "\c" puts c in the class literally (so "\}", "\-",
//            "\\"); a "-" first, last or escaped is a plain member; an empty class is illegal
//   }        illegal outside a class
//   other    that character literally
//
// Texts are UTF-8, a multibyte code page: the unit is the whole character, so "?" takes "é"
// and a match never starts inside one. A byte that is not part of valid UTF-8 is a character of
// its own, equal only to the same byte. Positions are byte offsets. A match starts at a position
// and needs the items only, not the rest of the text. The search is a simultaneous walk of all
// ways the closures can repeat (O(items x text length)), which finds the same start positions
// as trying each repetition count by backtracking, without its exponential cost. A built matcher
// is immutable; const calls may run on several threads.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "foundation/cx_dynamic.h"
#include "foundation/cx_error_descriptor.h"

namespace CX_Errors {
inline constexpr const char* kIllegalPattern = "Illegal_Pattern";
inline constexpr CX_ErrorDescriptor PatternIllegal(kIllegalPattern, "CX_TREPatternMatch",
                                                   "illegal pattern");
inline constexpr CX_ErrorDescriptor PatternEmptyClass(kIllegalPattern, "CX_TREPatternMatch",
                                                      kEmpty);
}  // namespace CX_Errors

class CX_TREPatternMatch {
 public:
  // Builds the matcher; an illegal pattern gives an invalid matcher (see IsValid, Error).
  explicit CX_TREPatternMatch(const std::string& pattern);

  // Whether the pattern was legal.
  bool IsValid() const { return error_ == nullptr; }

  // The descriptor of the pattern's fault, or null for a valid pattern.
  const CX_ErrorDescriptor* Error() const { return error_; }

  // Byte offset in the pattern where the fault was found (0 for a valid pattern).
  std::size_t ErrorOffset() const { return error_offset_; }

  // The first position >= start where the items match, or -1. A start below 0 counts as 0; a
  // start past the end, or a match past the largest int, gives -1. An invalid pattern reports
  // its descriptor with CX_ReportError and gives -1.
  int Find(const std::string& text, int start) const;

  // Whether the items match at exactly this position (false outside 0..length). An invalid
  // pattern reports its descriptor with CX_ReportError and gives false.
  bool Matches(const std::string& text, int position) const;

 private:
  struct Item {
    enum class Kind : unsigned char { kAny, kLiteral, kClass, kEnd };
    Kind kind = Kind::kEnd;
    bool negated = false;
    bool closure = false;
    char32_t literal = 0;
    std::bitset<128> ascii;                             // for kClass: members below 0x80
    std::vector<std::pair<char32_t, char32_t>> ranges;  // for kClass: the others, inclusive

    bool Accepts(char32_t c) const;
  };

  void Build(const std::string& pattern);
  void Fail(const CX_ErrorDescriptor& descriptor, std::size_t offset);

  // The smallest start position from `from` on (only `from` itself when anchored) where the
  // items match, or npos.
  std::size_t Search(const std::string& text, std::size_t from, bool anchored) const;

  CX_TDynamic<Item> items_;  // ends with the end item once built
  const CX_ErrorDescriptor* error_ = nullptr;
  std::size_t error_offset_ = 0;
};

// The first position >= start in text where the pattern matches, or -1 (see
// CX_TREPatternMatch::Find); an illegal pattern is reported on the standard error stream.
int FindPattern(const std::string& text, const std::string& pattern, int start);
