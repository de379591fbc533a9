// Conversions of stored values.
#include "kestrel/cell.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "foundation/text_helpers.h"
#include "kestrel/sqlite_handle.h"
#include "platform/calendar.h"

namespace kestrel {
namespace {

using platform::DaysFromCivil;
constexpr double kUnixEpochOleDays = platform::kUnixEpochAutomationDays;
constexpr double kOleEpochJulianDay = 2415018.5;  // 1899-12-30 00:00

bool TakeDigits(std::string_view& text, size_t count, int& value) {
  if (text.size() < count) return false;
  value = 0;
  for (size_t i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  text.remove_prefix(count);
  return true;
}

bool TakeChar(std::string_view& text, char c) {
  if (text.empty() || text.front() != c) return false;
  text.remove_prefix(1);
  return true;
}

platform::Variant IntegerVariant(int64_t value) {
  if (value >= std::numeric_limits<int32_t>::min() &&
      value <= std::numeric_limits<int32_t>::max()) {
    return platform::Variant(static_cast<int32_t>(value));
  }
  return platform::Variant(std::to_string(value));
}

}  // namespace

Cell ReadCell(const Statement& statement, int column) {
  switch (statement.ColumnType(column)) {
    case SQLITE_INTEGER:
      return statement.ColumnInt64(column);
    case SQLITE_FLOAT:
      return statement.ColumnDouble(column);
    case SQLITE_TEXT:
      return statement.ColumnText(column);
    default:  // NULL; a BLOB where no bytes are expected reads as NULL
      return std::monostate();
  }
}

void BindCell(Statement& statement, int index, const Cell& cell) {
  if (const auto* integer = std::get_if<int64_t>(&cell)) {
    statement.BindInt64(index, *integer);
  } else if (const auto* real = std::get_if<double>(&cell)) {
    statement.BindDouble(index, *real);
  } else if (const auto* text = std::get_if<std::string>(&cell)) {
    statement.BindText(index, *text);
  } else {
    statement.BindNull(index);
  }
}

platform::Variant CellToVariant(const Cell& cell, ColumnKind kind) {
  using platform::Variant;
  if (std::holds_alternative<std::monostate>(cell)) return Variant();
  const auto* integer = std::get_if<int64_t>(&cell);
  const auto* real = std::get_if<double>(&cell);
  const auto* text = std::get_if<std::string>(&cell);
  switch (kind) {
    case ColumnKind::kInt16:
      if (integer != nullptr && *integer >= INT16_MIN && *integer <= INT16_MAX) {
        return Variant::Int16(static_cast<int16_t>(*integer));
      }
      [[fallthrough]];
    case ColumnKind::kInteger:
    case ColumnKind::kByStorage:
      if (integer != nullptr) return IntegerVariant(*integer);
      if (real != nullptr) return Variant(*real);
      return Variant(*text);
    case ColumnKind::kReal:
      if (integer != nullptr) return Variant(static_cast<double>(*integer));
      if (real != nullptr) return Variant(*real);
      return Variant(*text);
    case ColumnKind::kBool:
      if (integer != nullptr) return Variant(*integer != 0);
      if (real != nullptr) return Variant(*real != 0);
      if (EqualsIgnoringCase(*text, "true")) return Variant(true);
      if (EqualsIgnoringCase(*text, "false")) return Variant(false);
      return Variant(*text);
    case ColumnKind::kDate:
      if (integer != nullptr) {
        return Variant::Date(platform::AutomationDateFromDays(
            static_cast<double>(*integer) / 86400.0 + kUnixEpochOleDays));
      }
      if (real != nullptr) {
        return Variant::Date(platform::AutomationDateFromDays(*real - kOleEpochJulianDay));
      }
      if (std::optional<double> days = ParseDateText(*text)) return Variant::Date(*days);
      return Variant(*text);
    case ColumnKind::kText:
    case ColumnKind::kBlob:
      return Variant(CellText(cell));
  }
  return Variant();
}

std::string CellText(const Cell& cell) {
  if (const auto* integer = std::get_if<int64_t>(&cell)) return std::to_string(*integer);
  if (const auto* real = std::get_if<double>(&cell)) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, *real);
    return error == std::errc() ? std::string(buffer, end) : std::string();
  }
  if (const auto* text = std::get_if<std::string>(&cell)) return *text;
  return std::string();
}

Cell CellFromText(const std::string& text) {
  int64_t integer = 0;
  auto [integerEnd, integerError] =
      std::from_chars(text.data(), text.data() + text.size(), integer);
  if (integerError == std::errc() && integerEnd == text.data() + text.size() &&
      std::to_string(integer) == text) {
    return integer;
  }
  double real = 0;
  auto [realEnd, realError] = std::from_chars(text.data(), text.data() + text.size(), real);
  if (realError == std::errc() && realEnd == text.data() + text.size() && std::isfinite(real) &&
      CellText(Cell(real)) == text) {
    return real;
  }
  return text;
}

std::optional<double> ParseDateText(std::string_view text) {
  int year = 0;
  int month = 0;
  int day = 0;
  if (!TakeDigits(text, 4, year) || !TakeChar(text, '-') || !TakeDigits(text, 2, month) ||
      !TakeChar(text, '-') || !TakeDigits(text, 2, day)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  double seconds = 0;
  if (!text.empty() && (text.front() == ' ' || text.front() == 'T')) {
    text.remove_prefix(1);
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!TakeDigits(text, 2, hour) || !TakeChar(text, ':') || !TakeDigits(text, 2, minute)) {
      return std::nullopt;
    }
    if (TakeChar(text, ':')) {
      if (!TakeDigits(text, 2, second)) return std::nullopt;
      double fraction = 0;
      double scale = 0.1;
      if (TakeChar(text, '.')) {
        while (!text.empty() && text.front() >= '0' && text.front() <= '9') {
          fraction += (text.front() - '0') * scale;
          scale /= 10;
          text.remove_prefix(1);
        }
      }
      seconds += fraction;
    }
    if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
    seconds += hour * 3600.0 + minute * 60.0 + second;
    TakeChar(text, 'Z');
  }
  if (!text.empty()) return std::nullopt;
  const int64_t days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
  return platform::AutomationDateFromDays(static_cast<double>(days) + kUnixEpochOleDays +
                                          seconds / 86400.0);
}

}  // namespace kestrel
