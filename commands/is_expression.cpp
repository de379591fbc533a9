#include "commands/is_expression.h"

#include "commands/command_cursor.h"
#include "commands/quire_binding.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"

namespace {

constexpr const char* kName = "IsExpression";

QuireClass LookUpClass(const std::string& domainName, const std::string& className,
                       QuireStatus& status) {
  QuireAbstractDomain& domain = FindDomain(status, domainName);
  if (!status.IsOk()) return QuireClass();
  return domain.findClass(className, status);
}

std::string ClassText(const QuireClass& cls, char separator) {
  return cls.domain().name() + separator + cls.name();
}

}  // namespace

IsExpression::IsExpression(CommandCursor& cursor, QuireStatus& status) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  std::string variablePart, domainName, className;
  if (letter != 'C' || !cursor.takeField(':', variablePart) || !cursor.takeField(':', domainName)) {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  // The class is the last field: it may also end with the text.
  cursor.takeField(':', className);

  std::string variableDomain, variableClassName;
  if (!variablePart.empty()) {
    CommandCursor parts(variablePart);
    const bool complete = parts.takeField(',', variable_) && parts.takeField(',', variableDomain) &&
                          !parts.takeField(',', variableClassName);
    if (!complete || variable_.empty() || variableDomain.empty() || variableClassName.empty()) {
      status = QuireStatus(kSyntaxError, kName);
      return;
    }
  }
  testClass_ = LookUpClass(domainName, className, status);
  if (!status.IsOk() || variable_.empty()) return;
  variableClass_ = LookUpClass(variableDomain, variableClassName, status);
}

std::unique_ptr<Expression> IsExpression::clone() const {
  return std::make_unique<IsExpression>(*this);
}

std::string IsExpression::print(QuireStatus& status) const {
  status = QuireStatus();
  std::string text = "C";
  if (!variable_.empty()) text += variable_ + "," + ClassText(variableClass_, ',');
  return text + ":" + ClassText(testClass_, ':');
}

QuireObjectList IsExpression::filter(const QuireObjectList& candidates, QuireStatus& status,
                                     const QuireBindingList& bindings) const {
  status = QuireStatus();
  if (!variable_.empty()) {
    const QuireBinding* binding = bindings.find(variable_);
    if (binding == nullptr) {
      status = QuireStatus(kUnboundVariable, variable_);
      return candidates;
    }
    if (!binding->source().getClass().isSubclassOf(variableClass_)) {
      status =
          QuireStatus(kNavigationError, "Replicator: ", HostString(host_message::kNotOfStartClass));
      return candidates;
    }
    const QuireClass bound = binding->object().getClass(status);
    if (!status.IsOk()) return candidates;
    return bound.isSubclassOf(testClass_) ? candidates : QuireObjectList();
  }
  QuireObjectList kept;
  for (const QuireObject& candidate : candidates) {
    const QuireClass cls = candidate.getClass(status);
    if (!status.IsOk()) return candidates;
    if (cls.isSubclassOf(testClass_)) kept.push_back(candidate);
  }
  return kept;
}

PushDownAnswer IsExpression::pushDown(QuireQueryFilter&, QuireStatus& status) const {
  status = QuireStatus(kUnsupportedOperation, kName);
  return PushDownAnswer::kNotExpressible;
}
