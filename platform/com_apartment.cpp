#include "platform/com_apartment.h"

namespace platform {
namespace {

// Outstanding initialisations of this thread's apartment.
thread_local int t_initialisations = 0;

}  // namespace

HResult CoInitializeApartment() {
  ++t_initialisations;
  return t_initialisations == 1 ? kS_OK : kS_FALSE;
}

void CoUninitializeApartment() {
  if (t_initialisations > 0) --t_initialisations;
}

bool ApartmentInitialised() { return t_initialisations > 0; }

}  // namespace platform
