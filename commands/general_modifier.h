// Modifiers: how DISPLAY formats a value ("B" boolean, "N" number, "S" string, "G" graphic,
// "L" link), with two hexadecimal flag digits and, when the flags' low three bits are 2, a text.
// GeneralModifier is the envelope that owns one and forwards to it; copies clone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/quire_attribute_value.h"

class CommandCursor;

class Modifier {
 public:
  virtual ~Modifier() = default;
  virtual std::unique_ptr<Modifier> clone() const = 0;
  virtual uint8_t flags() const { return flags_; }
  virtual const std::string& text() const { return text_; }
  virtual void setText(const std::string& text) { text_ = text; }
  // The modifier's letter ('B', 'N', 'S', 'G', 'L').
  virtual char letter() const = 0;
  virtual void setFlags(uint8_t flags) { flags_ = flags; }
  // The letter part ("S" + case letter + ...), without flags and text.
  virtual std::string print(QuireStatus& status) const = 0;
  // The formatted value; a value of the wrong type is returned unchanged with the status set.
  virtual QuireAttributeValue apply(const QuireAttributeValue& value,
                                    QuireStatus& status) const = 0;
  // The same, formatting `value` itself: a value that is not of the modifier's type is left as
  // it is, with the status set.
  virtual void applyInPlace(QuireAttributeValue& value, QuireStatus& status) const {
    value = apply(value, status);
  }

 protected:
  uint8_t flags_ = 0;
  std::string text_;
};

class GeneralModifier {
 public:
  GeneralModifier() = default;
  // Parses a modifier for an attribute of `attributeType` from the front of `cursor` (an "S"
  // modifier becomes the modifier of that type; FILENAME and other types: kSyntaxError
  // "GeneralModifier"), then the flags and, for flags ending in binary 010, the text. The field
  // (and so the text) ends at ":", which is taken, or at the end of the text.
  GeneralModifier(CommandCursor& cursor, int32_t attributeType, QuireStatus& status);
  explicit GeneralModifier(std::unique_ptr<Modifier> modifier) : modifier_(std::move(modifier)) {}
  GeneralModifier(const GeneralModifier& other);
  GeneralModifier& operator=(const GeneralModifier& other);
  GeneralModifier(GeneralModifier&&) noexcept = default;
  GeneralModifier& operator=(GeneralModifier&&) noexcept = default;

  bool isEmpty() const { return modifier_ == nullptr; }
  const Modifier* get() const { return modifier_.get(); }
  uint8_t flags() const { return modifier_ ? modifier_->flags() : 0; }
  void setFlags(uint8_t flags);
  // The element, then "%.2x" flags when not 0, then the text when the low bits are 2.
  std::string print(QuireStatus& status) const;
  // An empty envelope returns the value unchanged.
  QuireAttributeValue apply(const QuireAttributeValue& value, QuireStatus& status) const;
  // The same for a value the caller gives up, formatted without a copy where the modifier can.
  QuireAttributeValue apply(QuireAttributeValue&& value, QuireStatus& status) const;

 private:
  std::unique_ptr<Modifier> modifier_;
};
