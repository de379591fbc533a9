// The data-source session of the process and the settings read once for it.
#include "domains/kestrel_session_access.h"

#include <mutex>
#include <optional>

#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "platform/config.h"

namespace {

// The command thread and the consumer thread may both make the session at start-up.
std::mutex& HeldMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<kestrel::Session>& Held() {
  static std::shared_ptr<kestrel::Session> session;
  return session;
}

std::optional<std::string>& ExtraFields() {
  static std::optional<std::string> value;
  return value;
}

}  // namespace

std::shared_ptr<kestrel::Session> KestrelSession() {
  const std::lock_guard<std::mutex> lock(HeldMutex());
  std::shared_ptr<kestrel::Session>& held = Held();
  if (held) return held;
  std::shared_ptr<platform::ComObject> made = platform::ComFactory::Create(kestrel::kSessionProgId);
  held = std::dynamic_pointer_cast<kestrel::Session>(made);
  if (!held) {
    throw platform::ComError(platform::kE_POINTER,
                             std::string(kestrel::kSessionProgId) + " did not give a session");
  }
  return held;
}

bool KestrelSessionAvailable() {
  const std::lock_guard<std::mutex> lock(HeldMutex());
  return Held() != nullptr || platform::ComFactory::IsRegistered(kestrel::kSessionProgId);
}

void ReleaseKestrelSession() {
  const std::lock_guard<std::mutex> lock(HeldMutex());
  Held().reset();
}

const std::string& TrackletGetExtraFields() {
  const std::lock_guard<std::mutex> lock(HeldMutex());
  std::optional<std::string>& value = ExtraFields();
  if (!value) value = platform::ConfigSetting("TrackletGetExtraFields").Value();
  return *value;
}

void ForgetTrackletGetExtraFieldsForTesting() {
  const std::lock_guard<std::mutex> lock(HeldMutex());
  ExtraFields().reset();
}
