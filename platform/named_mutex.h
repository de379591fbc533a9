// Named mutexes: a process-wide table of mutexes by name, owned by threads. The owning thread
// may take its mutex again (each Wait needs its Release); waits have a timeout; a mutex whose
// owner thread ends without releasing it is handed to the next waiter as abandoned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/auto_reset_event.h"  // kInfinite

namespace platform {

class NamedMutexEntry;  // the shared state behind the handles; defined in named_mutex.cpp

enum class WaitResult {
  kSignaled,   // the caller now owns the mutex
  kTimeout,    // the timeout ran out; the caller does not own it
  kAbandoned,  // the caller owns it, but the previous owner thread ended still holding it
  kFailed,     // the handle refers to no mutex
};

class NamedMutex {
 public:
  // An empty handle: Valid() is false, Wait fails and Release returns false.
  NamedMutex() = default;

  // Opens the mutex of that name, creating it when there is none; alreadyExisted (optional) tells
  // which. A new mutex is owned by the calling thread when initiallyOwned; for an existing one
  // initiallyOwned is ignored. An empty name makes a private mutex that no Open can find.
  static NamedMutex Create(const std::string& name, bool initiallyOwned,
                           bool* alreadyExisted = nullptr);

  // Opens the existing mutex of that name; an empty handle when there is none.
  static NamedMutex Open(const std::string& name);

  // Takes ownership for the calling thread, waiting at most timeoutMs milliseconds (kInfinite
  // waits forever, 0 only tries). The owner's own Wait succeeds at once and counts one more.
  WaitResult Wait(uint32_t timeoutMs);

  // Gives back one Wait of the calling thread; false when that thread does not own the mutex.
  bool Release();

  bool Valid() const { return entry_ != nullptr; }

  // Copies are further handles to the same mutex; the mutex lives while any handle does.
  NamedMutex(const NamedMutex&) = default;
  NamedMutex& operator=(const NamedMutex&) = default;
  NamedMutex(NamedMutex&&) noexcept = default;
  NamedMutex& operator=(NamedMutex&&) noexcept = default;

 private:
  explicit NamedMutex(std::shared_ptr<NamedMutexEntry> entry) : entry_(std::move(entry)) {}

  std::shared_ptr<NamedMutexEntry> entry_;
};

}  // namespace platform
