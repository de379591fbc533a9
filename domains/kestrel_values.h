// Texts of the data-source component's values: the variant of a property as an attribute's
// text (with the sortable form of dates) and the masking of passwords in locator parameters.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/variant.h"

struct KestrelValueText {
  std::string text;
  // Dates only: "%Y-%m-%d %H:%M:%S %A", what comparisons and sorting use.
  std::optional<std::string> sortable;
};

// Empty ""; 16/32-bit integers "%i"; 32/64-bit floats "%f"; a date the component's own text
// and the sortable form; text as it is; a boolean "True" for any non-zero value, else "False";
// an unsigned byte the one character of that code; any other type "".
KestrelValueText VariantText(platform::Variant value);

// The sortable form of an automation date (days since 1899-12-30).
std::string SortableDate(double oleDays);

// "****" for a parameter named "Password" in any letter case, else the value.
std::string MaskedParameterValue(const std::string& name, const std::string& value);
// "name='value'" pairs joined by ", ", passwords written "Password='****'".
std::string DescribeParameters(const std::vector<std::pair<std::string, std::string>>& parameters);
