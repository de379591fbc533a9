// QuireValue: a typed value (BOOLEAN, NUMBER, STRING, FILENAME, GRAPHIC, WILDCARD or UNDEFINED)
// with an optional second text that sorting uses in its place. Copies are deep.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "model/quire_graphic.h"
#include "model/quire_types.h"

class QuireStatus;

class QuireValue {
 public:
  // UNDEFINED.
  QuireValue() = default;
  explicit QuireValue(bool value);
  explicit QuireValue(float value);
  // STRING, or FILENAME when `isFilename`.
  explicit QuireValue(std::string text, bool isFilename = false);
  explicit QuireValue(const char* text, bool isFilename = false);
  explicit QuireValue(const QuireGraphic& graphic);
  // A WILDCARD value that matches anything.
  static QuireValue wildcard(std::string text);

  QuireValue(const QuireValue&) = default;
  QuireValue(QuireValue&&) noexcept = default;
  QuireValue& operator=(const QuireValue&) = default;
  QuireValue& operator=(QuireValue&&) noexcept = default;
  virtual ~QuireValue() = default;

  int32_t type() const { return type_; }
  bool isUndefined() const { return type_ == QuireType::UNDEFINED; }

  // The payload; a payload of another type reads as false, 0, the empty text or null.
  bool booleanValue() const;
  float numberValue() const;
  const std::string& textValue() const;  // STRING, FILENAME, WILDCARD
  const QuireGraphic* graphic() const;

  // Replace the payload (and the type with it).
  void setBoolean(bool value);
  void setNumber(float value);
  void setText(std::string text, bool isFilename = false);
  void setGraphic(const QuireGraphic& graphic);
  void setUndefined();
  // Retypes a STRING as FILENAME (or back), keeping the text.
  void setTextType(int32_t type);

  const std::optional<std::string>& secondText() const { return secondText_; }
  void setSecondText(std::string text) { secondText_ = std::move(text); }

  // What DISPLAY shows: "TRUE"/"FALSE", the number text, the text, "<ILLEGAL ATTRIBUTE TYPE>"
  // for GRAPHIC, "<UNDEFINED>" for UNDEFINED.
  std::string displayText() const&;
  std::string displayText() &&;  // a text value is moved out
  // The form handed to data sources: "T"/"F", the number text, the text (escaped when
  // `encoded`), the graphic's text; other types set kNoTextForm ("Value") and give "".
  std::string shortText(QuireStatus& status, bool encoded = false) const;

  // Comparisons. Values of different types are never equal nor ordered unless stated.
  bool equals(const QuireValue& other, bool ignoreCase = false) const;
  bool less(const QuireValue& other, bool ignoreCase = false) const;
  bool lessOrEqual(const QuireValue& other, bool ignoreCase = false) const;
  bool greater(const QuireValue& other, bool ignoreCase = false) const;
  bool greaterOrEqual(const QuireValue& other, bool ignoreCase = false) const;
  // Numeric-aware: texts that both read as numbers compare as numbers.
  bool numericEquals(const QuireValue& other, bool ignoreCase = false) const;
  bool numericLess(const QuireValue& other, bool ignoreCase = false) const;
  bool numericLessOrEqual(const QuireValue& other, bool ignoreCase = false) const;
  // Dotted version numbers compared field by field ("2.9" before "2.10").
  bool versionLess(const QuireValue& other) const;
  // LIKE: this value against `pattern` (wildcards always match).
  bool matches(const QuireValue& pattern) const;

 private:
  int32_t type_ = QuireType::UNDEFINED;
  std::variant<std::monostate, bool, float, std::string, QuireGraphic> payload_;
  std::optional<std::string> secondText_;
};

// The number text: integer part, ".", three truncated fraction digits (1.5 gives "1.500").
std::string QuireNumberText(float value);
