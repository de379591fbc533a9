// The reader of domain schema files (".dom"): builds a QuireRemoteDomain with its classes,
// argument lists and members from one file and registers it.
#pragma once

#include <string>

#include "foundation/quire_status.h"

// Reads the schema file at `path` and registers the domain it declares. Every failure writes its
// diagnostic lines to the error stream and sets `status` (kind kProcessingError unless said):
//   - a path that is no regular file or cannot be opened: "unable to open <path>",
//     host_message::kFileNotOpened with the path;
//   - a domain name that is already registered (or "Undefined"): "Error creating new domain: "
//     and the status text, kDuplicateDomain with host_message::kDomainAlreadyRegistered;
//   - an unexpected word: "line <n>: Parse Error: expected <what>, saw <word>" and
//     "Token kind was <kind>", host_message::kSchemaSyntaxError; the same message for a line that
//     cannot be read as text (too long, a zero byte, not UTF-8), a class declared twice or a
//     class named as its own superclass, each with a "line <n>: " line;
//   - an argument list given twice in one class: host_message::kArgumentListTwice;
//   - a persistent identifier of a type other than string or filename:
//     host_message::kPersistentIdentifierType;
//   - a superclass that is not defined before it is used:
//   host_message::kSuperclassBeforeDefinition;
//   - a relationship whose target class exists nowhere ("line <n>: unknown result type: <d>.<c>"
//     for each one): host_message::kUnknownTargetClass.
// The file is read whole before anything is built: on failure no domain is registered and no
// class of another domain gains a subclass, so a broken file leaves the registry as it was.
// Returns status.IsOk().
bool ReadRemoteSchema(const std::string& path, QuireStatus& status);
