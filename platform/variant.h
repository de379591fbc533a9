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

// The first six keep their order (callers store the numbers); the later ones were appended.
enum class VariantType {
  kEmpty,
  kNull,
  kBool,
  kInt32,
  kDouble,
  kString,
  kInt16,
  kFloat,
  kDate,
  kByte,
};

// The type's name, e.g. "Int32"; for messages.
const char* VariantTypeName(VariantType type);

class Variant {
 public:
  struct NullValue {
    bool operator==(const NullValue&) const = default;
  };

  Variant() = default;  // Empty
  // An automation date: days since 1899-12-30, the fraction being the time of day.
  struct DateValue {
    double days = 0;
    bool operator==(const DateValue&) const = default;
  };

  static Variant Null() { return Variant(NullValue{}); }
  // The appended types are made by name, so that no existing constructor call changes meaning.
  static Variant Int16(int16_t value);
  static Variant Float(float value);
  static Variant Date(double oleDays);
  static Variant Byte(uint8_t value);
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
  // AsString's text moved out, for a variant that is about to be dropped.
  std::string TakeString();
  int16_t AsInt16() const;
  float AsFloat() const;
  double AsDate() const;  // the days since 1899-12-30
  uint8_t AsByte() const;

  // Conversions (automation ChangeType): Bool gives "True"/"False"; Double gives up to 15
  // significant digits ("1.5", "1E+21"), Float up to 7; a Date gives "YYYY-MM-DD" when its time
  // is midnight, else "YYYY-MM-DD HH:MM:SS", and reads as its days when taken as a number; text to
  // number accepts surrounding blanks and a decimal number; numbers round half to even into Int32.
  // Throw ComError(kE_INVALIDARG) with a message that names both types and the value on failure.
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

  template <size_t index, class T>
  static Variant Make(T value) {
    Variant made;
    made.value_.emplace<index>(value);
    return made;
  }

  std::variant<std::monostate, NullValue, bool, int32_t, double, std::string, int16_t, float,
               DateValue, uint8_t>
      value_;
};

}  // namespace platform
