// Base of every object that the COM-like factory creates by ProgID.
#pragma once

namespace platform {

class ComObject {
 public:
  virtual ~ComObject() = default;
};

}  // namespace platform
