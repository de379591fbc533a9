// The COM-error exception: what a failing component call raises. Callers catch it at their
// boundary and turn it into a status, a log line or an error-page entry.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

using HResult = int32_t;

inline constexpr HResult kS_OK = 0;
inline constexpr HResult kE_NOTIMPL = static_cast<HResult>(0x80004001);
inline constexpr HResult kE_POINTER = static_cast<HResult>(0x80004003);
inline constexpr HResult kE_FAIL = static_cast<HResult>(0x80004005);
inline constexpr HResult kE_OUTOFMEMORY = static_cast<HResult>(0x8007000E);
inline constexpr HResult kE_INVALIDARG = static_cast<HResult>(0x80070057);
inline constexpr HResult kREGDB_E_CLASSNOTREG = static_cast<HResult>(0x80040154);

class ComError : public std::runtime_error {
 public:
  ComError(HResult code, const std::string& description)
      : std::runtime_error(description), code_(code), description_(description) {}

  HResult Code() const { return code_; }
  const std::string& Description() const { return description_; }

 private:
  HResult code_;
  std::string description_;
};

}  // namespace platform
