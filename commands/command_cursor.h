// CommandCursor: the unread rest of a command text, consumed from the front field by field.
// Every element of the command language parses itself from a cursor.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class CommandCursor {
 public:
  explicit CommandCursor(std::string text) : text_(std::move(text)) {}

  // Takes everything up to the first `delimiter` into `field` and drops the delimiter. When the
  // delimiter is absent, `field` is the whole rest, the rest becomes empty and the result is
  // false. A delimiter at the front yields an empty field.
  bool takeField(char delimiter, std::string& field);
  // Takes one character into `letter`; false (and '\0') when nothing is left.
  bool takeLetter(char& letter);
  // The next character without taking it; '\0' when nothing is left.
  char peek() const { return position_ < text_.size() ? text_[position_] : '\0'; }
  // Drops up to `count` characters.
  void skip(std::size_t count);
  bool empty() const { return position_ >= text_.size(); }
  std::string_view rest() const { return std::string_view(text_).substr(position_); }
  // Takes the whole rest.
  std::string takeRest();

 private:
  std::string text_;
  std::size_t position_ = 0;
};
