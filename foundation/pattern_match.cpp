#include "foundation/pattern_match.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "foundation/utf8.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// What a byte that is not part of valid UTF-8 reads as: a unit above every code point, so it
// equals only the same byte.
constexpr char32_t kStrayByte = 0x110000;

unsigned char Byte(char c) { return static_cast<unsigned char>(c); }

// The character that starts at text[at] and its length in bytes: a valid UTF-8 sequence gives
// its code point, any other byte a stray-byte unit of its own.
std::size_t CharacterAt(const std::string& text, std::size_t at, char32_t& unit) {
  const std::size_t length = DecodeUtf8Char(text, at, unit);
  if (length != 0) return length;
  unit = kStrayByte + Byte(text[at]);
  return 1;
}

// One member written inside a class, before ranges are resolved.
struct ClassElement {
  char32_t character;
  bool escaped;  // an escaped "-" is a member, never a range mark
  std::size_t offset;
};

}  // namespace

bool CX_TREPatternMatch::Item::Accepts(char32_t c) const {
  switch (kind) {
    case Kind::kAny:
      return true;
    case Kind::kLiteral:
      return (c == literal) != negated;
    case Kind::kClass: {
      bool listed = c < 0x80 && ascii.test(c);
      for (std::size_t r = 0; !listed && r < ranges.size(); ++r)
        listed = c >= ranges[r].first && c <= ranges[r].second;
      return listed != negated;
    }
    case Kind::kEnd:
      break;
  }
  return false;
}

CX_TREPatternMatch::CX_TREPatternMatch(const std::string& pattern) { Build(pattern); }

void CX_TREPatternMatch::Fail(const CX_ErrorDescriptor& descriptor, std::size_t offset) {
  error_ = &descriptor;
  error_offset_ = offset;
  items_.Clear();
}

void CX_TREPatternMatch::Build(const std::string& pattern) {
  enum class State { kNormal, kEscape, kClass, kClassEscape };
  State state = State::kNormal;
  bool negate_next = false;
  std::size_t negation_offset = 0;
  std::size_t class_offset = 0;
  std::vector<ClassElement> elements;

  auto append = [&](Item item) {
    item.negated = negate_next;
    negate_next = false;
    items_.Append(item);
  };
  auto append_literal = [&](char32_t c) {
    Item item;
    item.kind = Item::Kind::kLiteral;
    item.literal = c;
    append(item);
  };
  // Resolves "a-z" ranges; false (after Fail) for an empty class or a reversed range.
  auto close_class = [&]() {
    if (elements.empty()) {
      Fail(CX_Errors::PatternEmptyClass, class_offset);
      return false;
    }
    Item item;
    item.kind = Item::Kind::kClass;
    for (std::size_t k = 0; k < elements.size(); ++k) {
      const bool range =
          k + 2 < elements.size() && elements[k + 1].character == '-' && !elements[k + 1].escaped;
      char32_t first = elements[k].character;
      char32_t last = first;
      if (range) {
        last = elements[k + 2].character;
        if (first > last) {
          Fail(CX_Errors::PatternIllegal, elements[k + 1].offset);
          return false;
        }
        k += 2;
      }
      for (; first <= last && first < 0x80; ++first) item.ascii.set(first);
      if (first <= last) item.ranges.emplace_back(first, last);
    }
    append(item);
    return true;
  };

  std::size_t length = 0;
  for (std::size_t i = 0; i < pattern.size(); i += length) {
    char32_t c;
    length = CharacterAt(pattern, i, c);
    switch (state) {
      case State::kNormal:
        // "~" negates only a literal or a class; before anything else it is a fault.
        if (negate_next && (c == '?' || c == '*' || c == '~' || c == '}')) {
          Fail(CX_Errors::PatternIllegal, negation_offset);
          return;
        }
        if (c == '?') {
          Item item;
          item.kind = Item::Kind::kAny;
          append(item);
        } else if (c == '\\') {
          state = State::kEscape;
        } else if (c == '~') {
          negate_next = true;
          negation_offset = i;
        } else if (c == '*') {
          if (items_.Length() == 0) {
            Fail(CX_Errors::PatternIllegal, i);
            return;
          }
          items_[items_.Length() - 1].closure = true;
        } else if (c == '{') {
          state = State::kClass;
          class_offset = i;
          elements.clear();
        } else if (c == '}') {
          Fail(CX_Errors::PatternIllegal, i);
          return;
        } else {
          append_literal(c);
        }
        break;
      case State::kEscape:
        append_literal(c);
        state = State::kNormal;
        break;
      case State::kClass:
        if (c == '}') {
          if (!close_class()) return;
          state = State::kNormal;
        } else if (c == '\\') {
          state = State::kClassEscape;
        } else {
          elements.push_back({c, false, i});
        }
        break;
      case State::kClassEscape:
        elements.push_back({c, true, i});
        state = State::kClass;
        break;
    }
  }

  if (state == State::kEscape) {
    Fail(CX_Errors::PatternIllegal, pattern.size() - length);
    return;
  }
  if (state == State::kClass || state == State::kClassEscape) {
    Fail(CX_Errors::PatternIllegal, class_offset);
    return;
  }
  if (negate_next) {
    Fail(CX_Errors::PatternIllegal, negation_offset);
    return;
  }
  items_.Append(Item());  // the end item
}

