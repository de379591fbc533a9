// What a failed load of an XML document reports: the reason, where it happened and the text there.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct DomParseError {
  int32_t errorCode = 0;  // 0 when the last load succeeded
  std::string url;        // the address of the file that was loaded, empty for a text
  std::string reason;     // one sentence saying what is wrong
  std::string srcText;    // the line of the source on which the error was found
  int32_t line = 0;       // 1-based line of the error, 0 when unknown
  int32_t linepos = 0;    // 1-based character position within that line
  int32_t filepos = 0;    // 0-based character offset in the decoded text
};

}  // namespace platform
