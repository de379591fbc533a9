// The one way from an exception that reaches an entry point of page generation to a status.
#pragma once

#include <string>

#include "foundation/quire_status.h"

// The status of the exception being handled: kProcessingError, its message `context` followed by a
// document failure's description, or for any other exception host_message::kUnexpectedError (with
// the exception's own text after ": " when it has one). Call only inside a catch block.
QuireStatus CurrentExceptionStatus(const std::string& context);
