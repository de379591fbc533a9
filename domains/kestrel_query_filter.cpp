// The condition tree that a REPEAT's predicate builds for a data-source domain.
#include "domains/kestrel_query_filter.h"

#include "foundation/quire_status.h"
#include "model/quire_attribute.h"
#include "model/quire_value.h"

KestrelQueryFilter::KestrelQueryFilter(std::function<bool(const QuireAttribute&)> takes)
    : takes_(std::move(takes)) {
  root_.kind = kestrel::ArtifactFilter::Kind::kAll;
}

kestrel::ArtifactFilter& KestrelQueryFilter::current() {
  kestrel::ArtifactFilter* group = &root_;
  for (size_t index : open_) group = &group->children[index];
  return *group;
}

void KestrelQueryFilter::openGroup(int32_t logicalOperator) {
  kestrel::ArtifactFilter group;
  group.kind = logicalOperator == 1 ? kestrel::ArtifactFilter::Kind::kAny
                                    : kestrel::ArtifactFilter::Kind::kAll;
  kestrel::ArtifactFilter& parent = current();
  parent.children.push_back(std::move(group));
  open_.push_back(parent.children.size() - 1);
}

void KestrelQueryFilter::closeGroup() {
  if (!open_.empty()) open_.pop_back();
}

bool KestrelQueryFilter::addCondition(const QuireAttribute& attribute, int32_t relationalOperator,
                                      const QuireValue& value, QuireStatus& status) {
  status = QuireStatus();
  const bool ownProperty = attribute.type() == QuireType::STRING && !attribute.isExtracted() &&
                           !attribute.isScript() && attribute.valueSource() == nullptr && takes_ &&
                           takes_(attribute);
  // Equality and the pattern match mean the same on both sides. Orderings do not: the local
  // filter reads a missing value as "", which sorts before every text, where the data source
  // keeps no row without a value.
  const bool sameMeaning = (relationalOperator == 0 || relationalOperator == 1 ||
                            relationalOperator == 6 || relationalOperator == 7) &&
                           value.type() == QuireType::STRING && !value.textValue().empty();
  if (!ownProperty || !sameMeaning) {
    status = QuireStatus(kNotImplemented, "DomainExtensions");
    return false;
  }
  kestrel::ArtifactFilter condition;
  condition.kind = kestrel::ArtifactFilter::Kind::kCondition;
  condition.property = attribute.name();
  condition.relationalOperator = relationalOperator;
  condition.value = platform::Variant(value.textValue());
  current().children.push_back(std::move(condition));
  return true;
}
