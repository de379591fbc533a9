// The automation variant: a value of one of a few types, as component properties and method
// arguments carry it. Conversions follow the automation rules where they are plain (Empty is
// "" and 0, a true Bool is -1 as a number) and fail with ComError(kE_INVALIDARG) where a value
// has no meaning in the target type (Null, non-numeric text, a number out of range).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "platform/com_error.h"

namespace platform {

enum class VariantType { kEmpty, kNull, kBool, kInt32, kDouble, kString };

// The type's name, e.g. "Int32"; for messages.
const char* VariantTypeName(VariantType type);

class Variant {
 public:
  struct NullValue {
    bool operator==(const NullValue&) const = default;
  };

  Variant() = default;  // Empty
  static Variant Null() { return Variant(NullValue{}); }
  explicit Variant(bool value) : value_(value) {}
  explicit Variant(int32_t value) : value_(value) {}
  explicit Variant(double value) : value_(value) {}
  explicit Variant(std::string value) : value_(std::move(value)) {}
  explicit Variant(const char* value) : value_(std::string(value)) {}

  VariantType Type() const { return static_cast<VariantType>(value_.index()); }
  bool IsEmpty() const { return Type() == VariantType::kEmpty; }
  bool IsNull() const { return Type() == VariantType::kNull; }

  // The held value; throw ComError(kE_INVALIDARG) when the variant holds another type.
  bool AsBool() const;
  int32_t AsInt32() const;
  double AsDouble() const;
  const std::string& AsString() const;

  // Conversions (automation ChangeType): Bool gives "True"/"False"; Double gives up to 15
  // significant digits ("1.5", "1E+21"); text to number accepts surrounding blanks and a
  // decimal number; numbers round half to even into Int32. Throw ComError(kE_INVALIDARG)
  // with a message that names both types and the value on failure.
  std::string ChangeToString() const;
  int32_t ChangeToInt32() const;
  double ChangeToDouble() const;

  // The same conversions, answering nullopt instead of throwing.
  std::optional<std::string> TryString() const;
  std::optional<int32_t> TryInt32() const;
  std::optional<double> TryDouble() const;

  // Same type and same value (no conversion).
  bool operator==(const Variant& other) const = default;

 private:
  explicit Variant(NullValue null) : value_(null) {}

  std::variant<std::monostate, NullValue, bool, int32_t, double, std::string> value_;
};

}  // namespace platform
