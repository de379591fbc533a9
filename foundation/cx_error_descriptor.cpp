#include "foundation/cx_error_descriptor.h"

#include <cstdio>
#include <cstdlib>

std::string CX_ErrorDescriptor::Text() const {
  return std::string(kind) + " (who: " + who + ", what: " + what + ")";
}

CX_Exception::CX_Exception(const CX_ErrorDescriptor& descriptor)
    : descriptor_(descriptor), text_(descriptor.Text()) {}

void CX_ReportError(const CX_ErrorDescriptor& descriptor) {
  std::fprintf(stderr, "%s\n", descriptor.Text().c_str());
  std::fflush(stderr);
}

void CX_ReportFatalError(const CX_ErrorDescriptor& descriptor) {
  std::fprintf(stderr, "EXCEPTION: %s\n", descriptor.Text().c_str());
  std::fflush(stderr);
  std::abort();
}
