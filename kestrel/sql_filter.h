// Turning an artifact filter into an SQL condition with bound parameters, so that a filtered
// listing is one query. Conditions that SQL cannot give exactly as the local filter would throw
// ComError(kE_NOTIMPL): the caller then filters the full listing itself.
//
// What SQL gives here: on text columns the six comparisons byte by byte (case matters) and
// like/not like through the function "kestrel_like", which is the command language's own
// pattern search (found anywhere in the text; an empty text matches only the empty pattern);
// on numeric columns the six comparisons with a number through "kestrel_number", which compares
// as the local filter does (32-bit floats, a difference under 0.0001 is equal); on Bool columns "="
// and "<>" with a Bool; on date columns the six comparisons with a Date, to the second. A NULL
// column satisfies only "<>" and not like.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "kestrel/cell.h"
#include "kestrel/kestrel_session.h"
#include "kestrel/schema.h"

namespace kestrel {

// The condition on the table's columns; its "?" parameters are appended to `parameters`.
std::string FilterSql(const Table& table, const ArtifactFilter& filter,
                      std::vector<Cell>& parameters);

// Makes "kestrel_like(text, pattern)" and "kestrel_number(value, number, operator)" available
// on the connection.
void RegisterFilterFunctions(sqlite3* database);

// "name" with inner quotes doubled: an SQL identifier.
std::string QuoteName(const std::string& name);

}  // namespace kestrel
