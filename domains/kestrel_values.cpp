// Variant texts of the data-source domains and password masking.
#include "domains/kestrel_values.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "foundation/text_helpers.h"

namespace {

std::string Printed(const char* format, double number) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, number);
  return buffer;
}

}  // namespace

std::string SortableDate(double oleDays) {
  // 25569 days lie between 1899-12-30 and 1970-01-01; the time is rounded to whole seconds.
  const double seconds = std::round((oleDays - 25569.0) * 86400.0);
  const std::time_t when = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&when, &parts) == nullptr) return {};
  char buffer[64];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S %A", &parts);
  return buffer;
}

KestrelValueText VariantText(const platform::Variant& value) {
  using platform::VariantType;
  switch (value.Type()) {
    case VariantType::kInt16:
      return {std::to_string(value.AsInt16()), std::nullopt};
    case VariantType::kInt32:
      return {std::to_string(value.AsInt32()), std::nullopt};
    case VariantType::kFloat:
      return {Printed("%f", value.AsFloat()), std::nullopt};
    case VariantType::kDouble:
      return {Printed("%f", value.AsDouble()), std::nullopt};
    case VariantType::kDate:
      return {value.ChangeToString(), SortableDate(value.AsDate())};
    case VariantType::kString:
      return {value.AsString(), std::nullopt};
    case VariantType::kBool:
      return {value.AsBool() ? "True" : "False", std::nullopt};
    case VariantType::kByte:
      return {std::string(1, static_cast<char>(value.AsByte())), std::nullopt};
    default:
      return {};
  }
}

std::string MaskedParameterValue(const std::string& name, const std::string& value) {
  return LowercaseCopy(name) == "password" ? "****" : value;
}

std::string DescribeParameters(const std::vector<std::pair<std::string, std::string>>& parameters) {
  std::string text;
  for (const auto& [name, value] : parameters) {
    if (!text.empty()) text += ", ";
    text += name + "='" + MaskedParameterValue(name, value) + "'";
  }
  return text;
}
