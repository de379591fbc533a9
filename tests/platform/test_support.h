// Helpers shared by the platform tests.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "foundation/host_hooks.h"
#include "platform/com_error.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/registry.h"
#include "platform/resource_module.h"
#include "tests/common/test_support.h"

// TempFolder, ReadFile, CapturedStderr, LoadSampleHostStrings, ScopedVariable and Count come from
// the common helpers, in this same namespace.
namespace test_support {

// The code and description of the ComError that body throws; kS_OK and "" when it throws none.
struct ComErrorReport {
  platform::HResult code = platform::kS_OK;
  std::string description;
  bool operator==(const ComErrorReport&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const ComErrorReport& report) {
  return out << std::hex << report.code << std::dec << " \"" << report.description << "\"";
}
inline ComErrorReport ComErrorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const platform::ComError& error) {
    return {error.Code(), error.Description()};
  }
  return {};
}

// Runs body on a thread of its own. When it has not returned within `seconds`, unblock is called
// to let it finish, and the result is false. A body still blocked after that (a request stuck for
// good on the command thread) ends the test program: nothing could run after it.
inline bool ReturnsInTime(const std::function<void()>& body, const std::function<void()>& unblock,
                          int seconds = 20) {
  auto finished = std::make_shared<std::promise<void>>();
  std::future<void> done = finished->get_future();
  std::thread([body, finished] {
    body();
    finished->set_value();
  }).detach();
  if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready) return true;
  unblock();
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return false;
  // On standard output: standard error may be captured by the test.
  std::printf("FAILED: the request is still blocked; the test program ends here\n");
  std::fflush(stdout);
  std::_Exit(1);
}

// Opens and closes the named pipe for writing, so that a reader blocked in open() goes on.
inline void OpenPipeForWriting(const std::string& pipe) {
  const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
}

// Whether this process has no child at all, running or zombie.
inline bool HasNoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

// A test of the configuration: no init parameters, a fresh log threshold, host strings from the
// given lookup and a registry file in a temporary folder (missing until written); all undone at
// the end.
class ConfigSandbox : public ::testing::Test {
 protected:
  explicit ConfigSandbox(HostStringLookup lookup) : lookup_(lookup) {}
  void SetUp() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    SetHostStringLookup(lookup_);
  }
  void TearDown() override {
    platform::InstallHostStrings();
    platform::ResetLogThresholdForTesting();
    platform::ClearInitParametersForTesting();
  }
  // Writes the product key's values ("name=value" lines) into the registry file.
  void WriteRegistry(const std::string& values) {
    folder_.Write("registry.ini", "[SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD]\n" + values);
  }

  TempFolder folder_;

 private:
  ScopedVariable registry_{platform::Registry::kFileVariable, folder_.Path("registry.ini")};
  HostStringLookup lookup_;
};

// A log or configuration test whose host strings are only the library's own, with no settings
// section: settings come from the test's init parameters and registry file alone.
class OwnStringsSandbox : public ConfigSandbox {
 protected:
  OwnStringsSandbox()
      : ConfigSandbox([](unsigned id) {
          return id == platform::kSettingsSectionStringId ? std::string()
                                                          : platform::LoadHostString(id);
        }) {}
};

}  // namespace test_support
