// Reading a domain extension file (DOMAIN.EXT): the file's text is parsed, and its blocks add
// subclasses and members to the loaded domains.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "domains/extension_builder.h"
#include "foundation/quire_status.h"

// Parses `text`: 0 when it follows the grammar, 1 after a syntax error (its line written to the
// diagnostics as "syntax error Line number : N"). A failed check of a block sets `status`;
// after a syntax error with the status still good, the status is kSyntaxError with the error's
// line. Characters outside every token go to `unknown`.
int ParseDomainExtensions(std::string_view text, QuireStatus& status,
                          const ExtensionSettings& settings, std::ostream& unknown);

// The extension reader of the domain loader: reads the file at `path` (a regular file of at most
// "MaxDataFileBytes" bytes, with no zero byte) and parses it with the folder of `path` as the
// script folder, the trace on the standard output and the messages on the error stream. False
// with the status set when the file cannot be read or has an error.
bool ReadDomainExtensionFile(const std::string& path, QuireStatus& status);
