// Variant texts of the data-source domains and password masking.
#include "domains/kestrel_values.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "foundation/text_helpers.h"
#include "platform/calendar.h"

namespace {

std::string Printed(const char* format, double number) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, number);
  return buffer;
}

}  // namespace

std::string SortableDate(double oleDays) {
  static constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                              "Thursday", "Friday", "Saturday"};
  if (!std::isfinite(oleDays) || std::fabs(oleDays) > 3e6) return {};
  int64_t days = 0;
  int64_t time = 0;
  platform::SplitAutomationDate(oleDays, days, time);
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  platform::CivilFromDays(days, year, month, day);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u %02d:%02d:%02d %s",
                static_cast<long long>(year), month, day, static_cast<int>(time / 3600),
                static_cast<int>(time / 60 % 60), static_cast<int>(time % 60),
                kWeekdays[platform::WeekdayFromDays(days)]);
  return buffer;
}

KestrelValueText VariantText(platform::Variant value) {
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
      return {value.TakeString(), std::nullopt};
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
