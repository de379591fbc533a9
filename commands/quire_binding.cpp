#include "commands/quire_binding.h"

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"

bool QuireBinding::operator==(const QuireBinding& other) const {
  QuireStatus ignored;
  return source_.print(ignored) == other.source_.print(ignored) && object_ == other.object_;
}

const QuireBinding* QuireBindingList::find(const std::string& variable) const {
  for (const QuireBinding& binding : bindings_) {
    if (binding.source().variableName() == variable) return &binding;
  }
  return nullptr;
}

QuireBinding* QuireBindingList::find(const std::string& variable) {
  const QuireBindingList& self = *this;
  return const_cast<QuireBinding*>(self.find(variable));
}

void QuireBindingList::prepend(QuireBinding binding) {
  bindings_.insert(bindings_.begin(), std::move(binding));
}

QuireObject ReachFromBinding(const QuireBindingList& bindings, const std::string& variable,
                             const QuireClass& startClass,
                             const std::vector<QuireRelationship>& steps, const char* commandName,
                             HostMessageId wrongClassMessage, bool undefinedFails,
                             QuireStatus& status) {
  status = QuireStatus();
  const QuireBinding* binding = bindings.find(variable);
  if (binding == nullptr) {
    status = QuireStatus(kUnboundVariable, variable);
    return QuireObject();
  }
  if (!binding->source().getClass().isSubclassOf(startClass)) {
    status = QuireStatus(kNavigationError, "Replicator: ", HostString(wrongClassMessage));
    return QuireObject();
  }
  QuireObject object = binding->object();
  for (const QuireRelationship& step : steps) {
    if (step.kind() == QuireRelationship::kSuperclassLink) continue;
    if (step.kind() != QuireRelationship::kUnary) {
      status = QuireStatus(kNavigationError, commandName);
      return QuireObject();
    }
    QuireObject next = object.getUnaryRelatedObject(step, status);
    if (!status.IsOk()) return QuireObject();
    object = std::move(next);
    if (object.isUndefined()) break;
  }
  if (object.isUndefined() && undefinedFails) {
    status = QuireStatus(kEvaluationError, host_message::kExpectedClassNotReached);
  }
  return object;
}
