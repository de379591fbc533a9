// Template conversion: rewrites a word-processor HTML template file in place into well-formed XML
// that the document layer loads (the text conversion itself is platform/html_to_xml.h).
#pragma once

#include <string>

#include "foundation/quire_status.h"

// Rewrites the template file at path with platform::ConvertHtmlToXml, through a temporary file
// beside it that is renamed over it. Sets status to success first; a missing file gives
// kFileNotFound with an empty message, any other open, read or write failure kProcessingError with
// the system's text (at most 1024 characters), a meta-tag charset that the document layer cannot
// read kProcessingError naming it; then false and the file is left as it was. Any thread.
bool ConvertTemplateToXml(const std::string& path, QuireStatus& status, bool keepVml);
