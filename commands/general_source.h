// GeneralSource: the envelope that owns one command of any kind and forwards to it. Copies
// share the command until one of them asks to change it, which then clones it: every object a
// REPEAT binds carries a copy. An empty envelope is not valid and evaluates to nothing.
#pragma once

#include <memory>
#include <string>

#include "commands/source.h"

class GeneralSource {
 public:
  GeneralSource() = default;
  explicit GeneralSource(std::unique_ptr<Source> source) : source_(std::move(source)) {}
  // Parses the command text by its leading letter: "C"/"N" Connector, "Q"/"R" Replicator,
  // "S" Stipulator; any other letter: kSyntaxError "Source".
  static GeneralSource parse(const std::string& text, QuireStatus& status);

  GeneralSource(const GeneralSource& other) = default;
  GeneralSource& operator=(const GeneralSource& other) = default;
  GeneralSource(GeneralSource&&) noexcept = default;
  GeneralSource& operator=(GeneralSource&&) noexcept = default;

  bool isEmpty() const { return source_ == nullptr; }
  const Source* get() const { return source_.get(); }
  Source* get();
  template <typename T>
  const T* as() const {
    return dynamic_cast<const T*>(source_.get());
  }

  bool isValid() const { return source_ != nullptr && source_->isValid(); }
  char kindLetter() const;
  const std::string& variableName() const;
  QuireClass getClass() const;
  std::string print(QuireStatus& status) const;
  QuireObjectList evaluate(QuireStatus& status, const QuireBindingList& bindings,
                           int extra = 0) const;

 private:
  std::shared_ptr<Source> source_;
};
