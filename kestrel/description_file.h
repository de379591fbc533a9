// The description file "<name>.kestrel" beside a database: what the database cannot say about
// itself. INI text, ";" or "#" starting a comment line:
//
//   [DataSource]
//   Type = Plant inventory          ; the data source's type text (default "SQLite")
//
//   [Table module]                  ; one section per table, named as the schema writes it
//   BaseType = component            ; another table: this type derives from it
//   NameColumn = title              ; the column that names an artifact
//   PictureColumn = photo           ; the BLOB column holding the picture ("" for none)
//   LocatorColumns = site, code     ; the locator's parameters (default: the primary key)
//   SecretColumns = pin, pass_hash  ; columns whose values are never shown (besides "password")
//   Hierarchy = parent_id           ; the column of the reference to the table itself
//
// Names compare without regard to case. Every problem (an unknown section, key, table or column,
// a base-type cycle) fails the whole data source with the file, line and problem.
#pragma once

#include <string>

#include "kestrel/schema.h"

namespace kestrel {

// Applies the description file at path to the schema; throws ComError naming the file and line.
void ApplyDescriptionFile(const std::string& path, Schema& schema);

}  // namespace kestrel
