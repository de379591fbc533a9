// The exception status of page generation: document failures and unexpected errors alike.
#include "generate/exception_status.h"

#include <exception>

#include "foundation/host_hooks.h"
#include "platform/com_error.h"

namespace {

constexpr uint32_t kDomFailure = 62;
constexpr unsigned kUnexpectedError = 40530;

}  // namespace

QuireStatus CurrentExceptionStatus(const std::string& context) {
  try {
    throw;
  } catch (const platform::ComError& error) {
    return QuireStatus(kDomFailure, context + error.Description());
  } catch (const std::exception& error) {
    return QuireStatus(kDomFailure, context + HostString(kUnexpectedError) + ": " + error.what());
  } catch (...) {
    return QuireStatus(kDomFailure, context + HostString(kUnexpectedError));
  }
}
