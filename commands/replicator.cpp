#include "commands/replicator.h"

#include <cctype>
#include <climits>

#include "commands/command_cursor.h"
#include "commands/parse_limits.h"
#include "commands/quire_binding.h"
#include "commands/table_information.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_query_filter.h"

namespace {

// The whole number of `digits` (at least one digit, nothing else, no overflow).
bool ReadCount(const std::string& digits, int32_t& number) {
  if (digits.empty()) return false;
  int64_t value = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') return false;
    value = value * 10 + (digit - '0');
    if (value > INT32_MAX) return false;
  }
  number = static_cast<int32_t>(value);
  return true;
}

}  // namespace

Replicator::Replicator(const std::string& text, QuireStatus& status, int depth) {
  CommandCursor cursor(text);
  if (!parseHeader(cursor, "QR", status)) return;

  std::string field;
  if (!cursor.takeField(':', field)) {
    status = QuireStatus(kSyntaxError, "Replicator/A");
    return;
  }
  if (!field.empty() && field[0] == '^') {
    if (!ReadCount(field.substr(1), number_)) {
      status = QuireStatus(kSyntaxError, "Replicator/A");
      return;
    }
    numberGiven_ = true;
    if (!cursor.takeField(':', field)) {
      status = QuireStatus(kSyntaxError, "Replicator/A1");
      return;
    }
  }
  parent_ = field;

  if (!cursor.takeField(':', domainName_)) {
    status = QuireStatus(kSyntaxError, "Replicator/B1");
    return;
  }
  if (!domainName_.empty() && domainName_[0] == '^') {
    caret_ = true;
    domainName_.erase(0, 1);
  }
  std::string startName;
  if (!cursor.takeField(':', startName)) {
    status = QuireStatus(kSyntaxError, "Replicator/B2");
    return;
  }
  QuireAbstractDomain& domain = FindDomain(status, domainName_);
  if (!status.IsOk()) return;
  const QuireClass start = domain.findClass(startName, status);
  if (!status.IsOk()) return;
  startClass_ = start;

  std::string pathField;
  if (!cursor.takeField(':', pathField)) {
    status = QuireStatus(kSyntaxError, "Replicator/C");
    return;
  }
  QuireClass reached = startClass_;
  path_ = NavigationPath::parse(pathField, reached, PathLookup::kCommand, "NUS", "Replicator",
                                "Replicator/D", status);
  if (!status.IsOk()) return;

  std::string rest = cursor.takeRest();
  std::string nestedText;
  const std::size_t bar = rest.find('|');
  if (bar != std::string::npos) {
    bar_ = true;
    nestedText = rest.substr(bar + 1);
    rest.erase(bar);
  }
  const std::size_t marker = FindTableInformation(rest);
  if (marker != std::string::npos) {
    tableInformation_ = rest.substr(marker);
    rest.erase(marker);
  }

  CommandCursor conditions(rest);
  if (conditions.peek() == ':') {
    predicateColon_ = true;
    conditions.skip(1);
  } else if (!conditions.empty()) {
    predicate_ = GeneralPredicate(conditions, status);
    if (!status.IsOk()) return;
    // A predicate's last operand may take the ":" that ends it without printing it back.
    const std::string consumed = rest.substr(0, rest.size() - conditions.rest().size());
    QuireStatus printStatus;
    predicateColon_ = consumed == predicate_.print(printStatus) + ":";
  }
  if (!conditions.empty()) {
    sort_.emplace(conditions.takeRest(), status);
    if (!status.IsOk()) return;
  }

  if (!nestedText.empty()) {
    if (depth + 1 > kMaxCommandNesting) {
      status = QuireStatus(kSyntaxError, "Replicator");
      return;
    }
    nested_ = std::make_unique<Replicator>("R:" + nestedText, status, depth + 1);
  }
}

Replicator::Replicator(const Replicator& other)
    : Source(other),
      parent_(other.parent_),
      numberGiven_(other.numberGiven_),
      number_(other.number_),
      domainName_(other.domainName_),
      caret_(other.caret_),
      startClass_(other.startClass_),
      path_(other.path_),
      predicate_(other.predicate_),
      predicateColon_(other.predicateColon_),
      sort_(other.sort_),
      bar_(other.bar_),
      nested_(other.nested_ ? std::make_unique<Replicator>(*other.nested_) : nullptr),
      tableInformation_(other.tableInformation_),
      objectLimit_(other.objectLimit_) {}

Replicator& Replicator::operator=(const Replicator& other) {
  if (this != &other) {
    Replicator copy(other);
    Source::operator=(copy);
    parent_ = std::move(copy.parent_);
    numberGiven_ = copy.numberGiven_;
    number_ = copy.number_;
    domainName_ = std::move(copy.domainName_);
    caret_ = copy.caret_;
    startClass_ = copy.startClass_;
    path_ = std::move(copy.path_);
    predicate_ = std::move(copy.predicate_);
    predicateColon_ = copy.predicateColon_;
    sort_ = std::move(copy.sort_);
    bar_ = copy.bar_;
    nested_ = std::move(copy.nested_);
    tableInformation_ = std::move(copy.tableInformation_);
    objectLimit_ = copy.objectLimit_;
  }
  return *this;
}

