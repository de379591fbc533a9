// Loading a template file, with a readable account of a parse failure.
#include "agent/template_loading.h"

bool LoadTemplate(platform::DomDocument& document, const std::string& path, std::string& message) {
  message.clear();
  if (document.load(path)) return true;
  const platform::DomParseError& error = document.parseError();
  message = error.reason;
  if (error.line > 0) {
    // The reason is one sentence without a line end; the location goes on a line of its own.
    if (!message.empty() && message.back() != '\n') message += '\n';
    message += "Error on line " + std::to_string(error.line) + ", position " +
               std::to_string(error.linepos) + " in \"" + error.url + "\".\n" +
               "Source text: " + error.srcText;
  }
  return false;
}
