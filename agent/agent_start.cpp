#include "agent/agent_start.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "agent/agent.h"
#include "agent/domain_loading.h"
#include "agent/request_queue.h"
#include "foundation/host_hooks.h"
#include "foundation/text_helpers.h"
#include "platform/config.h"
#include "platform/log.h"
#include "platform/own_strings.h"
#include "platform/resource_module.h"

namespace {

constexpr unsigned kMessageBoxTitleId = 54630;
constexpr unsigned kFolderNotCreatedId = 40170;
constexpr unsigned kFoldersNotConfiguredId = 40185;
constexpr unsigned kFileMissingId = 40188;

// Descriptors 1 and 2 as they were before the log file took them over; -1 when they were closed.
int g_saved_stdout = -1;
int g_saved_stderr = -1;

void ShowMessage(unsigned id, const std::string& argument, bool own = false) {
  ShowAgentMessage(
      FormatHostMessage(own ? platform::OwnStringText(id) : HostString(id), {argument}));
}

bool IsFile(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

// Creates the folder; when that fails, walks up (cutting at "/" or a backslash) until a folder
// exists or can be made, then creates the missing ones from the outermost in.
bool CreateFolderWithAncestors(const std::string& path) {
  if (IsFolder(path) || MakeFolder(path)) return true;
  std::vector<std::string> missing{path};
  std::string ancestor = path;
  for (;;) {
    size_t cut = ancestor.find_last_of("/\\");
    if (cut == std::string::npos || cut == 0) break;
    ancestor.resize(cut);
    if (IsFolder(ancestor) || MakeFolder(ancestor)) break;
    missing.push_back(ancestor);
  }
  for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
    if (!IsFolder(*folder) && !MakeFolder(*folder)) return false;
  }
  return IsFolder(path);
}

bool LoadHostResourceModule() {
  const std::string homeKey = platform::OwnStringText(platform::kHomeKeyStringId);
  const std::string home = platform::ConfigSetting(homeKey).Value();
  if (home.empty()) {
    ShowMessage(platform::kNoRegistryEntryStringId, homeKey, true);
    return false;
  }
  const std::string fileName = platform::OwnStringText(platform::kResourceFileStringId);
  std::string path = home + "/domains/" + fileName;
  if (!IsFile(path)) {
    const std::string resourceKey = platform::OwnStringText(platform::kResourceKeyStringId);
    const std::string folder = platform::ConfigSetting(resourceKey).Value();
    if (folder.empty()) {
      ShowMessage(platform::kNoRegistryEntryStringId, resourceKey, true);
      return false;
    }
    path = folder + "/" + fileName;
    if (!IsFile(path)) {
      ShowMessage(platform::kCannotLoadStringId, path, true);
      return false;
    }
  }
  std::string error;
  if (!platform::HostResources().Load(path, error)) {
    ShowMessage(platform::kCannotLoadStringId, path, true);
    platform::Log(error, platform::kLogError);
    return false;
  }
  return true;
}

// Copies the host settings file from the home folder into the data folder, keeping a copy that
// is already there, and leaves the copy writable.
bool CopySettingsFile(const std::string& home, const std::string& data) {
  const std::string name = HostString(platform::kSettingsFileStringId);
  const std::string source = home + "/" + name;
  if (name.empty() || !IsFile(source)) {
    ShowMessage(kFileMissingId, name);
    return false;
  }
  namespace fs = std::filesystem;
  const std::string target = data + "/" + name;
  std::error_code error;
  fs::copy_file(source, target, fs::copy_options::skip_existing, error);
  if (!error) fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, error);
  if (error) {
    platform::Log("Cannot copy " + source + " to " + target + ": " + error.message(),
                  platform::kLogError);
    return false;
  }
  return true;
}

