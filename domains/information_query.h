// QuireInformationQuery: one text query to a remote domain's library and its answer, and the
// encoding of the argument texts that travel in queries and answers.
#pragma once

#include <string>
#include <vector>

#include "foundation/quire_status.h"

class QuireInformationQuery {
 public:
  // Sends `query` (a newline is appended when it has none) to the library of `domain`, loading
  // the library on the domain's first query. On success `response` holds the response exactly
  // as long as its header announced. Failures set the status (and write one diagnostic line):
  // kEvaluationError for a library that cannot be found, loaded or called, or a table that is
  // full; kInformationSourceError for a bad header or a "Failure" answer (its text the message).
  static void makeQuery(const std::string& domain, const std::string& query, std::string& response,
                        QuireStatus& status);
};

// The response without its final character (the library's closing newline).
std::string ResponseText(const std::string& response);
// The response without its final character, split at newlines.
std::vector<std::string> ResponseLines(const std::string& response);

// White space and backslashes written as "\xHH" (upper-case hex); other bytes as they are.
std::string EncodeQueryArgument(const std::string& text);
// Reverses the encoding; also reads "\ooo" (three octal digits) and "\c" (the character c).
std::string DecodeQueryArgument(const std::string& text);
