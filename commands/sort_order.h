// SortOrder: the ordering of a REPEAT's objects: an optional unique flag ("U") and keys
// separated by ",", each "flags:domain:class:path:attribute" (the attribute name optionally
// closed by ":") with the flags "A" (plain), "N" (numbers and dotted versions), "F" (ignore
// case), "R" (descending). The separator alone holds no keys, and a "," may end the last key.
#pragma once

#include <string>
#include <vector>

#include "commands/navigation_path.h"
#include "model/quire_attribute.h"
#include "model/quire_object.h"

class QuireBindingList;

struct SortKey {
  bool plain = false;  // "A" was written
  bool numeric = false;
  bool ignoreCase = false;
  bool descending = false;
  std::string flagText;  // the letters as written, printed back unchanged
  std::string domainName;
  QuireClass cls;
  NavigationPath path;
  QuireAttribute attribute;
  bool closingColon = false;  // the attribute name was ended by ":", printed back
};

class SortOrder {
 public:
  // Parses the whole of `text` ("U" and a separator, or one separator, then the keys). A flag
  // letter other than A, N, F, R: kSyntaxError "Key"; a wrong step letter: kNavigationError "Key".
  SortOrder(const std::string& text, QuireStatus& status);

  bool unique() const { return unique_; }
  const std::vector<SortKey>& keys() const { return keys_; }
  std::string print(QuireStatus& status) const;

  // Sorts `objects` by the keys (unstable), then with the unique flag drops every object that
  // compares equal to the last one kept.
  void sort(QuireObjectList& objects, QuireStatus& status, const QuireBindingList& bindings) const;

 private:
  bool unique_ = false;
  std::string separator_;       // the characters dropped before the keys, printed back
  bool trailingComma_ = false;  // the last key was followed by ",", printed back
  std::vector<SortKey> keys_;
};