// Failures are shown to the user; the caller goes on either way.
bool PrepareDataFolders() {
  const std::string home =
      platform::ConfigSetting(platform::OwnStringText(platform::kHomeKeyStringId)).Value();
  const std::string data =
      platform::ConfigSetting(HostString(platform::kDataFolderKeyStringId)).Value();
  if (home.empty() || data.empty()) {
    ShowAgentMessage(HostString(kFoldersNotConfiguredId));
    return false;
  }
  if (home == data) return true;
  if (!CreateFolderWithAncestors(data)) {
    ShowMessage(kFolderNotCreatedId, data);
    return false;
  }
  for (const char* child : {"/logs", "/samples", "/temp"}) {
    const std::string folder = data + child;
    if (!IsFolder(folder) && !MakeFolder(folder)) {
      ShowMessage(kFolderNotCreatedId, folder);
      return false;
    }
  }
  return CopySettingsFile(home, data);
}

// A descriptor above 2, so that 0 keeps meaning "no log" and dup2 onto 1 and 2 cannot close it.
int AboveStandardDescriptors(int fd) {
  if (fd > 2) return fd;
  int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  ::close(fd);
  return moved;
}

void RestoreDescriptor(int& saved, int target) {
  if (saved >= 0) {
    ::dup2(saved, target);
    ::close(saved);
  } else {
    ::close(target);
  }
  saved = -1;
}

// Opens USER_DATA/logs/xmlagent.log for appending (the logs folder is made when missing) and
// sends standard output and standard error into it.
void OpenLogFile(AgentCore& core) {
  core.loggingEnabled = UppercaseCopy(platform::ConfigSetting("ENABLELOGGING").Value()) == "TRUE";
  if (!core.loggingEnabled) return;
  const std::string userData = platform::ConfigSetting("USER_DATA").Value();
  if (userData.empty()) return;
  const std::string folder = userData + "/logs";
  if (!IsFolder(folder)) MakeFolder(folder);
  const std::string path = folder + "/xmlagent.log";
  // Appending: writing from the start would leave the tail of a longer older log behind.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd >= 0) fd = AboveStandardDescriptors(fd);
  if (fd < 0) {
    platform::Log("Cannot open the log file " + path + ": " + std::strerror(errno),
                  platform::kLogCriticalError);
    return;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  // Kept so that shutdown can hand the host's own output back to where it went before.
  g_saved_stdout = ::fcntl(1, F_DUPFD_CLOEXEC, 3);
  g_saved_stderr = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
  ::dup2(fd, 1);
  ::dup2(fd, 2);
  core.logFileDescriptor = fd;
}

// atol as a 32-bit long computes it: leading blanks, a sign, digits; saturated on overflow.
int32_t TimeoutFromText(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

void ShowAgentMessage(const std::string& text) {
  std::string title = HostString(kMessageBoxTitleId);
  ShowMessageBox(title.empty() ? "Vistafold" : title, text);
}

void StartAgentService(AgentCore& core) {
  AgentServiceState& service = AgentService();
  if (service.initialised) return;
  if (!LoadHostResourceModule()) return;
  const std::string timeout = platform::GetConfigValue("timeout");
  PrepareDataFolders();
  OpenLogFile(core);
  if (!timeout.empty()) {
    service.timeoutMs = TimeoutFromText(timeout);
    if (service.timeoutMs == 0) {
      platform::Log("Diabling asynchronous mode", platform::kLogInformational);
    }
  }
  platform::Log("Vistafold XML Agent Initializing", platform::kLogInformational);
  if (service.timeoutMs == 0) {
    FillDomainRegistry();
  } else if (!ConsumerThreadRunning()) {
    StartConsumerThread();
  }
  if (!CreateRequestMutexes()) {
    // Nothing of a start that ends here may keep running behind a service that is not up.
    StopConsumerThread();
    CloseAgentLog(core);
    UnloadAgentResources();
    return;
  }
  service.initialised = true;
}

void CloseAgentLog(AgentCore& core) {
  if (core.logFileDescriptor == 0) return;
  std::fflush(stdout);
  std::fflush(stderr);
  RestoreDescriptor(g_saved_stdout, 1);
  RestoreDescriptor(g_saved_stderr, 2);
  ::close(core.logFileDescriptor);
  core.logFileDescriptor = 0;
}

void UnloadAgentResources() { platform::HostResources().Unload(); }
