#include "model/quire_value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <utility>
#include <vector>

#include "foundation/escaping.h"
#include "foundation/number_images.h"
#include "foundation/pattern_match.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "platform/config.h"

namespace {

constexpr float kTolerance = 0.0001f;

const std::string& EmptyText() {
  static const std::string& empty = *new std::string;
  return empty;
}

bool IsText(int32_t type) { return type == QuireType::STRING || type == QuireType::FILENAME; }

// Byte-wise three-way comparison; case-blind on ASCII letters when asked.
int CompareTexts(const std::string& a, const std::string& b, bool ignoreCase) {
  const int order = ignoreCase ? LowercaseCopy(a).compare(LowercaseCopy(b)) : a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Replaces each "${NAME}" whose name has a setting by that setting's value, in one pass from the
// left (replacement texts are not expanded again). False when nothing was replaced.
bool ExpandSettings(const std::string& text, std::string& expanded) {
  expanded.clear();
  bool replaced = false;
  size_t position = 0;
  while (position < text.size()) {
    const size_t open = text.find("${", position);
    if (open == std::string::npos) break;
    const size_t close = text.find('}', open + 2);
    if (close == std::string::npos) break;
    const platform::ConfigSetting setting(text.substr(open + 2, close - open - 2));
    expanded.append(text, position, open - position);
    if (setting.Found()) {
      expanded += setting.Value();
      replaced = true;
    } else {
      expanded.append(text, open, close + 1 - open);
    }
    position = close + 1;
  }
  expanded.append(text, std::min(position, text.size()), std::string::npos);
  return replaced;
}

bool TextsEqual(const std::string& a, const std::string& b, bool ignoreCase) {
  if (CompareTexts(a, b, ignoreCase) == 0) return true;
  // Most texts name no setting: nothing to expand, and no copies of them.
  if (a.find("${") == std::string::npos && b.find("${") == std::string::npos) return false;
  std::string expandedA;
  std::string expandedB;
  const bool changedA = ExpandSettings(a, expandedA);
  const bool changedB = ExpandSettings(b, expandedB);
  if (!changedA && !changedB) return false;
  return CompareTexts(changedA ? expandedA : a, changedB ? expandedB : b, ignoreCase) == 0;
}

// A LIKE pattern search: true when the pattern is found anywhere in the text. A pattern that the
// matcher rejects matches nothing (and is not reported: templates may hold any text).
bool PatternFound(const std::string& text, const std::string& pattern) {
  const CX_TREPatternMatch matcher(pattern);
  return matcher.IsValid() && matcher.Find(text, 0) >= 0;
}

// The integer fields of a dotted version text; each field reads its leading sign and digits,
// saturating at the bounds of 64 bits.
std::vector<long long> VersionFields(std::string text) {
  std::vector<long long> fields;
  std::string field;
  while (!text.empty()) {
    SplitHead(text, field, '.');
    size_t i = 0;
    const bool negative = !field.empty() && field[0] == '-';
    if (!field.empty() && (field[0] == '-' || field[0] == '+')) i = 1;
    long long value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
      const int digit = field[i] - '0';
      if (value > (std::numeric_limits<long long>::max() - digit) / 10) {
        value = std::numeric_limits<long long>::max();
        break;
      }
      value = value * 10 + digit;
    }
    fields.push_back(negative ? -value : value);
  }
  return fields;
}

// Both values' texts as numbers, when both are STRING values whose whole texts read as numbers.
bool BothParse(const QuireValue& a, const QuireValue& b, double& x, double& y) {
  bool validA = false;
  bool validB = false;
  x = ParseDecimal(a.textValue(), validA);
  y = ParseDecimal(b.textValue(), validB);
  return validA && validB;
}

}  // namespace

QuireValue::QuireValue(bool value) : type_(QuireType::BOOLEAN), payload_(value) {}

QuireValue::QuireValue(float value) : type_(QuireType::NUMBER), payload_(value) {}

QuireValue::QuireValue(std::string text, bool isFilename)
    : type_(isFilename ? QuireType::FILENAME : QuireType::STRING), payload_(std::move(text)) {}

QuireValue::QuireValue(const char* text, bool isFilename)
    : QuireValue(std::string(text == nullptr ? "" : text), isFilename) {}

QuireValue::QuireValue(const QuireGraphic& graphic)
    : type_(QuireType::GRAPHIC), payload_(graphic) {}

