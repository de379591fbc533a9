// The SQL form of artifact filters.
#include "kestrel/sql_filter.h"

#include <cmath>
#include <memory>

#include "foundation/pattern_match.h"
#include "platform/com_error.h"

namespace kestrel {
namespace {

using platform::Variant;
using platform::VariantType;

const char* const kOperators[] = {"=", "<>", "<", "<=", ">", ">="};

[[noreturn]] void NotExpressible(const std::string& why) {
  throw platform::ComError(platform::kE_NOTIMPL, "filter not evaluated in SQL: " + why);
}

bool IsNumber(const Variant& value) {
  switch (value.Type()) {
    case VariantType::kInt32:
    case VariantType::kInt16:
    case VariantType::kByte:
    case VariantType::kDouble:
    case VariantType::kFloat:
      return true;
    default:
      return false;
  }
}

// The comparison `expression op ?`, where a NULL column satisfies only "<>" and not like.
std::string Compare(const std::string& column, const std::string& expression, int op) {
  if (op == 1) return "(" + column + " IS NULL OR " + expression + " <> ?)";
  return "(" + column + " IS NOT NULL AND " + expression + " " + kOperators[op] + " ?)";
}

std::string ConditionSql(const Table& table, const ArtifactFilter& filter,
                         std::vector<Cell>& parameters) {
  const int index = table.ColumnIndex(filter.property);
  if (index < 0) NotExpressible("\"" + filter.property + "\" is no column of " + table.name);
  const Column& column = table.columns[index];
  const std::string name = QuoteName(column.name);
  const int op = filter.relationalOperator;
  if (op < 0 || op > 7) NotExpressible("operator " + std::to_string(op));
  const Variant& value = filter.value;
  switch (column.kind) {
    case ColumnKind::kText: {
      if (value.Type() != VariantType::kString) NotExpressible("a text compared with a non-text");
      const std::string& text = value.AsString();
      // The local comparison expands "${NAME}" settings in texts first.
      if (text.find("${") != std::string::npos) NotExpressible("a setting in the text");
      parameters.emplace_back(text);
      if (op == 6) return "(" + name + " IS NOT NULL AND kestrel_like(" + name + ", ?))";
      if (op == 7) return "(" + name + " IS NULL OR NOT kestrel_like(" + name + ", ?))";
      return Compare(name, name + " COLLATE BINARY", op);
    }
    case ColumnKind::kInteger:
    case ColumnKind::kInt16:
    case ColumnKind::kReal:
      if (!IsNumber(value) || op > 5) NotExpressible("a number column with this condition");
      parameters.emplace_back(value.ChangeToDouble());
      if (op == 1) return "(" + name + " IS NULL OR NOT kestrel_number(" + name + ", ?, 0))";
      return "(" + name + " IS NOT NULL AND kestrel_number(" + name + ", ?, " + std::to_string(op) +
             "))";
    case ColumnKind::kBool:
      if (value.Type() != VariantType::kBool || op > 1) {
        NotExpressible("a Bool column with this condition");
      }
      parameters.emplace_back(int64_t{value.AsBool() ? 1 : 0});
      return Compare(name, "(" + name + " <> 0)", op);
    case ColumnKind::kDate: {
      if (value.Type() != VariantType::kDate || op > 5) {
        NotExpressible("a date column with this condition");
      }
      parameters.emplace_back(static_cast<int64_t>(std::llround(value.AsDate() * 86400.0)));
      const std::string seconds = "round((CASE typeof(" + name + ") WHEN 'integer' THEN " + name +
                                  " / 86400.0 + 25569 WHEN 'real' THEN " + name +
                                  " - 2415018.5 WHEN 'text' THEN " + "julianday(" + name +
                                  ") - 2415018.5 END) * 86400.0)";
      return Compare(name, seconds, op);
    }
    default:
      NotExpressible("column \"" + column.name + "\" has no declared type");
  }
}

void LikeFunction(sqlite3_context* context, int, sqlite3_value** arguments) {
  if (sqlite3_value_type(arguments[0]) == SQLITE_NULL ||
      sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const auto* textBytes = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
  const std::string text(textBytes, sqlite3_value_bytes(arguments[0]));
  const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
  const int patternBytes = sqlite3_value_bytes(arguments[1]);
  const auto* cached = static_cast<const CX_TREPatternMatch*>(sqlite3_get_auxdata(context, 1));
  std::unique_ptr<CX_TREPatternMatch> built;
  if (cached == nullptr) {
    built = std::make_unique<CX_TREPatternMatch>(std::string(pattern, patternBytes));
    cached = built.get();
  }
  bool found = false;
  if (text.empty()) {
    found = patternBytes == 0;
  } else {
    found = cached->IsValid() && cached->Find(text, 0) >= 0;
  }
  // The matcher is kept for the next rows of the same statement (SQLite may drop it at once).
  if (built) {
    sqlite3_set_auxdata(context, 1, built.release(),
                        [](void* matcher) { delete static_cast<CX_TREPatternMatch*>(matcher); });
  }
  sqlite3_result_int(context, found ? 1 : 0);
}

// The local filter's number comparison: both values as 32-bit floats, their difference within
// a tolerance of 0.0001 counting as equal. A text stored in a number column satisfies nothing.
void NumberFunction(sqlite3_context* context, int, sqlite3_value** arguments) {
  const int type = sqlite3_value_type(arguments[0]);
  if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) {
    sqlite3_result_int(context, 0);
    return;
  }
  constexpr float kTolerance = 0.0001f;
  const float difference = static_cast<float>(sqlite3_value_double(arguments[0])) -
                           static_cast<float>(sqlite3_value_double(arguments[1]));
  bool holds = false;
  switch (sqlite3_value_int(arguments[2])) {
    case 0:
      holds = difference > -kTolerance && difference < kTolerance;
      break;
    case 2:
      holds = difference < -kTolerance;
      break;
    case 3:
      holds = difference < kTolerance;
      break;
    case 4:
      holds = difference > kTolerance;
      break;
    case 5:
      holds = difference > -kTolerance;
      break;
    default:
      break;
  }
  sqlite3_result_int(context, holds ? 1 : 0);
}

}  // namespace

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::string FilterSql(const Table& table, const ArtifactFilter& filter,
                      std::vector<Cell>& parameters) {
  if (filter.kind == ArtifactFilter::Kind::kCondition) {
    return ConditionSql(table, filter, parameters);
  }
  const bool all = filter.kind == ArtifactFilter::Kind::kAll;
  if (filter.children.empty()) return all ? "1" : "0";
  std::string sql = "(";
  for (size_t i = 0; i < filter.children.size(); ++i) {
    if (i > 0) sql += all ? " AND " : " OR ";
    sql += FilterSql(table, filter.children[i], parameters);
  }
  return sql + ")";
}

void RegisterFilterFunctions(sqlite3* database) {
  sqlite3_create_function(database, "kestrel_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          LikeFunction, nullptr, nullptr);
  sqlite3_create_function(database, "kestrel_number", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                          nullptr, NumberFunction, nullptr, nullptr);
}

}  // namespace kestrel
