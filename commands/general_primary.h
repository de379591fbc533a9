// Primaries: the operands of predicates and computed assignment values. A constant ("T", "F",
// "N", "S", "G") or an attribute reached from an object ("A"). GeneralPrimary is the envelope
// that owns one and forwards to it; copies clone.
#pragma once

#include <memory>
#include <string>

#include "model/quire_attribute_value.h"
#include "model/quire_object.h"

class CommandCursor;
class QuireBindingList;

class Primary {
 public:
  virtual ~Primary() = default;
  virtual std::unique_ptr<Primary> clone() const = 0;
  // The value for `candidate`; UNDEFINED with the status set on failure.
  virtual QuireAttributeValue evaluate(QuireStatus& status, const QuireObject& candidate,
                                       const QuireBindingList& bindings) const = 0;
  virtual std::string print(QuireStatus& status) const = 0;
};

class GeneralPrimary {
 public:
  GeneralPrimary() = default;
  // Parses one primary from the front of `cursor` by its leading letter (any other letter:
  // kSyntaxError "GeneralPrimary"). An "S" constant yields a FILENAME value when `textType` is
  // FILENAME (assignment values of FILENAME arguments), else STRING.
  GeneralPrimary(CommandCursor& cursor, QuireStatus& status, int32_t textType = QuireType::STRING);
  explicit GeneralPrimary(std::unique_ptr<Primary> primary) : primary_(std::move(primary)) {}
  GeneralPrimary(const GeneralPrimary& other);
  GeneralPrimary& operator=(const GeneralPrimary& other);
  GeneralPrimary(GeneralPrimary&&) noexcept = default;
  GeneralPrimary& operator=(GeneralPrimary&&) noexcept = default;

  bool isEmpty() const { return primary_ == nullptr; }
  const Primary* get() const { return primary_.get(); }
  // UNDEFINED for an empty envelope.
  QuireAttributeValue evaluate(QuireStatus& status, const QuireObject& candidate,
                               const QuireBindingList& bindings) const;
  std::string print(QuireStatus& status) const;

 private:
  std::unique_ptr<Primary> primary_;
};
