// QuireBinding: a variable bound by a command (OPEN, REPEAT, LIMIT) to its current object. The
// binding list is ordered; a lookup takes the first binding whose command's variable has the
// wanted name (case-sensitive).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "commands/general_source.h"
#include "foundation/host_message_ids.h"
#include "model/quire_object.h"

class QuireBinding {
 public:
  QuireBinding(const GeneralSource& source, const QuireObject& object, int32_t level = 0)
      : source_(source), object_(object), level_(level) {}
  // Takes the command over instead of cloning it.
  QuireBinding(GeneralSource&& source, const QuireObject& object, int32_t level = 0)
      : source_(std::move(source)), object_(object), level_(level) {}

  const GeneralSource& source() const { return source_; }
  const QuireObject& object() const { return object_; }
  void setObject(const QuireObject& object) { object_ = object; }
  // An integer the generation walk keeps with the binding.
  int32_t level() const { return level_; }
  void setLevel(int32_t level) { level_ = level; }

  // Same command text and equal objects.
  bool operator==(const QuireBinding& other) const;

 private:
  GeneralSource source_;
  QuireObject object_;
  int32_t level_;
};

class QuireBindingList {
 public:
  // The first binding of `variable`, or null. The pointer lives until the list changes.
  const QuireBinding* find(const std::string& variable) const;
  QuireBinding* find(const std::string& variable);
  void append(QuireBinding binding) { bindings_.push_back(std::move(binding)); }
  // Adds `binding` in front, so that it hides earlier bindings of the same variable.
  void prepend(QuireBinding binding);
  void removeLast() { bindings_.pop_back(); }
  // Removes the `count` bindings in front (all of them when there are fewer).
  void removeFirst(std::size_t count) {
    bindings_.erase(bindings_.begin(),
                    bindings_.begin() + static_cast<std::ptrdiff_t>(std::min(count, size())));
  }
  std::size_t size() const { return bindings_.size(); }
  const QuireBinding& operator[](std::size_t index) const { return bindings_[index]; }

 private:
  std::vector<QuireBinding> bindings_;
};

// The parent lookup shared by REPEAT, LIMIT and DISPLAY: the object bound to `variable`, walked
// along `steps` (superclass steps keep the object, unary steps navigate; any other kind: status
// kNavigationError `commandName`). No binding: kUnboundVariable with the name; a binding whose
// command's class is not `startClass` or a subclass: kNavigationError "Replicator: " and host
// message `wrongClassMessage`; a failed navigation keeps its status. Reaching the undefined object
// gives it back, with kEvaluationError (host_message::kExpectedClassNotReached) when
// `undefinedFails`, else with success. Failures give the undefined object.
QuireObject ReachFromBinding(const QuireBindingList& bindings, const std::string& variable,
                             const QuireClass& startClass,
                             const std::vector<QuireRelationship>& steps, const char* commandName,
                             HostMessageId wrongClassMessage, bool undefinedFails,
                             QuireStatus& status);