QuireValue QuireValue::wildcard(std::string text) {
  QuireValue value(std::move(text));
  value.type_ = QuireType::WILDCARD;
  return value;
}

bool QuireValue::booleanValue() const {
  const bool* value = std::get_if<bool>(&payload_);
  return value != nullptr && *value;
}

float QuireValue::numberValue() const {
  const float* value = std::get_if<float>(&payload_);
  return value == nullptr ? 0.0f : *value;
}

const std::string& QuireValue::textValue() const {
  const std::string* text = std::get_if<std::string>(&payload_);
  return text == nullptr ? EmptyText() : *text;
}

const QuireGraphic* QuireValue::graphic() const { return std::get_if<QuireGraphic>(&payload_); }

void QuireValue::setBoolean(bool value) {
  type_ = QuireType::BOOLEAN;
  payload_ = value;
}

void QuireValue::setNumber(float value) {
  type_ = QuireType::NUMBER;
  payload_ = value;
}

void QuireValue::setText(std::string text, bool isFilename) {
  type_ = isFilename ? QuireType::FILENAME : QuireType::STRING;
  payload_ = std::move(text);
}

void QuireValue::setGraphic(const QuireGraphic& graphic) {
  type_ = QuireType::GRAPHIC;
  payload_ = graphic;
}

void QuireValue::setUndefined() {
  type_ = QuireType::UNDEFINED;
  payload_ = std::monostate{};
}

void QuireValue::setTextType(int32_t type) {
  if (IsText(type_) && IsText(type)) type_ = type;
}

std::string QuireValue::displayText() && {
  if (type_ == QuireType::STRING || type_ == QuireType::FILENAME || type_ == QuireType::WILDCARD) {
    if (std::string* text = std::get_if<std::string>(&payload_)) return std::move(*text);
  }
  return std::as_const(*this).displayText();
}

std::string QuireValue::displayText() const& {
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() ? "TRUE" : "FALSE";
    case QuireType::NUMBER:
      return QuireNumberText(numberValue());
    case QuireType::STRING:
    case QuireType::FILENAME:
    case QuireType::WILDCARD:
      return textValue();
    case QuireType::GRAPHIC:
      return "<ILLEGAL ATTRIBUTE TYPE>";
    default:
      return "<UNDEFINED>";
  }
}

std::string QuireValue::shortText(QuireStatus& status, bool encoded) const {
  status = QuireStatus();
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() ? "T" : "F";
    case QuireType::NUMBER:
      return QuireNumberText(numberValue());
    case QuireType::STRING:
    case QuireType::FILENAME:
      return encoded ? EscapeNonAlphanumeric(textValue()) : textValue();
    case QuireType::GRAPHIC:
      // Encoded like a text so that a path with "," or "=" cannot break an identifier.
      return encoded ? EscapeNonAlphanumeric(graphic()->text()) : graphic()->text();
    default:
      status = QuireStatus(kNoTextForm, "Value");
      return {};
  }
}

bool QuireValue::equals(const QuireValue& other, bool ignoreCase) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() == other.booleanValue();
    case QuireType::NUMBER: {
      const float difference = numberValue() - other.numberValue();
      return difference > -kTolerance && difference < kTolerance;
    }
    case QuireType::STRING:
    case QuireType::FILENAME:
      return TextsEqual(textValue(), other.textValue(), ignoreCase);
    case QuireType::GRAPHIC:
      return *graphic() == *other.graphic();
    case QuireType::WILDCARD:
    case QuireType::UNDEFINED:
      return true;
    default:
      return false;
  }
}

bool QuireValue::less(const QuireValue& other, bool ignoreCase) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() != other.booleanValue();
    case QuireType::NUMBER:
      return numberValue() - other.numberValue() < -kTolerance;
    case QuireType::STRING:
    case QuireType::FILENAME:
      return CompareTexts(textValue(), other.textValue(), ignoreCase) < 0;
    default:
      return false;
  }
}

bool QuireValue::lessOrEqual(const QuireValue& other, bool ignoreCase) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() == other.booleanValue();
    case QuireType::NUMBER:
      return numberValue() - other.numberValue() < kTolerance;
    case QuireType::STRING:
    case QuireType::FILENAME:
      return CompareTexts(textValue(), other.textValue(), ignoreCase) <= 0;
    case QuireType::GRAPHIC:
      return *graphic() == *other.graphic();
    default:
      return false;
  }
}

