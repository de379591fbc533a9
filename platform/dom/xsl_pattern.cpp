#include "platform/dom/xsl_pattern.h"

#include <new>
#include <vector>

#include "platform/com_error.h"

namespace platform {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "41" -> "42", "99" -> "100": decimal increment on the text, so no index can overflow.
std::string Increment(std::string digits) {
  size_t i = digits.size();
  while (i > 0) {
    --i;
    if (digits[i] != '9') {
      ++digits[i];
      return digits;
    }
    digits[i] = '0';
  }
  return "1" + digits;
}

// When `pattern` holds a plain integer predicate at `open` (the "["), returns its length through
// `length` and the digits through `digits`.
bool IntegerPredicate(std::string_view pattern, size_t open, size_t& length, std::string& digits) {
  size_t i = open + 1;
  while (i < pattern.size() && IsSpace(pattern[i])) ++i;
  const size_t first = i;
  while (i < pattern.size() && IsDigit(pattern[i])) ++i;
  if (i == first) return false;
  digits.assign(pattern.substr(first, i - first));
  while (i < pattern.size() && IsSpace(pattern[i])) ++i;
  if (i >= pattern.size() || pattern[i] != ']') return false;
  length = i + 1 - open;
  return true;
}

[[noreturn]] void Reject(const std::string& why, std::string_view pattern) {
  throw ComError(kE_INVALIDARG, "Invalid query: " + why + " in \"" + std::string(pattern) + "\"");
}

}  // namespace

std::string TranslateXslPattern(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() + 8);
  int depth = 0;
  // Bracket depth of each "not(" still waiting for its ")": an XSL "$not$" governs the operand
  // up to the next "$and$"/"$or$" or the end of the enclosing brackets.
  std::vector<int> openNots;
  auto closeNots = [&] {
    if (openNots.empty() || openNots.back() != depth) return;
    size_t blanks = 0;
    while (blanks < out.size() && IsSpace(out[out.size() - 1 - blanks])) ++blanks;
    out.resize(out.size() - blanks);
    while (!openNots.empty() && openNots.back() == depth) {
      out += ')';
      openNots.pop_back();
    }
    out.append(blanks, ' ');
  };

  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'' || c == '"') {
      const size_t close = pattern.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? pattern.size() : close + 1;
      out.append(pattern.substr(i, end - i));  // an unterminated literal is pugixml's to report
      i = end;
    } else if (c == '$') {
      size_t close = pattern.find('$', i + 1);
      if (close == std::string_view::npos) Reject("\"$\" without its closing \"$\"", pattern);
      const std::string_view op = pattern.substr(i + 1, close - i - 1);
      if (op == "and" || op == "or") {
        closeNots();
        if (!out.empty() && !IsSpace(out.back())) out += ' ';
        out.append(op);
        if (close + 1 < pattern.size() && !IsSpace(pattern[close + 1])) out += ' ';
      } else if (op == "not") {
        out += "not(";
        openNots.push_back(depth);
        while (close + 1 < pattern.size() && IsSpace(pattern[close + 1])) ++close;
      } else if (op == "eq") {
        out += '=';
      } else if (op == "ne") {
        out += "!=";
      } else if (op == "lt") {
        out += '<';
      } else if (op == "le") {
        out += "<=";
      } else if (op == "gt") {
        out += '>';
      } else if (op == "ge") {
        out += ">=";
      } else {
        Reject("unsupported operator \"$" + std::string(op) + "$\"", pattern);
      }
      i = close + 1;
    } else if (c == '[') {
      size_t length = 0;
      std::string digits;
      if (IntegerPredicate(pattern, i, length, digits)) {
        out += '[' + Increment(digits) + ']';
        i += length;
      } else {
        out += c;
        ++depth;
        ++i;
      }
    } else if (c == '(') {
      out += c;
      ++depth;
      ++i;
    } else if (c == ']' || c == ')') {
      closeNots();
      out += c;
      --depth;
      ++i;
    } else {
      out += c;
      ++i;
    }
  }
  while (!openNots.empty()) {
    out += ')';
    openNots.pop_back();
  }
  return out;
}

std::shared_ptr<const pugi::xpath_query> XslQueryCache::Compile(std::string_view pattern) {
  const std::string xpath = TranslateXslPattern(pattern);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = queries_.find(xpath);
    if (found != queries_.end()) return found->second;
  }
  // Compiled outside the lock; two threads may compile the same text once each, which is harmless.
  std::shared_ptr<pugi::xpath_query> query;
  try {
    query = std::make_shared<pugi::xpath_query>(xpath.c_str());
  } catch (const pugi::xpath_exception& e) {
    Reject(e.result().description(), pattern);
  } catch (const std::bad_alloc&) {
    throw ComError(kE_OUTOFMEMORY,
                   "Out of memory compiling the query \"" + std::string(pattern) + "\"");
  }
  if (!query->result()) Reject(query->result().description(), pattern);

  std::lock_guard<std::mutex> lock(mutex_);
  if (queries_.size() >= capacity_) queries_.clear();
  return queries_.emplace(xpath, std::move(query)).first->second;
}

size_t XslQueryCache::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queries_.size();
}

XslQueryCache& XslQueryCache::Shared() {
  static XslQueryCache cache;
  return cache;
}

}  // namespace platform
