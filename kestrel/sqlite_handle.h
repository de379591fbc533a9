// Thin owners of a SQLite connection and its prepared statements: a connection opened read-only
// keeps each statement it prepared and hands it out again, reset, for the same SQL text.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace kestrel {

// A prepared statement in use.
class Statement {
 public:
  // An owned statement is finalized, a cached one only reset, when the holder lets it go.
  Statement(sqlite3_stmt* statement, bool owned) : statement_(statement), owned_(owned) {}
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  void BindInt64(int index, int64_t value);
  void BindDouble(int index, double value);
  void BindText(int index, const std::string& value);
  void BindNull(int index);
  // True while a row is there; throws ComError on an error of the database.
  bool Step();

  int ColumnType(int column) const { return sqlite3_column_type(statement_, column); }
  int64_t ColumnInt64(int column) const { return sqlite3_column_int64(statement_, column); }
  double ColumnDouble(int column) const { return sqlite3_column_double(statement_, column); }
  std::string ColumnText(int column) const;
  std::string ColumnBlob(int column) const;

 private:
  sqlite3_stmt* statement_;
  bool owned_;
};

class Connection {
 public:
  // Opens the database read-only ("mode=ro"), with a busy timeout of two seconds so that a
  // locked database gives an error instead of a hang. Throws ComError naming the file.
  explicit Connection(const std::string& path);
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection();

  // The statement of the SQL text, prepared at its first use and reused afterwards. The
  // connection's lock must be held while the statement is in use (see Lock): SQLite does not
  // lock this connection itself.
  Statement Prepare(const std::string& sql);
  std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }
  const std::string& Path() const { return path_; }
  sqlite3* Handle() const { return database_; }

 private:
  std::string path_;
  sqlite3* database_ = nullptr;
  std::recursive_mutex mutex_;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
};

// Runs SQL text that returns no rows on a writable connection (the build of ".sql" files);
// throws ComError with SQLite's message.
void ExecuteScript(sqlite3* database, const std::string& sql, const std::string& what);

}  // namespace kestrel
