// A whole generate request through the library's entry points on a copy of the sample
// installation, for a document file that the test prepares: the parameter file names it, the
// artifact is a folder of a few files, and init, generate and close run with the timeout timeout_
// ("0", synchronous, unless a derived fixture sets another in its constructor).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "agent/agent_entry.h"
#include "domains/domain_loader.h"
#include "platform/config.h"
#include "platform/log.h"
#include "test_support.h"

namespace test_support {

// The name of a test run in one mode, for tests parameterised by the timeout: "0" generates at
// once, any other value through the request queue (the portal's normal mode).
inline std::string ModeName(const testing::TestParamInfo<const char*>& mode) {
  return std::string(mode.param) == "0" ? "AtOnce" : "Queued";
}

class DocumentRequestTest : public testing::Test {
 protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    fs::copy(XMLAGENT_SOURCE_DIR "/sample/install", home_, fs::copy_options::recursive);
    fs::create_directories(data_);
    for (const char* name : {"b.txt", "a.txt"}) WriteFile(data_ / name, name);
    setenv("VISTAFOLD_REGISTRY_FILE", (root_ / "no-registry.ini").c_str(), 1);
    BindInitParameters();
  }
  // Binds the installation's init parameters with timeout_ afresh; a request cycle closes the
  // agent, domains and all, so a test that changes timeout_ between cycles calls it again.
  void BindInitParameters() {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    ResetDomainLoadingForTesting();
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"VISTAFOLD_HOME", home_},
                                      {"VISTAFOLD_DATA", root_ / "data-folder"},
                                      {"USER_DATA", user_},
                                      {"timeout", timeout_}}) {
      platform::BindInitParameter(name, value);
    }
    for (const auto& [name, value] : extraParameters_) platform::BindInitParameter(name, value);
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    unsetenv("VISTAFOLD_REGISTRY_FILE");
  }

  // Generates the document file as it stands (the test wrote it); gives the outcome of
  // XmlAgentLastGenerateOutcome (1 generated, 0 failed) and keeps what was logged in `log_`.
  int GenerateDocument(const std::filesystem::path& document) {
    WriteParameterFile(user_, "FILE_NAME=" + document.string() +
                                  "\nARTIFACT_LOCATOR=FileSys:Directory:FullName=" +
                                  data_.string() + "\nTEMPLATE_ID=request\n");
    return Generate();
  }

  // Runs init, generate and close on the parameter file as the test wrote it; the outcome as
  // GenerateDocument gives it, the log in `log_`.
  int Generate() {
    int outcome = -3;
    log_ = CapturedStderr([&] {
      XmlAgentInit();
      XmlAgentGenerate();
      outcome = XmlAgentLastGenerateOutcome();
      XmlAgentClose();
    });
    return outcome;
  }

  std::string timeout_ = "0";
  // Further init parameters that BindInitParameters binds after the installation's own.
  std::vector<std::pair<std::string, std::string>> extraParameters_;
  TempFolder folder_;
  std::filesystem::path root_ = folder_.Path(), home_ = root_ / "home", user_ = root_ / "user",
                        data_ = root_ / "data";
  std::string log_;
};

}  // namespace test_support
