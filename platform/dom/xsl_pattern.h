// XSL patterns, the query language of the MSXML document model, run as XPath 1.0 by pugixml: the
// translation of the few XSL-only forms, and a cache of compiled queries (the page walk runs the
// same handful of patterns thousands of times).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace platform {

// Rewrites an XSL pattern as XPath 1.0: "$and$", "$or$" become "and", "or"; "$not$ operand"
// becomes "not(operand)"; "$eq$", "$ne$", "$lt$", "$le$", "$gt$", "$ge$" the comparison signs; a
// 0-based index predicate "[n]" (a plain integer) becomes "[n+1]". String literals are copied
// untouched. An unknown "$...$" operator raises ComError(kE_INVALIDARG). Pure; any thread.
std::string TranslateXslPattern(std::string_view pattern);

// Compiled queries keyed by their translated text. Thread-safe; the queries it hands out are
// shared and immutable, and stay valid after the cache drops them.
class XslQueryCache {
 public:
  // Holds at most `capacity` queries; when full, it starts over empty (patterns built from
  // document text would otherwise grow it without end).
  explicit XslQueryCache(size_t capacity = 512) : capacity_(capacity) {}

  // The compiled query for an XSL pattern. A pattern that does not compile raises
  // ComError(kE_INVALIDARG, "Invalid query: " + pugixml's reason + the pattern).
  std::shared_ptr<const pugi::xpath_query> Compile(std::string_view pattern);
  size_t Size() const;

  // The process-wide cache the document layer uses.
  static XslQueryCache& Shared();

 private:
  const size_t capacity_;
  mutable std::mutex mutex_;
  std::map<std::string, std::shared_ptr<const pugi::xpath_query>, std::less<>> queries_;
};

}  // namespace platform