std::unique_ptr<Source> Replicator::clone() const { return std::make_unique<Replicator>(*this); }

bool Replicator::isValid() const {
  return Source::isValid() && !parent_.empty() && !startClass_.isUndefined();
}

std::string Replicator::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, "Replicator");
    return {};
  }
  std::string text = printHeader();
  if (numberGiven_) text += "^" + std::to_string(number_) + ":";
  text += parent_ + ":" + (caret_ ? "^" : "") + startClass_.domain().name() + ":" +
          startClass_.name() + ":";
  text += path_.print("Replicator", status) + ":";
  if (!status.IsOk()) return {};
  text += predicate_.print(status) + (predicateColon_ ? ":" : "");
  if (!status.IsOk()) return {};
  if (sort_) text += sort_->print(status);
  if (!status.IsOk()) return {};
  text += tableInformation_;
  if (bar_) text += "|";
  if (nested_) {
    const std::string nestedText = nested_->print(status);
    if (!status.IsOk()) return {};
    text += nestedText.substr(2);  // without the "R:" it was given
  }
  return text;
}

QuireObjectList Replicator::evaluate(QuireStatus& status, const QuireBindingList& bindings,
                                     int /*extra*/) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, "Replicator");
    return {};
  }
  // The walk stops at the nary step, which must close the path.
  const std::vector<QuireRelationship>& steps = path_.steps();
  std::size_t nary = 0;
  while (nary < steps.size() && steps[nary].kind() != QuireRelationship::kNary) ++nary;
  const std::vector<QuireRelationship> walked(steps.begin(), steps.begin() + nary);
  const QuireObject reached = ReachFromBinding(bindings, parent_, startClass_, walked, "Replicator",
                                               host_message::kNotOfStartClass, true, status);
  if (!status.IsOk()) return {};
  if (steps.empty()) {
    status = QuireStatus(kUnsupportedOperation,
                         "Replicator: ", HostString(host_message::kRepeatWithoutPath));
    return {};
  }
  if (nary + 1 != steps.size()) {
    status = QuireStatus(kNavigationError,
                         "Replicator: ", HostString(host_message::kManyValuedStepNotLast));
    return {};
  }

  const QuireRelationship& relationship = steps[nary];
  QuireAbstractDomain& target = relationship.target().domain();
  QuireObjectList objects;
  bool pushedDown = false;
  if (target.hasExternalSchema() && !predicate_.isEmpty()) {
    if (std::unique_ptr<QuireQueryFilter> filter = target.newQueryFilter()) {
      QuireStatus pushStatus;
      const PushDownAnswer answer = predicate_.pushDown(*filter, pushStatus);
      if (answer == PushDownAnswer::kExpressed && pushStatus.IsOk()) {
        const QuireObject local = QuireObject::localObject(reached, relationship.source(), status);
        if (!status.IsOk()) return {};
        target.getFilteredNaryRelatedObjects(status, relationship, local, *filter, objects);
        if (status.Kind() == kNotImplemented) {
          // The data source cannot evaluate this filter after all: filter locally below.
          status = QuireStatus();
          objects.clear();
        } else if (!status.IsOk()) {
          return {};
        } else {
          pushedDown = true;
        }
      } else if (!pushStatus.IsOk() && pushStatus.Kind() != kUnsupportedOperation &&
                 pushStatus.Kind() != kNotImplemented) {
        status = pushStatus;
        return {};
      }
    }
  }
  if (!pushedDown) {
    objects = reached.getNaryRelatedObjects(relationship, status);
    if (!status.IsOk()) return {};
  }
  if (objects.size() > objectLimit_) return objects;  // cut by the domain: the caller refuses it

  if (relationship.target() != class_) {
    QuireObjectList ofClass;
    for (QuireObject& object : objects) {
      QuireStatus classStatus;
      if (object.getClass(classStatus).isSubclassOf(class_)) ofClass.push_back(std::move(object));
    }
    objects = std::move(ofClass);
  }
  if (!pushedDown && !predicate_.isEmpty()) {
    objects = predicate_.filter(objects, status, bindings);
    if (!status.IsOk()) return {};
  }
  if (sort_ && !objects.empty()) {
    sort_->sort(objects, status, bindings);
    if (!status.IsOk()) return {};
  }
  return objects;
}

std::string Replicator::textAtLevel(const std::string& text, int level) {
  // After the header "K:variable:domain:class:" comes the level field, when written.
  std::size_t fieldStart = 0;
  for (int field = 0; field < 4; ++field) {
    const std::size_t colon = text.find(':', fieldStart);
    if (colon == std::string::npos) return text;
    fieldStart = colon + 1;
  }
  const std::string levelText = "^" + std::to_string(level);
  if (text.compare(fieldStart, 1, "^") == 0) {
    std::size_t digitsEnd = fieldStart + 1;
    while (digitsEnd < text.size() && std::isdigit(static_cast<unsigned char>(text[digitsEnd]))) {
      ++digitsEnd;
    }
    return text.substr(0, fieldStart) + levelText + text.substr(digitsEnd);
  }
  return text.substr(0, fieldStart) + levelText + ":" + text.substr(fieldStart);
}
