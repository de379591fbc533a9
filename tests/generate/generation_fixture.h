// The frame of the generation tests: the sample host strings and the file-system domain loaded
// once, and the init parameters cleared around each test, with warnings logged when asked; and the
// command elements of the templates.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "commands/command_text.h"
#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "platform/config.h"
#include "platform/log.h"
#include "tests/common/keyed_object.h"
#include "tests/common/test_support.h"

namespace test_support {

inline void RegisterFileSysDomain() {
  DomainRegistry& registry = DomainRegistry::instance();
  if (!registry.hasDomainNamed("FileSys"))
    registry.registerDomain(std::make_unique<FileSysDomain>());
}

// A REPEAT over the files of the folder bound to "d", by name.
inline constexpr char kFilesByName[] =
    "R:f:FileSys:File:d:FileSys:Directory:N=Contents:::A:FileSys:DirectoryObject::SimpleName";

// The element of `command` holding `content`.
inline std::string Span(const std::string& command, const std::string& content = "x") {
  return std::string("<span ") + kCommandAttribute + "=\"" + command + "\">" + content + "</span>";
}

// `logWarnings` binds "debugLevel" 3 for each test, so that warnings reach the log.
template <bool logWarnings = true>
class GenerationFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LoadSampleHostStrings();
    RegisterFileSysDomain();
  }
  void SetUp() override {
    unsetenv("MaxRecursionLevel");  // the environment would answer for a setting left unbound
    platform::ClearInitParametersForTesting();
    if (logWarnings) platform::BindInitParameter("debugLevel", "3");
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }
};

}  // namespace test_support
