// The text protocol between the agent and a domain library, independent of any domain: reading
// a query, the argument encoding, and the answer (a 16-byte header and a response text).
#pragma once

#include <string>
#include <vector>

// The words of a query line, split at single spaces, without the final newline. A query whose
// operands are encoded (see EncodeArgument) never holds other spaces, except the image request
// at the end of a picture query, which Rest() gives back whole.
class QueryWords {
 public:
  explicit QueryWords(const char* query);

  size_t size() const { return words_.size(); }
  // The word at `index`; "" beyond the last.
  const std::string& operator[](size_t index) const;
  // Everything from the word at `index` to the end, spaces included; "" beyond the last.
  std::string Rest(size_t index) const;

 private:
  std::string line_;
  std::vector<std::string> words_;
  std::vector<size_t> starts_;  // where each word begins in line_
};

// White space and backslashes become "\x" and two upper-case hexadecimal digits; every other
// byte (UTF-8 included) stays as it is. Used for argument values in both directions: the agent
// encodes what it sends, a library encodes the lines of its "#Decompose#" answers.
std::string EncodeArgument(const std::string& text);
// Reverses the encoding: "\xHH", "\ooo" (three octal digits), and "\c" for any other c.
std::string DecodeArgument(const std::string& text);

// The answer to the current query. It owns the response text, which must stay valid after the
// entry point returns, until the next query: keep one Answer for the life of the library.
class Answer {
 public:
  // A successful answer. `text` should end in a newline: the agent drops the last character.
  void Succeed(std::string text);
  // A failed answer; the agent shows `reason` as the error of the command that asked.
  void Fail(const std::string& reason);

  // Hands the answer to the agent: "Success" or "Failure" in header bytes 0-6, a blank, the
  // length in decimal from byte 8 and a terminating zero; the response pointer and length.
  void Deliver(char* header, const char** response, unsigned long* length) const;

 private:
  bool ok_ = false;
  std::string text_;
};