// Walks the text once, holding for every item the smallest start position from which the
// items before it have matched the text so far. Ways that reach the same item at the same
// position behave alike from there on, so keeping only the smallest start loses no answer.
std::size_t CX_TREPatternMatch::Search(const std::string& text, std::size_t from,
                                       bool anchored) const {
  const std::size_t count = items_.Length();
  const std::size_t end_item = count - 1;
  const Item* const items = &items_[0];  // checked once here, then read in the hot loop
  const std::size_t length = text.size();
  std::vector<std::size_t> best(count, kNone);
  std::vector<std::size_t> next(count, kNone);
  std::size_t answer = kNone;
  // With nothing under way, an unanchored search can only start at the next occurrence of a
  // plain first literal ("\|", the common case): jump there instead of stepping character by
  // character. A valid UTF-8 sequence is found only where a character starts.
  const Item& first = items[0];
  const bool jump_to_first_literal = !anchored && first.kind == Item::Kind::kLiteral &&
                                     !first.negated && !first.closure && first.literal < 0x80;
  bool stepped_alive = false;

  std::size_t step = 0;
  for (std::size_t p = from;; p += step) {
    if (jump_to_first_literal && !stepped_alive && answer == kNone) {
      p = text.find(static_cast<char>(first.literal), p);
      if (p == std::string::npos) break;
    }
    // A start at p is later than every start already held, so it only fills an empty slot.
    if (answer == kNone && (p == from || !anchored) && best[0] == kNone) best[0] = p;
    // Zero repetitions of a closure: the following item may start here too.
    for (std::size_t i = 0; i < end_item; ++i) {
      if (best[i] != kNone && items[i].closure) best[i + 1] = std::min(best[i + 1], best[i]);
    }
    if (best[end_item] != kNone) {
      answer = std::min(answer, best[end_item]);
      best[end_item] = kNone;
    }
    bool alive = false;
    for (std::size_t i = 0; i < end_item; ++i) {
      if (best[i] >= answer) best[i] = kNone;  // cannot give an earlier start any more
      alive = alive || best[i] != kNone;
    }
    if (p == length || (!alive && (anchored || answer != kNone))) break;

    std::fill(next.begin(), next.end(), kNone);
    stepped_alive = false;
    char32_t c;
    step = CharacterAt(text, p, c);
    for (std::size_t i = 0; i < end_item; ++i) {
      if (best[i] == kNone || !items[i].Accepts(c)) continue;
      const std::size_t target = items[i].closure ? i : i + 1;
      next[target] = std::min(next[target], best[i]);
      stepped_alive = true;
    }
    std::swap(best, next);
  }
  return answer;
}

int CX_TREPatternMatch::Find(const std::string& text, int start) const {
  if (!IsValid()) {
    CX_ReportError(*error_);
    return -1;
  }
  const std::size_t from = start < 0 ? 0 : static_cast<std::size_t>(start);
  if (from > text.size()) return -1;
  const std::size_t found = Search(text, from, false);
  if (found == kNone || found > static_cast<std::size_t>(INT_MAX)) return -1;
  return static_cast<int>(found);
}

bool CX_TREPatternMatch::Matches(const std::string& text, int position) const {
  if (!IsValid()) {
    CX_ReportError(*error_);
    return false;
  }
  if (position < 0 || static_cast<std::size_t>(position) > text.size()) return false;
  return Search(text, static_cast<std::size_t>(position), true) != kNone;
}

int FindPattern(const std::string& text, const std::string& pattern, int start) {
  return CX_TREPatternMatch(pattern).Find(text, start);
}
