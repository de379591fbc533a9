// Replicator (REPEAT): the list of objects related to a bound object through a path that ends
// in an nary step, filtered by a predicate and sorted. Text: "R:" or "Q:", variable, domain,
// class, ["^" number ":"] parent variable, ["^"] domain, start class, path, then [predicate]
// [sort order] ["|" nested Replicator].
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "commands/general_predicate.h"
#include "commands/navigation_path.h"
#include "commands/sort_order.h"
#include "commands/source.h"

class Replicator : public Source {
 public:
  // `depth` counts the nested levels above this one.
  Replicator(const std::string& text, QuireStatus& status, int depth = 0);
  Replicator(const Replicator& other);
  Replicator& operator=(const Replicator& other);
  std::unique_ptr<Source> clone() const override;

  bool isValid() const override;
  std::string print(QuireStatus& status) const override;
  QuireObjectList evaluate(QuireStatus& status, const QuireBindingList& bindings,
                           int extra = 0) const override;

  const std::string& parentVariable() const { return parent_; }
  const QuireClass& startClass() const { return startClass_; }
  const NavigationPath& path() const { return path_; }
  const GeneralPredicate& predicate() const { return predicate_; }
  const std::optional<SortOrder>& sortOrder() const { return sort_; }
  bool caretFlag() const { return caret_; }
  bool kindFlag() const { return kind_ == 'Q'; }
  bool barFlag() const { return bar_; }
  const Replicator* nested() const { return nested_.get(); }
  int32_t number() const { return number_; }
  const std::string& tableInformation() const { return tableInformation_; }

  // A domain stops a listing one object past this many, so that the limit is seen: such a list
  // is handed back as it came, neither filtered nor sorted, for the caller to refuse, since
  // filtering a cut list would silently lose the objects past the cut. No limit by default.
  void setObjectLimit(std::uint64_t limit) { objectLimit_ = limit; }

  // The REPEAT text `text` with its level field set to `level`: "^level:" after the header
  // "K:variable:domain:class:", replacing a level already written there. A text without that
  // header comes back unchanged. Read from the text alone, without looking up its classes.
  static std::string textAtLevel(const std::string& text, int level);

 private:
  std::string parent_;
  bool numberGiven_ = false;
  int32_t number_ = 0;
  std::string domainName_;
  bool caret_ = false;
  QuireClass startClass_;
  NavigationPath path_;
  GeneralPredicate predicate_;
  bool predicateColon_ = false;  // a ":" closed the predicate field (or stood in its place)
  std::optional<SortOrder> sort_;
  bool bar_ = false;
  std::unique_ptr<Replicator> nested_;
  std::string tableInformation_;
  std::uint64_t objectLimit_ = UINT64_MAX;
};
