// The in-process stand-in for creating components by ProgID: a process-wide table from ProgID
// to a function that makes a new object. ProgIDs compare without regard to ASCII case.
// All functions are safe on any thread; a factory runs without the table's lock held, so it may
// itself create other objects.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/com_object.h"

namespace platform {

using ComObjectMaker = std::function<std::shared_ptr<ComObject>()>;

class ComFactory {
 public:
  // Makes progId creatable; replaces an earlier maker of the same ProgID. Returns false (and
  // changes nothing) for an empty ProgID or an empty maker.
  static bool Register(const std::string& progId, ComObjectMaker maker);

  // Removes the ProgID; false when it was not registered.
  static bool Unregister(const std::string& progId);

  static bool IsRegistered(const std::string& progId);

  // A new object of the ProgID's class. Throws ComError(kREGDB_E_CLASSNOTREG,
  // "Class not registered: " + progId) for an unknown ProgID and ComError(kE_FAIL) when the
  // maker gives no object; a ComError thrown by the maker passes through.
  static std::shared_ptr<ComObject> Create(const std::string& progId);
};

}  // namespace platform
