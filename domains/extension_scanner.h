// ExtensionScanner: splits the text of a domain extension file into the tokens of its language
// (keywords, names, strings, placeholders and line ends), counting lines for messages.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

enum class ExtensionToken {
  kEndOfFile,
  kClass,
  kExistingClass,
  kEndClass,
  kCriteria,
  kConstructor,
  kRemove,
  kAttribute,
  kUnaryRelationship,
  kNaryRelationship,
  kSource,
  kEndSource,
  kPlaceholder,  // "%@%", with the name characters written directly after it as its text
  kName,
  kString,  // its text is the value, without the quotes
  kEndOfLine,
  kUnterminatedString,  // a double quote that no other one closes
};

class ExtensionScanner {
 public:
  // Scans `text` (which must outlive the scanner). Characters that start no token are copied to
  // `unknown` unchanged.
  ExtensionScanner(std::string_view text, std::ostream& unknown);

  // The next token; `value` receives its text (empty for keywords and line ends).
  ExtensionToken next(std::string& value);
  // The line (from 1) on which the last token began.
  int line() const { return tokenLine_; }

  // The keyword spelled exactly `word`, or kName.
  static ExtensionToken keywordOf(std::string_view word);

 private:
  std::string_view text_;
  std::ostream& unknown_;
  size_t position_ = 0;
  int line_ = 1;
  int tokenLine_ = 1;
};
