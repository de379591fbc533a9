// The encoding of the argument texts that travel in domain-library queries and answers: a text
// may hold blanks and line breaks although queries separate their words by blanks and answers
// their items by line breaks.
#pragma once

#include <string>

// White space and backslashes written as "\xHH" (upper-case hex); other bytes as they are.
std::string EncodeQueryArgument(const std::string& text);
// Reverses the encoding; also reads "\ooo" (three octal digits) and "\c" (the character c).
std::string DecodeQueryArgument(const std::string& text);
