// The stand-in for COM apartment initialisation: each thread counts how often it initialised its
// apartment, as COM does, so that nested initialisations report kS_FALSE and the apartment stays
// up until every successful initialisation is balanced by an uninitialisation.
#pragma once

#include "platform/com_error.h"

namespace platform {

// "Success, but nothing was done": the thread's apartment was already initialised.
inline constexpr HResult kS_FALSE = 1;

// Initialises the calling thread's (single-threaded) apartment. kS_OK the first time,
// kS_FALSE when the thread is already initialised; both must be balanced by one
// CoUninitializeApartment on the same thread.
HResult CoInitializeApartment();

// Undoes one CoInitializeApartment of the calling thread; the apartment ends with the last one.
// A call on a thread that is not initialised does nothing.
void CoUninitializeApartment();

// Whether the calling thread's apartment is initialised.
bool ApartmentInitialised();

}  // namespace platform