bool QuireValue::greater(const QuireValue& other, bool ignoreCase) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() != other.booleanValue();
    case QuireType::NUMBER:
      return numberValue() - other.numberValue() > kTolerance;
    case QuireType::STRING:
    case QuireType::FILENAME:
      return CompareTexts(textValue(), other.textValue(), ignoreCase) > 0;
    default:
      return false;
  }
}

bool QuireValue::greaterOrEqual(const QuireValue& other, bool ignoreCase) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() == other.booleanValue();
    case QuireType::NUMBER:
      return numberValue() - other.numberValue() > -kTolerance;
    case QuireType::STRING:
    case QuireType::FILENAME:
      return CompareTexts(textValue(), other.textValue(), ignoreCase) >= 0;
    case QuireType::GRAPHIC:
      return *graphic() == *other.graphic();
    default:
      return false;
  }
}

// The numeric-aware forms compare parsed numbers exactly, so that equal, less and greater stay
// mutually exclusive for sorting.
bool QuireValue::numericEquals(const QuireValue& other, bool ignoreCase) const {
  if (type_ == QuireType::STRING && other.type_ == QuireType::STRING) {
    if (CompareTexts(textValue(), other.textValue(), ignoreCase) == 0) return true;
    double x = 0;
    double y = 0;
    if (BothParse(*this, other, x, y)) return x == y;
  }
  return equals(other, ignoreCase);
}

bool QuireValue::numericLess(const QuireValue& other, bool ignoreCase) const {
  if (type_ == QuireType::STRING && other.type_ == QuireType::STRING) {
    if (CompareTexts(textValue(), other.textValue(), ignoreCase) == 0) return false;
    double x = 0;
    double y = 0;
    if (BothParse(*this, other, x, y)) return x < y;
  }
  return less(other, ignoreCase);
}

bool QuireValue::numericLessOrEqual(const QuireValue& other, bool ignoreCase) const {
  if (type_ == QuireType::STRING && other.type_ == QuireType::STRING) {
    if (CompareTexts(textValue(), other.textValue(), ignoreCase) == 0) return true;
    double x = 0;
    double y = 0;
    if (BothParse(*this, other, x, y)) return x <= y;
  }
  return lessOrEqual(other, ignoreCase);
}

bool QuireValue::versionLess(const QuireValue& other) const {
  if (!IsText(type_) || !IsText(other.type_)) return false;
  const std::vector<long long> left = VersionFields(textValue());
  const std::vector<long long> right = VersionFields(other.textValue());
  for (size_t i = 0; i < left.size() && i < right.size(); ++i) {
    if (left[i] != right[i]) return left[i] < right[i];
  }
  return left.size() < right.size();
}

bool QuireValue::matches(const QuireValue& pattern) const {
  if (type_ == QuireType::WILDCARD || pattern.type_ == QuireType::WILDCARD) return true;
  if (type_ != pattern.type_) {
    if (pattern.type_ != QuireType::STRING) return false;
    std::string text;
    switch (type_) {
      case QuireType::BOOLEAN:
      case QuireType::NUMBER:
        text = displayText();
        break;
      case QuireType::FILENAME:
        text = textValue();
        break;
      case QuireType::GRAPHIC:
        text = graphic()->text();
        break;
      default:
        text = "UNDEFINED";
        break;
    }
    return PatternFound(text, pattern.textValue());
  }
  switch (type_) {
    case QuireType::BOOLEAN:
      return booleanValue() == pattern.booleanValue();
    case QuireType::NUMBER:
      return numberValue() == pattern.numberValue();
    case QuireType::STRING:
    case QuireType::FILENAME:
      if (textValue().empty()) return textValue() == pattern.textValue();
      return PatternFound(textValue(), pattern.textValue());
    case QuireType::GRAPHIC:
      return *graphic() == *pattern.graphic();
    case QuireType::UNDEFINED:
      return true;
    default:
      return false;
  }
}

std::string QuireNumberText(float value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // The shortest decimal that reads back as this float is the number it stands for (0.7f is
  // 0.7, not 0.69999998...); its digits are cut, never rounded.
  char buffer[128];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (error != std::errc()) return "0.000";
  std::string image(buffer, end);
  if (value == 0.0f) image = "0";  // no sign on a negative zero
  std::string fraction;
  const size_t point = image.find('.');
  if (point != std::string::npos) {
    fraction = image.substr(point + 1);
    image.erase(point);
  }
  fraction.resize(3, '0');
  return image + "." + fraction;
}
