// ProgressSink: receives the progress of one page's generation (a message and a percentage).
// The host that runs the generator provides it; a generator without one reports nothing.
#pragma once

#include <string>

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Called on the thread that generates the page; `percent` runs from 10 to 100.
  virtual void report(const std::string& message, int percent) = 0;
};
