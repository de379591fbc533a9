#include "commands/attribute_primary.h"

#include "commands/command_cursor.h"
#include "commands/quire_binding.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"

namespace {

constexpr const char* kName = "AttributePrimary";

}  // namespace

AttributePrimary::AttributePrimary(CommandCursor& cursor, QuireStatus& status) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  std::string domainName, className, pathField, attributeName;
  if (letter != 'A' || !cursor.takeField(':', variable_)) {
    status = QuireStatus(kSyntaxError, "AttributePrimary/1");
    return;
  }
  if (!cursor.takeField(':', domainName)) {
    status = QuireStatus(kSyntaxError, "AttributePrimary/2");
    return;
  }
  if (!cursor.takeField(':', className)) {
    status = QuireStatus(kSyntaxError, "AttributePrimary/3");
    return;
  }
  if (!cursor.takeField(':', pathField)) {
    status = QuireStatus(kSyntaxError, "AttributePrimary/4");
    return;
  }
  // The attribute is the primary's last field: it may also end with the text.
  cursor.takeField(':', attributeName);
  if (attributeName.empty()) {
    status = QuireStatus(kSyntaxError, "AttributePrimary/5");
    return;
  }

  QuireAbstractDomain& domain = FindDomain(status, domainName);
  if (!status.IsOk()) return;
  class_ = domain.findClass(className, status);
  if (!status.IsOk()) return;
  QuireClass reached = class_;
  path_ = NavigationPath::parse(pathField, reached, PathLookup::kKeyOrPrimary, "US", kName,
                                "AttributePrimary/6", status);
  if (!status.IsOk()) return;
  attribute_ = reached.findAttribute(attributeName, status);
  if (!status.IsOk())
    status = QuireStatus(kUnknownAttributeInExpression, "AttributePrimary: ", attributeName);
}

std::unique_ptr<Primary> AttributePrimary::clone() const {
  return std::make_unique<AttributePrimary>(*this);
}

QuireAttributeValue AttributePrimary::evaluate(QuireStatus& status, const QuireObject& candidate,
                                               const QuireBindingList& bindings) const {
  status = QuireStatus();
  const QuireObject* start = &candidate;
  if (!variable_.empty()) {
    const QuireBinding* binding = bindings.find(variable_);
    if (binding == nullptr) {
      status = QuireStatus(kUnboundVariable, variable_);
      return QuireAttributeValue();
    }
    start = &binding->object();
  }
  // Copies are made only when a unary step actually moves to another object.
  QuireObject moved;
  const QuireObject* object = start;
  for (const QuireRelationship& step : path_.steps()) {
    if (step.kind() == QuireRelationship::kSuperclassLink) continue;
    if (step.kind() != QuireRelationship::kUnary) {
      status = QuireStatus(kNavigationError, kName);
      return QuireAttributeValue();
    }
    QuireObject next = object->getUnaryRelatedObject(step, status);
    if (!status.IsOk()) return QuireAttributeValue();
    if (next.isUndefined()) {
      status = QuireStatus(kEvaluationError, host_message::kExpectedClassNotReached);
      return QuireAttributeValue();
    }
    moved = std::move(next);
    object = &moved;
  }
  QuireAttributeValue value = object->getAttributeValue(attribute_, status);
  if (!status.IsOk()) return QuireAttributeValue();
  return value;
}

std::string AttributePrimary::print(QuireStatus& status) const {
  status = QuireStatus();
  for (const QuireRelationship& step : path_.steps()) {
    if (step.kind() != QuireRelationship::kSuperclassLink &&
        step.kind() != QuireRelationship::kUnary) {
      status = QuireStatus(kNavigationError, kName);
      return {};
    }
  }
  const std::string steps = path_.print(kName, status);
  if (!status.IsOk()) return {};
  return "A" + variable_ + ":" + class_.domain().name() + ":" + class_.name() + ":" + steps + ":" +
         attribute_.name();
}
