// KestrelQueryFilter: the query filter of a data-source domain. A REPEAT's predicate fills it
// and the data source evaluates the resulting condition tree itself.
#pragma once

#include <functional>
#include <vector>

#include "kestrel/kestrel_session.h"
#include "model/quire_query_filter.h"

class KestrelQueryFilter : public QuireQueryFilter {
 public:
  // `takes` tells which attributes the data source can compare itself (its own properties
  // whose values are shown as they are).
  explicit KestrelQueryFilter(std::function<bool(const QuireAttribute&)> takes);

  void openGroup(int32_t logicalOperator) override;
  void closeGroup() override;
  // Takes "==", "!=", "=~" and "!~" between a property of the domain's own classes and a
  // non-empty STRING constant: the domain's values are texts, and only such a comparison means
  // the same in the data source as in the local filter. Anything else answers false with
  // kNotImplemented "DomainExtensions", and the predicate runs locally.
  bool addCondition(const QuireAttribute& attribute, int32_t relationalOperator,
                    const QuireValue& value, QuireStatus& status) override;

  // The condition tree built so far.
  const kestrel::ArtifactFilter& filter() const { return root_; }

 private:
  kestrel::ArtifactFilter& current();

  std::function<bool(const QuireAttribute&)> takes_;
  kestrel::ArtifactFilter root_;
  // Child indexes from the root to the group being filled.
  std::vector<size_t> open_;
};
