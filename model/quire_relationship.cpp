#include "model/quire_relationship.h"

QuireRelationship::QuireRelationship() = default;

QuireRelationship::QuireRelationship(std::string name, QuireClass source, QuireClass target,
                                     QuireUnaryAccess access)
    : name_(std::move(name)),
      kind_(kUnary),
      source_(source),
      target_(target),
      unaryAccess_(access) {}

QuireRelationship::QuireRelationship(std::string name, QuireClass source, QuireClass target,
                                     QuireNaryAccess access)
    : name_(std::move(name)), kind_(kNary), source_(source), target_(target), naryAccess_(access) {}

QuireRelationship::QuireRelationship(std::string name, int32_t kind, QuireClass source,
                                     QuireClass target)
    : name_(std::move(name)), kind_(kind), source_(source), target_(target) {}

QuireRelationship QuireRelationship::link(int32_t kind, QuireClass source, QuireClass target) {
  QuireRelationship link(target.name(), kind, source, target);
  link.alias_ = target.alias();
  link.aka_ = target.aka();
  return link;
}

QuireRelationship::QuireRelationship(const QuireRelationship& other)
    : name_(other.name_),
      alias_(other.alias_),
      aka_(other.aka_),
      kind_(other.kind_),
      source_(other.source_),
      target_(other.target_),
      unaryAccess_(other.unaryAccess_),
      naryAccess_(other.naryAccess_),
      navigator_(other.navigator_ ? other.navigator_->clone() : nullptr) {}

QuireRelationship& QuireRelationship::operator=(const QuireRelationship& other) {
  if (this != &other) {
    QuireRelationship copy(other);
    *this = std::move(copy);
  }
  return *this;
}

QuireRelationship::QuireRelationship(QuireRelationship&&) noexcept = default;
QuireRelationship& QuireRelationship::operator=(QuireRelationship&&) noexcept = default;
QuireRelationship::~QuireRelationship() = default;

const QuireRelationship& QuireRelationship::undefined() {
  // Never destroyed: failed lookups may still hand it out while other statics are torn down.
  static const QuireRelationship& instance = *new QuireRelationship;
  return instance;
}

void QuireRelationship::setNavigator(std::unique_ptr<QuireNavigator> navigator) {
  navigator_ = std::move(navigator);
}

bool QuireRelationship::operator==(const QuireRelationship& other) const {
  if (kind_ != other.kind_ || source_ != other.source_ || target_ != other.target_) return false;
  // Inheritance links are named after their target, so only real relationships compare names.
  if (kind_ == kUnary || kind_ == kNary) return name_ == other.name_;
  return true;
}
