// The checks made when a block of a domain extension file ends, and the classes and members the
// block then creates. Each failed check writes its line to the diagnostics and sets the status
// (kProcessingError with the message of the check); nothing of the block is created then.
#pragma once

#include <string>

#include "domains/extension_builder.h"
#include "domains/extension_records.h"
#include "foundation/quire_status.h"

// A new subclass of "Directory", "File" or "DirectoryObject" (or of a subclass of one) in the
// file-system domain. Its objects in a folder are reached through the n-ary relationship named
// after it that every folder class gets; it inherits the parent's members except the removed
// ones. A subclass that an earlier reading of the file made is left as it is.
void ApplySubclass(const ExtensionSubclass& subclass, const ExtensionSettings& settings,
                   QuireStatus& status);

// New members of an existing class of any domain; its subclasses get them too (where they have
// no member of that name). Members that an earlier reading of the file made are left as they are.
void ApplyExtension(const ExtensionClass& extension, const ExtensionSettings& settings,
                    QuireStatus& status);

// The command for a script named in the extension file: a script of that name in the script
// folder is run by its full path (quoted); otherwise the text as written.
std::string ResolvedScript(const std::string& script, const std::string& scriptFolder);
