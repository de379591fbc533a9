// A value as SQLite stores it, and its conversions: to the variant a property gives (by the
// column's kind) and to the text identifiers write.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "kestrel/schema.h"
#include "platform/variant.h"

namespace kestrel {

class Statement;

// NULL, INTEGER, REAL or TEXT (BLOB columns are read only for pictures).
using Cell = std::variant<std::monostate, int64_t, double, std::string>;

Cell ReadCell(const Statement& statement, int column);
void BindCell(Statement& statement, int index, const Cell& cell);

// The property value of a stored value in a column of the kind.
platform::Variant CellToVariant(const Cell& cell, ColumnKind kind);

// The stored value's text: decimal integers, shortest round-trip reals, the text itself.
std::string CellText(const Cell& cell);

// A locator's or identifier's text as the value to compare with a column: a whole number in
// its plain decimal form is an integer, another number in its plain form a real, else the text.
Cell CellFromText(const std::string& text);

// The automation date of "YYYY-MM-DD", optionally followed by " " or "T" and "HH:MM",
// ":SS" and fraction digits, and a final "Z"; nullopt for any other text.
std::optional<double> ParseDateText(std::string_view text);

}  // namespace kestrel
