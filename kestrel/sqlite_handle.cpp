// The SQLite connection and statement owners.
#include "kestrel/sqlite_handle.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "platform/com_error.h"
#include "platform/work_limits.h"

namespace kestrel {

using platform::ComError;
using platform::kE_FAIL;

namespace {

// Statements of filtered listings vary with the filter's shape; past this many, new texts are
// prepared for one use rather than kept.
constexpr size_t kMaxCachedStatements = 256;

// One value of a database (a text, a picture) is read up to the limit of a data file.
std::uint64_t MaxValueBytes() {
  return std::min<std::uint64_t>(
      platform::ConfiguredLimit(platform::kMaxDataFileBytesKey, platform::kDefaultMaxDataFileBytes),
      INT_MAX);
}

[[noreturn]] void ThrowSqlite(sqlite3* database, const std::string& what) {
  std::string message = what + ": " + sqlite3_errmsg(database);
  if (sqlite3_errcode(database) == SQLITE_TOOBIG) {
    message += " (a value of more than " +
               platform::LimitText(
                   platform::kMaxDataFileBytesKey,
                   static_cast<std::uint64_t>(sqlite3_limit(database, SQLITE_LIMIT_LENGTH, -1))) +
               ")";
  }
  throw ComError(kE_FAIL, message);
}

}  // namespace

Statement::~Statement() {
  if (owned_) {
    sqlite3_finalize(statement_);
    return;
  }
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

void Statement::BindInt64(int index, int64_t value) {
  sqlite3_bind_int64(statement_, index, value);
}

void Statement::BindDouble(int index, double value) {
  sqlite3_bind_double(statement_, index, value);
}

void Statement::BindText(int index, const std::string& value) {
  sqlite3_bind_text(statement_, index, value.data(), static_cast<int>(value.size()),
                    SQLITE_TRANSIENT);
}

void Statement::BindNull(int index) { sqlite3_bind_null(statement_, index); }

bool Statement::Step() {
  const int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  sqlite3* database = sqlite3_db_handle(statement_);
  const char* file = sqlite3_db_filename(database, "main");
  ThrowSqlite(database, file != nullptr ? file : "database");
}

std::string Statement::ColumnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return text == nullptr ? std::string()
                         : std::string(text, sqlite3_column_bytes(statement_, column));
}

std::string Statement::ColumnBlob(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  return bytes == nullptr ? std::string()
                          : std::string(bytes, sqlite3_column_bytes(statement_, column));
}

Connection::Connection(const std::string& path) : path_(path) {
  std::string uri = "file:";
  for (char c : path) {
    if (c == '?' || c == '#' || c == '%') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  uri += "?mode=ro";
  // Read before the open: nothing that may throw runs between the open and the constructor's end,
  // which would leave the connection open with no owner to close it.
  const int maxValueBytes = static_cast<int>(MaxValueBytes());
  // Every use of the connection holds its lock (see Lock), so SQLite's own mutex, taken on
  // each call down to every column read, is left out.
  const int result =
      sqlite3_open_v2(uri.c_str(), &database_,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
  if (result != SQLITE_OK) {
    // Closed first: the texts below may run out of memory, and the handle must not outlive them.
    char reason[512] = "cannot open";
    if (database_ != nullptr) std::snprintf(reason, sizeof reason, "%s", sqlite3_errmsg(database_));
    sqlite3_close_v2(database_);
    database_ = nullptr;
    throw ComError(kE_FAIL, path + ": " + reason);
  }
  sqlite3_busy_timeout(database_, 2000);
  sqlite3_limit(database_, SQLITE_LIMIT_LENGTH, maxValueBytes);
}

Connection::~Connection() {
  for (auto& [sql, statement] : statements_) sqlite3_finalize(statement);
  sqlite3_close_v2(database_);
}

Statement Connection::Prepare(const std::string& sql) {
  auto found = statements_.find(sql);
  if (found != statements_.end()) return Statement(found->second, false);
  const bool keep = statements_.size() < kMaxCachedStatements;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(database_, sql.c_str(), static_cast<int>(sql.size()),
                         keep ? SQLITE_PREPARE_PERSISTENT : 0, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    ThrowSqlite(database_, path_);
  }
  if (!keep) return Statement(statement, true);
  try {
    statements_.emplace(sql, statement);
  } catch (...) {
    // A statement left unfinalised would keep the connection open after its close.
    sqlite3_finalize(statement);
    throw;
  }
  return Statement(statement, false);
}

void ExecuteScript(sqlite3* database, const std::string& sql, const std::string& what) {
  char* message = nullptr;
  if (sqlite3_exec(database, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : sqlite3_errmsg(database);
    sqlite3_free(message);
    throw ComError(kE_FAIL, what + ": " + text);
  }
}

}  // namespace kestrel
