#include "commands/command_cursor.h"

#include <algorithm>

bool CommandCursor::takeField(char delimiter, std::string& field) {
  const std::size_t end = text_.find(delimiter, position_);
  if (end == std::string::npos) {
    field = takeRest();
    return false;
  }
  field.assign(text_, position_, end - position_);
  position_ = end + 1;
  return true;
}

bool CommandCursor::takeLetter(char& letter) {
  if (empty()) {
    letter = '\0';
    return false;
  }
  letter = text_[position_++];
  return true;
}

void CommandCursor::skip(std::size_t count) {
  position_ = std::min(text_.size(), position_ + count);
}

std::string CommandCursor::takeRest() {
  std::string rest = text_.substr(std::min(position_, text_.size()));
  position_ = text_.size();
  return rest;
}
