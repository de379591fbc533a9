// The agent's COM apartment on the command thread.
#include "agent/agent.h"

#include "platform/com_apartment.h"

Agent::Agent(const std::string& name) : name_(name) {
  const platform::HResult result = platform::CoInitializeApartment();
  // A call that only counted a nested initialisation (S_FALSE) is balanced at destruction too.
  comInitialised_ = result >= 0;
  hasCore_ = result == platform::kS_OK;
}

Agent::~Agent() {
  if (comInitialised_) platform::CoUninitializeApartment();
}
