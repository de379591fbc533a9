// The exception status of page generation: document failures and unexpected errors alike.
#include "generate/exception_status.h"

#include <exception>

#include "foundation/host_hooks.h"
#include "platform/com_error.h"

QuireStatus CurrentExceptionStatus(const std::string& context) {
  try {
    throw;
  } catch (const platform::ComError& error) {
    return QuireStatus(kProcessingError, context + error.Description());
  } catch (const std::exception& error) {
    return QuireStatus(kProcessingError,
                       context + HostString(host_message::kUnexpectedError) + ": " + error.what());
  } catch (...) {
    return QuireStatus(kProcessingError, context + HostString(host_message::kUnexpectedError));
  }
}
