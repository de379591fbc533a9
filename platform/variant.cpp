#include "platform/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>

#include "platform/calendar.h"

namespace platform {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<double> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (text.empty()) return std::nullopt;
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int32_t> RoundToInt32(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  double rounded = std::nearbyint(value);  // half to even in the default rounding mode
  if (rounded < std::numeric_limits<int32_t>::min() ||
      rounded > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(rounded);
}

std::string DoubleText(double value, int digits = 15) {
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  if (error != std::errc()) return std::string();
  std::string text(buffer, end);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

// The text form of an automation date, rounded to whole seconds as its sortable form is.
std::optional<std::string> DateText(double oleDays) {
  if (!std::isfinite(oleDays) || std::fabs(oleDays) > 3e6) return std::nullopt;
  int64_t days = 0;
  int64_t seconds = 0;
  SplitAutomationDate(oleDays, days, seconds);
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, year, month, day);
  char buffer[48];
  if (seconds == 0) {
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u", static_cast<long long>(year), month,
                  day);
  } else {
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02d:%02d:%02d",
                  static_cast<long long>(year), month, day, static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  }
  return std::string(buffer);
}

}  // namespace

Variant Variant::Int16(int16_t value) { return Make<6>(value); }
Variant Variant::Float(float value) { return Make<7>(value); }
Variant Variant::Date(double oleDays) { return Make<8>(DateValue{oleDays}); }
Variant Variant::Byte(uint8_t value) { return Make<9>(value); }

const char* VariantTypeName(VariantType type) {
  switch (type) {
    case VariantType::kEmpty:
      return "Empty";
    case VariantType::kNull:
      return "Null";
    case VariantType::kBool:
      return "Bool";
    case VariantType::kInt32:
      return "Int32";
    case VariantType::kDouble:
      return "Double";
    case VariantType::kString:
      return "String";
    case VariantType::kInt16:
      return "Int16";
    case VariantType::kFloat:
      return "Float";
    case VariantType::kDate:
      return "Date";
    case VariantType::kByte:
      return "Byte";
  }
  return "Unknown";
}

namespace {

[[noreturn]] void ThrowWrongType(const Variant& variant, VariantType wanted) {
  throw ComError(kE_INVALIDARG, std::string("Variant holds ") + VariantTypeName(variant.Type()) +
                                    ", not " + VariantTypeName(wanted));
}

[[noreturn]] void ThrowConversion(const Variant& variant, VariantType wanted) {
  std::string shown = variant.TryString().value_or(std::string());
  if (variant.Type() == VariantType::kString) shown = "\"" + shown + "\"";
  throw ComError(kE_INVALIDARG, std::string("Cannot convert ") + VariantTypeName(variant.Type()) +
                                    (shown.empty() ? std::string() : " " + shown) + " to " +
                                    VariantTypeName(wanted));
}

}  // namespace

bool Variant::AsBool() const {
  if (const bool* value = std::get_if<bool>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kBool);
}

int32_t Variant::AsInt32() const {
  if (const int32_t* value = std::get_if<int32_t>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kInt32);
}

double Variant::AsDouble() const {
  if (const double* value = std::get_if<double>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kDouble);
}

const std::string& Variant::AsString() const {
  if (const std::string* value = std::get_if<std::string>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kString);
}

std::string Variant::TakeString() {
  if (std::string* value = std::get_if<std::string>(&value_)) return std::move(*value);
  ThrowWrongType(*this, VariantType::kString);
}

int16_t Variant::AsInt16() const {
  if (const int16_t* value = std::get_if<int16_t>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kInt16);
}

float Variant::AsFloat() const {
  if (const float* value = std::get_if<float>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kFloat);
}

double Variant::AsDate() const {
  if (const DateValue* value = std::get_if<DateValue>(&value_)) return value->days;
  ThrowWrongType(*this, VariantType::kDate);
}

uint8_t Variant::AsByte() const {
  if (const uint8_t* value = std::get_if<uint8_t>(&value_)) return *value;
  ThrowWrongType(*this, VariantType::kByte);
}

std::optional<std::string> Variant::TryString() const {
  switch (Type()) {
    case VariantType::kEmpty:
      return std::string();
    case VariantType::kNull:
      return std::nullopt;
    case VariantType::kBool:
      return std::string(std::get<bool>(value_) ? "True" : "False");
    case VariantType::kInt32:
      return std::to_string(std::get<int32_t>(value_));
    case VariantType::kDouble:
      return DoubleText(std::get<double>(value_));
    case VariantType::kString:
      return std::get<std::string>(value_);
    case VariantType::kInt16:
      return std::to_string(std::get<int16_t>(value_));
    case VariantType::kFloat:
      return DoubleText(std::get<float>(value_), 7);
    case VariantType::kDate:
      return DateText(std::get<DateValue>(value_).days);
    case VariantType::kByte:
      return std::to_string(std::get<uint8_t>(value_));
  }
  return std::nullopt;
}

std::optional<int32_t> Variant::TryInt32() const {
  switch (Type()) {
    case VariantType::kEmpty:
      return 0;
    case VariantType::kNull:
      return std::nullopt;
    case VariantType::kBool:
      return std::get<bool>(value_) ? -1 : 0;
    case VariantType::kInt32:
      return std::get<int32_t>(value_);
    case VariantType::kDouble:
      return RoundToInt32(std::get<double>(value_));
    case VariantType::kString: {
      std::optional<double> parsed = ParseDecimal(std::get<std::string>(value_));
      return parsed ? RoundToInt32(*parsed) : std::nullopt;
    }
    case VariantType::kInt16:
      return std::get<int16_t>(value_);
    case VariantType::kFloat:
      return RoundToInt32(std::get<float>(value_));
    case VariantType::kDate:
      return RoundToInt32(std::get<DateValue>(value_).days);
    case VariantType::kByte:
      return std::get<uint8_t>(value_);
  }
  return std::nullopt;
}

std::optional<double> Variant::TryDouble() const {
  switch (Type()) {
    case VariantType::kEmpty:
      return 0.0;
    case VariantType::kNull:
      return std::nullopt;
    case VariantType::kBool:
      return std::get<bool>(value_) ? -1.0 : 0.0;
    case VariantType::kInt32:
      return static_cast<double>(std::get<int32_t>(value_));
    case VariantType::kDouble:
      return std::get<double>(value_);
    case VariantType::kString:
      return ParseDecimal(std::get<std::string>(value_));
    case VariantType::kInt16:
      return static_cast<double>(std::get<int16_t>(value_));
    case VariantType::kFloat:
      return static_cast<double>(std::get<float>(value_));
    case VariantType::kDate:
      return std::get<DateValue>(value_).days;
    case VariantType::kByte:
      return static_cast<double>(std::get<uint8_t>(value_));
  }
  return std::nullopt;
}

std::string Variant::ChangeToString() const {
  std::optional<std::string> text = TryString();
  if (!text) ThrowConversion(*this, VariantType::kString);
  return std::move(*text);
}

int32_t Variant::ChangeToInt32() const {
  std::optional<int32_t> number = TryInt32();
  if (!number) ThrowConversion(*this, VariantType::kInt32);
  return *number;
}

double Variant::ChangeToDouble() const {
  std::optional<double> number = TryDouble();
  if (!number) ThrowConversion(*this, VariantType::kDouble);
  return *number;
}

}  // namespace platform
