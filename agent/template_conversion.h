// Template conversion: rewrites a word-processor HTML template into well-formed XML that the
// document layer loads, byte by byte (no character-set conversion).
#pragma once

#include <string>
#include <string_view>

#include "foundation/quire_status.h"

// The converted text of template bytes: tags closed and their attribute values quoted, downlevel
// conditionals dropped, list and empty-paragraph markers inserted, the four known HTML entities
// rewritten, an XML declaration added from "charset=" and the text cut after "</html>". With
// keepVml false, vector-graphics conditional comments are dropped whole. Pure; any thread.
std::string ConvertTemplateText(std::string_view bytes, bool keepVml);

// Rewrites the template file at path with ConvertTemplateText, through a temporary file beside it
// that is renamed over it. Sets status to success first; a missing file gives kind 4 with an empty
// message, any other open, read or write failure kind 62 with the system's text (at most 1024
// characters); then false and the file is left as it was. Any thread.
bool ConvertTemplateToXml(const std::string& path, QuireStatus& status, bool keepVml);
