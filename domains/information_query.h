// QuireInformationQuery: one text query to a remote domain's library and its answer.
#pragma once

#include <string>
#include <vector>

#include "domains/query_argument_encoding.h"
#include "foundation/quire_status.h"

class QuireInformationQuery {
 public:
  // Sends `query` (a newline is appended when it does not end in one) to the library of
  // `domain`, loading the library on the domain's first query. On success `response` holds the
  // response exactly as long as its header announced. Failures set the status and write one
  // diagnostic line: kEvaluationError for a library that cannot be found, loaded or called, or a
  // full table; kInformationSourceError for a query with a line break before its end (not sent:
  // an identifier a library answered can hold one), a bad header, a response that is missing,
  // shorter than announced or too large, or a "Failure" answer (its text then is the message).
  static void makeQuery(const std::string& domain, const std::string& query, std::string& response,
                        QuireStatus& status);
};

// The response without its closing newline (a response without one is kept whole).
std::string ResponseText(const std::string& response);
// The response without its closing newline, split at newlines (a "\r" before one is dropped);
// no lines for an empty response.
std::vector<std::string> ResponseLines(const std::string& response);
