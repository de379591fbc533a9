// Helpers shared by the foundation tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "foundation/cx_error_descriptor.h"

// Runs `call`, which must report an error on the standard error stream and throw CX_Exception
// carrying the same descriptor; returns what was reported.
inline std::string ReportOf(const std::function<void()>& call) {
  testing::internal::CaptureStderr();
  try {
    call();
  } catch (const CX_Exception& e) {
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(report, e.Descriptor().Text() + "\n") << "thrown and reported descriptors differ";
    return report;
  }
  const std::string report = testing::internal::GetCapturedStderr();
  ADD_FAILURE() << "no CX_Exception; reported: " << report;
  return report;
}

// Runs `call`, which must report `expected` and throw it.
inline void ExpectRejected(const std::function<void()>& call, const CX_ErrorDescriptor& expected) {
  EXPECT_EQ(ReportOf(call), expected.Text() + "\n");
}
