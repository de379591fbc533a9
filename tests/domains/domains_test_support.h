// Helpers shared by the domain tests: temporary folders, the captured error stream and the
// sample installation's host strings.
#pragma once

#include "tests/common/test_support.h"

namespace domains_test {

using test_support::CapturedStderr;
using test_support::LoadSampleHostStrings;
using test_support::ScopedVariable;
using test_support::TempFolder;

}  // namespace domains_test
