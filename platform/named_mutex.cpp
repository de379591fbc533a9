#include "platform/named_mutex.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace platform {

class NamedMutexEntry {
 public:
  explicit NamedMutexEntry(std::string entryName) : name(std::move(entryName)) {}

  const std::string name;
  std::mutex mutex;
  std::condition_variable released;
  std::thread::id owner;  // the default id: nobody owns it
  uint32_t count = 0;     // Waits of the owner not yet released
  bool abandoned = false;
};

namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<std::string, std::weak_ptr<NamedMutexEntry>> byName;
};

Table& TheTable() {
  // Never destroyed: a handle held by a static object may be released after any static table.
  static Table* table = new Table;
  return *table;
}

// The entry of a new mutex. Its deleter takes the name out of the table; the table lock must not
// be held while a handle is dropped.
std::shared_ptr<NamedMutexEntry> MakeEntry(const std::string& name) {
  return std::shared_ptr<NamedMutexEntry>(new NamedMutexEntry(name), [](NamedMutexEntry* entry) {
    if (!entry->name.empty()) {
      Table& table = TheTable();
      std::lock_guard<std::mutex> lock(table.mutex);
      auto it = table.byName.find(entry->name);
      // A Create that ran after the last handle went may already hold the name: keep that one.
      if (it != table.byName.end() && it->second.expired()) table.byName.erase(it);
    }
    delete entry;
  });
}

// The mutexes the current thread owns, so that its end can hand them on as abandoned.
class OwnedMutexes {
 public:
  ~OwnedMutexes() {
    std::thread::id self = std::this_thread::get_id();
    for (const std::weak_ptr<NamedMutexEntry>& weak : entries_) {
      std::shared_ptr<NamedMutexEntry> entry = weak.lock();
      if (entry == nullptr) continue;
      {
        std::lock_guard<std::mutex> lock(entry->mutex);
        if (entry->owner != self) continue;
        entry->owner = std::thread::id();
        entry->count = 0;
        entry->abandoned = true;
      }
      entry->released.notify_one();
    }
  }

  void Add(const std::shared_ptr<NamedMutexEntry>& entry) { entries_.push_back(entry); }

  void Remove(const NamedMutexEntry* entry) {
    std::erase_if(entries_, [entry](const std::weak_ptr<NamedMutexEntry>& weak) {
      std::shared_ptr<NamedMutexEntry> held = weak.lock();
      return held == nullptr || held.get() == entry;
    });
  }

 private:
  std::vector<std::weak_ptr<NamedMutexEntry>> entries_;
};

OwnedMutexes& OwnedByThisThread() {
  thread_local OwnedMutexes owned;
  return owned;
}

}  // namespace

NamedMutex NamedMutex::Create(const std::string& name, bool initiallyOwned, bool* alreadyExisted) {
  std::shared_ptr<NamedMutexEntry> entry;
  bool existed = false;
  {
    Table& table = TheTable();
    std::unique_lock<std::mutex> lock(table.mutex, std::defer_lock);
    if (!name.empty()) {
      lock.lock();
      entry = table.byName[name].lock();
      existed = entry != nullptr;
    }
    if (!existed) {
      entry = MakeEntry(name);
      // Owned before it is published, so that no other thread can take it first.
      if (initiallyOwned) {
        entry->owner = std::this_thread::get_id();
        entry->count = 1;
      }
      if (!name.empty()) table.byName[name] = entry;
    }
  }
  if (alreadyExisted != nullptr) *alreadyExisted = existed;
  if (initiallyOwned && !existed) OwnedByThisThread().Add(entry);
  return NamedMutex(std::move(entry));
}

NamedMutex NamedMutex::Open(const std::string& name) {
  std::shared_ptr<NamedMutexEntry> entry;
  if (!name.empty()) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.byName.find(name);
    if (it != table.byName.end()) entry = it->second.lock();
  }
  return NamedMutex(std::move(entry));
}

WaitResult NamedMutex::Wait(uint32_t timeoutMs) {
  if (entry_ == nullptr) return WaitResult::kFailed;
  std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(entry_->mutex);
  if (entry_->owner == self) {
    if (entry_->count == std::numeric_limits<uint32_t>::max()) return WaitResult::kFailed;
    ++entry_->count;
    return WaitResult::kSignaled;
  }
  auto isFree = [this] { return entry_->owner == std::thread::id(); };
  if (timeoutMs == kInfinite) {
    entry_->released.wait(lock, isFree);
  } else {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!entry_->released.wait_until(lock, deadline, isFree)) return WaitResult::kTimeout;
  }
  entry_->owner = self;
  entry_->count = 1;
  bool abandoned = std::exchange(entry_->abandoned, false);
  lock.unlock();
  OwnedByThisThread().Add(entry_);
  return abandoned ? WaitResult::kAbandoned : WaitResult::kSignaled;
}

bool NamedMutex::Release() {
  if (entry_ == nullptr) return false;
  bool freed = false;
  {
    std::lock_guard<std::mutex> lock(entry_->mutex);
    if (entry_->owner != std::this_thread::get_id()) return false;
    freed = --entry_->count == 0;
    if (freed) entry_->owner = std::thread::id();
  }
  if (freed) {
    entry_->released.notify_one();
    OwnedByThisThread().Remove(entry_.get());
  }
  return true;
}

}  // namespace platform
