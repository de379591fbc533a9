// ContextScope: one object's bindings in the walk's object context, for as long as the scope
// lasts.
#pragma once

#include <cstddef>

#include "commands/quire_binding.h"

// Puts the object context back as it was when the scope began: the bindings pushed for one
// object (and any OPEN inside its copy) end with it. The walk only ever adds bindings in front
// of the context, and each inner scope takes its own back, so removing what came in front since
// the scope began restores it without keeping a copy (which would clone every command in it).
class ContextScope {
 public:
  explicit ContextScope(QuireBindingList& context) : context_(context), size_(context.size()) {}
  ~ContextScope() {
    if (context_.size() > size_) context_.removeFirst(context_.size() - size_);
  }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;

 private:
  QuireBindingList& context_;
  const std::size_t size_;
};
