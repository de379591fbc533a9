// The start steps of the agent service: the host resource module, the data folders, the timeout.
#include "agent/agent_start.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "agent/agent_message.h"
#include "foundation/host_hooks.h"
#include "platform/config.h"
#include "platform/fault_injection.h"
#include "platform/log.h"
#include "platform/own_strings.h"
#include "platform/resource_module.h"

namespace {

// The host message with its %1 replaced by the argument, in a message box.
void ShowMessage(HostMessageId message, const std::string& argument) {
  ShowAgentMessage(FormatHostMessage(HostString(message), {argument}));
}

bool IsFile(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat status;
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool MakeFolder(const std::string& path) {
  if (platform::InjectFault(platform::Seam::MakeFolder)) {
    errno = EACCES;
    return false;
  }
  return ::mkdir(path.c_str(), 0777) == 0;
}

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

// Copies the host settings file from the home folder into the data folder, keeping a copy that
// is already there, and leaves the copy writable.
bool CopySettingsFile(const std::string& home, const std::string& data) {
  const std::string name = HostString(platform::kSettingsFileStringId);
  const std::string source = home + "/" + name;
  if (name.empty() || !IsFile(source)) {
    ShowMessage(host_message::kRequiredFileMissing, name);
    return false;
  }
  namespace fs = std::filesystem;
  const std::string target = data + "/" + name;
  std::error_code error;
  if (platform::InjectFault(platform::Seam::Write)) {
    error = std::make_error_code(std::errc::no_space_on_device);
  } else {
    fs::copy_file(source, target, fs::copy_options::skip_existing, error);
  }
  if (!error) fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, error);
  if (error) {
    platform::Log("Cannot copy " + source + " to " + target + ": " + error.message(),
                  platform::kLogError);
    return false;
  }
  return true;
}

}  // namespace

bool LoadHostResourceModule(std::string& reason) {
  // Every failure names what is missing, in a message box and in the log.
  auto fail = [&reason](unsigned ownStringId, const std::string& argument) {
    reason = FormatHostMessage(platform::OwnStringText(ownStringId), {argument});
    ShowAgentMessage(reason);
    platform::Log(reason, platform::kLogCriticalError);
    return false;
  };
  const std::string homeKey = platform::OwnStringText(platform::kHomeKeyStringId);
  const std::string home = platform::ConfigSetting(homeKey).Value();
  if (home.empty()) return fail(platform::kNoRegistryEntryStringId, homeKey);
  const std::string fileName = platform::OwnStringText(platform::kResourceFileStringId);
  std::string path = home + "/domains/" + fileName;
  if (!IsFile(path)) {
    const std::string resourceKey = platform::OwnStringText(platform::kResourceKeyStringId);
    const std::string folder = platform::ConfigSetting(resourceKey).Value();
    // Without a resource folder what is missing is the home folder's file, or the home folder.
    if (folder.empty()) return fail(platform::kCannotLoadStringId, IsFolder(home) ? path : home);
    path = folder + "/" + fileName;
    if (!IsFile(path)) return fail(platform::kCannotLoadStringId, path);
  }
  std::string error;
  if (!platform::HostResources().Load(path, error)) {
    fail(platform::kCannotLoadStringId, path);
    platform::Log(error, platform::kLogError);
    return false;
  }
  return true;
}

void UnloadHostResourceModule() { platform::HostResources().Unload(); }

bool PrepareDataFolders() {
  const std::string home =
      platform::ConfigSetting(platform::OwnStringText(platform::kHomeKeyStringId)).Value();
  const std::string data =
      platform::ConfigSetting(HostString(platform::kDataFolderKeyStringId)).Value();
  if (home.empty() || data.empty()) {
    ShowAgentMessage(HostString(host_message::kFoldersNotConfigured));
    return false;
  }
  if (home == data) return true;
  if (!CreateFolderWithAncestors(data)) {
    ShowMessage(host_message::kFolderNotCreated, data);
    return false;
  }
  for (const char* child : {"/logs", "/samples", "/temp"}) {
    const std::string folder = data + child;
    if (!IsFolder(folder) && !MakeFolder(folder)) {
      ShowMessage(host_message::kFolderNotCreated, folder);
      return false;
    }
  }
  return CopySettingsFile(home, data);
}

int32_t TimeoutFromText(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}
