#include "platform/com_factory.h"

#include <mutex>
#include <unordered_map>

#include "platform/com_error.h"

namespace platform {
namespace {

struct FactoryTable {
  std::mutex mutex;
  std::unordered_map<std::string, ComObjectMaker> makers;  // keyed by lower-case ProgID
};

FactoryTable& Table() {
  static FactoryTable table;
  return table;
}

std::string Key(const std::string& progId) {
  std::string key = progId;
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

}  // namespace

bool ComFactory::Register(const std::string& progId, ComObjectMaker maker) {
  if (progId.empty() || !maker) return false;
  FactoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  table.makers[Key(progId)] = std::move(maker);
  return true;
}

bool ComFactory::Unregister(const std::string& progId) {
  FactoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  return table.makers.erase(Key(progId)) > 0;
}

bool ComFactory::IsRegistered(const std::string& progId) {
  FactoryTable& table = Table();
  std::lock_guard lock(table.mutex);
  return table.makers.count(Key(progId)) > 0;
}

std::shared_ptr<ComObject> ComFactory::Create(const std::string& progId) {
  ComObjectMaker maker;
  {
    FactoryTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.makers.find(Key(progId));
    if (found != table.makers.end()) maker = found->second;
  }
  if (!maker) throw ComError(kREGDB_E_CLASSNOTREG, "Class not registered: " + progId);
  std::shared_ptr<ComObject> object = maker();
  if (!object) throw ComError(kE_FAIL, "The class of " + progId + " made no object");
  return object;
}

}  // namespace platform
