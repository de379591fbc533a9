// Word-processor HTML turned into well-formed XML that the document layer loads, byte by byte (no
// character-set conversion). Templates and formatted-text values go through the same rules.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The converted text of HTML bytes: tags closed and their attribute values quoted, downlevel
// conditionals dropped, list and empty-paragraph markers inserted, the four known HTML entities
// rewritten, an XML declaration added from "charset=" and the text cut after "</html>". With
// keepVml false, vector-graphics conditional comments are dropped whole. Pure; any thread.
std::string ConvertHtmlToXml(std::string_view bytes, bool keepVml);

}  // namespace platform
