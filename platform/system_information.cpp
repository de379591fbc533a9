#include "platform/system_information.h"

#include <sys/resource.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::chrono::microseconds Duration(const timeval& value) {
  return std::chrono::seconds(value.tv_sec) + std::chrono::microseconds(value.tv_usec);
}

bool HoldsNone(std::string_view text, std::string_view forbidden) {
  return !text.empty() && text.find_first_of(forbidden) == std::string_view::npos;
}

}  // namespace

SystemInformation ReadSystemInformation() {
  SystemInformation information;
  information.os = Variable("OS");
  information.node = Variable("USERDOMAIN");
  information.release = Variable("NTVersion");
  information.version = Variable("WinVersion");
  information.machine = Variable("PROCESSOR_ARCHITECTURE");
  information.user = Variable("USERNAME");
  return information;
}

bool ReadProcessorTimes(ProcessorTimes& times) {
  times = ProcessorTimes{};
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) {
    std::fprintf(stderr, "error in GetProcessTimes: %d\n", errno);
    return false;
  }
  times.user = Duration(usage.ru_utime);
  times.kernel = Duration(usage.ru_stime);
  return true;
}

bool IsValidSimpleName(std::string_view name) { return HoldsNone(name, kSimpleNameForbidden); }

bool IsValidPath(std::string_view path) { return HoldsNone(path, kPathForbidden); }

}  // namespace platform
