// The word scanner of domain schema files (".dom"): reads the text line by line and hands the
// parser one token at a time, each with the number of the line it was found on.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

// Token kinds; the numbers are the ones the "Token kind was" diagnostic line names.
enum class SchemaTokenKind : int {
  kEof = 0,
  kError = 1,
  kDomain = 2,
  kClass = 3,
  kEndClass = 4,
  kPersistentId = 5,
  kConnector = 6,
  kConstructor = 7,
  kConstructor2 = 8,
  kSelector = 9,
  kName = 10,
  kClassRef = 11,
  kClassSet = 12,
  kBoolean = 13,
  kNumber = 14,
  kString = 15,
  kFilename = 16,
  kGraphic = 17,
};

// A type keyword: boolean, number, string, filename or graphic.
bool IsPrimitiveType(SchemaTokenKind kind);

struct SchemaToken {
  SchemaTokenKind kind = SchemaTokenKind::kEof;
  std::string word;       // as written ("<EOF>" at the end of the text)
  std::string domain;     // class references: the part before the last "."
  std::string className;  // class references: the part after it, without a final "*"
  int line = 0;
};

class SchemaScanner {
 public:
  // The longest line, in characters (not counting the line end).
  static constexpr std::size_t kMaxLineCharacters = 1023;

  explicit SchemaScanner(std::istream& in) : in_(in) {}

  // The next token. Empty lines and lines that start with "#" are skipped (but counted). The
  // reserved words "<EOF>", "<ERROR>", "<NAME>", "<CLASS>" and "<CLASS SET>" come back as kError
  // after an "unknown token" line on the error stream. A line that cannot be taken as schema text
  // (longer than kMaxLineCharacters, holding a zero byte, or not UTF-8) writes "line <n>: " and the
  // reason to the error stream and throws QuireStatus (kProcessingError,
  // host_message::kSchemaSyntaxError).
  SchemaToken next();

  // The number of the line last read (0 before the first).
  int lineNumber() const { return lineNumber_; }

 private:
  // Reads the next line into line_; false at the end of the text.
  bool readLine();
  [[noreturn]] void failLine(const std::string& reason) const;

  std::istream& in_;
  std::string line_;
  std::size_t position_ = 0;
  int lineNumber_ = 0;
  bool atEnd_ = false;
};
