// kestrel_report_bench: a report over a SQLite data source at scale. For each size N it builds a
// store folder with one database "Bench.db": a table Item of N rows (six values a row) and a
// table Part with three rows per item. The page repeats over the items with a predicate that
// leaves out every fifth one (Category "retired"), sorted by two keys (Category ascending, Name
// descending), and lists each item's parts in a nested list. Each request runs end to end through
// the command-line host `xmlagent` beside this program, in a process of its own.
//
// Printed per size: the host process's wall time, its peak resident memory (ru_maxrss of that one
// child, from wait4), and the time the generation driver logged ("generated in", written once the
// page is saved: loading the template, annotation, the walk with every data-source call, the
// page's serialisation and its file write); the rest of the wall time (start-up, loading the data
// source's schema, Output.txt, shutting down) is printed as "other". For scale, the reads of the
// walk run directly against the database here, as the data source makes them: the items that pass
// the predicate (the domain hands it to the data source, which puts it in its statement), then the
// parts of each of them, one statement per item. The copies of the item rows are written out as
// text while the walk goes, so their serialisation cannot be timed apart from it.
// Usage: kestrel_report_bench [N ...]   (default: 10000 100000)
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/host_requests.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const char* const kCategories[] = {"alpha", "beta", "gamma", "delta", "retired"};

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string reason = message != nullptr ? message : "unknown error";
    sqlite3_free(message);
    throw std::runtime_error("sqlite: " + reason + " in " + sql);
  }
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
  return statement;
}

// Bench.db with N items and 3 N parts.
void BuildDatabase(const fs::path& file, int items) {
  fs::remove(file);
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create db");
  Exec(db,
       "CREATE TABLE Item (ItemId INTEGER PRIMARY KEY, Name TEXT NOT NULL, Category TEXT NOT "
       "NULL, Score INTEGER, Created DATE, Active BOOLEAN);"
       "CREATE TABLE Part (PartId INTEGER PRIMARY KEY, item INTEGER NOT NULL REFERENCES "
       "Item(ItemId), Label TEXT NOT NULL);"
       // An index on the foreign key, as a database that is listed by it would have one.
       "CREATE INDEX PartItem ON Part(item);"
       "BEGIN;");
  sqlite3_stmt* item = Prepare(db, "INSERT INTO Item VALUES (?, ?, ?, ?, ?, ?)");
  sqlite3_stmt* part = Prepare(db, "INSERT INTO Part VALUES (?, ?, ?)");
  unsigned scramble = 12345;
  for (int i = 1; i <= items; ++i) {
    scramble = scramble * 1103515245u + 12345u;
    const std::string name = "Item " + std::to_string(scramble % 1000000);
    char date[16];
    std::snprintf(date, sizeof date, "2025-%02d-%02d", 1 + i % 12, 1 + i % 28);
    sqlite3_bind_int(item, 1, i);
    sqlite3_bind_text(item, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(item, 3, kCategories[i % 5], -1, SQLITE_STATIC);
    sqlite3_bind_int(item, 4, static_cast<int>(scramble % 100));
    sqlite3_bind_text(item, 5, date, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(item, 6, i % 3 != 0);
    if (sqlite3_step(item) != SQLITE_DONE) throw std::runtime_error("insert item");
    sqlite3_reset(item);
    for (int k = 1; k <= 3; ++k) {
      const std::string label = "part " + std::to_string(k) + " of item " + std::to_string(i);
      sqlite3_bind_int(part, 1, (i - 1) * 3 + k);
      sqlite3_bind_int(part, 2, i);
      sqlite3_bind_text(part, 3, label.c_str(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(part) != SQLITE_DONE) throw std::runtime_error("insert part");
      sqlite3_reset(part);
    }
  }
  sqlite3_finalize(item);
  sqlite3_finalize(part);
  Exec(db, "COMMIT;");
  sqlite3_close(db);
}

// The reads of the walk, run directly and in the component's way (one statement prepared per
// listing, every column read, rows in primary-key order): the items that pass the predicate,
// which the data source evaluates itself in the statement, then the parts of each of them, one
// item at a time.
double SqlSeconds(const fs::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open db");
  const auto start = Clock::now();
  size_t bytes = 0;
  auto readRow = [&](sqlite3_stmt* statement) {
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
      if (sqlite3_column_type(statement, c) == SQLITE_TEXT)
        bytes += std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, c)),
                             sqlite3_column_bytes(statement, c))
                     .size();
      else
        bytes += sizeof(sqlite3_int64) * (sqlite3_column_int64(statement, c) != 0);
    }
  };
  sqlite3_stmt* items = Prepare(db,
                                "SELECT \"ItemId\", \"Name\", \"Category\", \"Score\", "
                                "\"Created\", \"Active\" FROM \"Item\" WHERE (\"Category\" IS NULL "
                                "OR \"Category\" <> ?) ORDER BY \"ItemId\"");
  sqlite3_bind_text(items, 1, "retired", -1, SQLITE_STATIC);
  std::vector<long long> ids;
  while (sqlite3_step(items) == SQLITE_ROW) {
    ids.push_back(sqlite3_column_int64(items, 0));
    readRow(items);
  }
  sqlite3_finalize(items);
  for (long long id : ids) {
    sqlite3_stmt* parts = Prepare(db,
                                  "SELECT \"PartId\", \"item\", \"Label\" FROM \"Part\" "
                                  "WHERE \"item\" = ? ORDER BY \"PartId\"");
    sqlite3_bind_int64(parts, 1, id);
    while (sqlite3_step(parts) == SQLITE_ROW) readRow(parts);
    sqlite3_finalize(parts);
  }
  const double seconds = SecondsSince(start);
  sqlite3_close(db);
  if (bytes == 0) throw std::runtime_error("the database read nothing");
  return seconds;
}

std::string Span(const std::string& command, const std::string& content) {
  return "<span QuireQuery=\"" + command + "\">" + content + "</span>";
}

std::string TemplateText() {
  const std::string items =
      "R:i:Bench:Item:d:Bench:Database:N=Item:!=A:Bench:Item::Category:Sretired::"
      "A:Bench:Item::Category,R:Bench:Item::Name";
  const std::string parts = "R:p:Bench:Part:i:Bench:Item:N=Part:";
  auto cell = [](const std::string& attribute) {
    return "<td><p>" + Span("F:i:Bench:Item::" + attribute + ":SAA:", "&lt;" + attribute + "&gt;") +
           "</p></td>";
  };
  const std::string partList =
      "<td>" +
      Span("M:parts", Span(parts, "<ul><li>" + Span("F:p:Bench:Part::Label:SAA:", "&lt;Label&gt;") +
                                      "</li></ul>")) +
      "</td>";
  const std::string table =
      Span("M:items:TABLEINFO:A:1",
           "<table><tr><td>Name</td><td>Category</td><td>Score</td><td>Created</td>"
           "<td>Active</td><td>Parts</td></tr>" +
               Span(items, "<tr>" + cell("Name") + cell("Category") + cell("Score") +
                               cell("Created") + cell("Active") + partList + "</tr>") +
               "</table>");
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<html><head><title>Items</title></head><body><div>" +
         Span("C:d:Bench:Database:Name=Bench", "") + "<h1>Items</h1>" + table +
         "</div></body></html>\n";
}

struct HostRun {
  bool ok = false;
  double seconds = 0;
  long maxRssKb = 0;
};

// Runs the host like bench::RunHost, but reaps it with wait4 for its own resource usage.
HostRun RunHostMeasured(const fs::path& host, const std::vector<std::string>& arguments,
                        const fs::path& output) {
  std::vector<char*> argv;
  std::string program = host.string();
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  HostRun run;
  const auto start = Clock::now();
  pid_t child = 0;
  const int failure = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failure != 0) return run;
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.seconds = SecondsSince(start);
  run.maxRssKb = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// The sample installation: the source root is named relative to the build folder, where the
// compiler ran, when the build gave relative file names.
fs::path InstallFolder(const fs::path& host) {
  fs::path root = bench::SourceRoot();
  if (root.is_relative()) root = host.parent_path() / root;
  return fs::weakly_canonical(root / "sample/install");
}

int RunSize(const fs::path& host, const fs::path& work, int items) {
  const fs::path store = work / ("store" + std::to_string(items));
  const fs::path userData = work / ("user" + std::to_string(items));
  fs::create_directories(store);
  const auto built = Clock::now();
  BuildDatabase(store / "Bench.db", items);
  const double buildSeconds = SecondsSince(built);
  const fs::path templateFile = work / "items.htm";
  bench::WriteText(templateFile, TemplateText());

  const fs::path output = work / ("host" + std::to_string(items) + ".txt");
  const HostRun run = RunHostMeasured(
      host,
      {"--home", InstallFolder(host).string(), "--user-data", userData.string(), "--log", "--set",
       "KESTREL_STORE=" + store.string(), "--template", templateFile.string()},
      output);
  if (!run.ok) {
    std::fprintf(stderr, "N=%d: the host failed:\n", items);
    std::FILE* file = std::fopen(output.c_str(), "rb");
    char buffer[4096];
    for (size_t n; file != nullptr && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
      std::fwrite(buffer, 1, n, stderr);
    if (file != nullptr) std::fclose(file);
    return 1;
  }
  const fs::path page = userData / "generated/items.htm";
  const double logged = bench::LoggedSeconds(userData / "logs/xmlagent.log");
  const double sql = SqlSeconds(store / "Bench.db");
  std::string text;
  {
    std::FILE* file = std::fopen(page.c_str(), "rb");
    if (file == nullptr) throw std::runtime_error("cannot read the page");
    char buffer[1 << 16];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
  }
  // Rows and parts that show: the template's own row is kept hidden (a styled "<tr"), and every
  // listed part shows its label "part k of item i".
  const size_t rows = Count(text, "<tr>") - 1;
  const size_t parts = Count(text, ">part ");
  std::printf(
      "N=%d items (%d parts; database built in %.2f s): page %.1f MB, %zu rows (expected %d), "
      "%zu parts listed (expected %d)\n",
      items, 3 * items, buildSeconds, text.size() / 1e6, rows, items - items / 5, parts,
      3 * (items - items / 5));
  std::printf("  total %.2f s, peak memory %.1f MB\n", run.seconds, run.maxRssKb / 1024.0);
  if (logged < 0) {
    std::printf("  the log holds no generation time\n");
  } else {
    std::printf("  generation %.2f s, other %.2f s; the same reads run directly: %.2f s\n", logged,
                run.seconds - logged, sql);
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) {
    const int n = std::atoi(argv[i]);
    if (n < 5) {
      std::fprintf(stderr, "usage: kestrel_report_bench [N ...]   (N of at least 5)\n");
      return 2;
    }
    sizes.push_back(n);
  }
  if (sizes.empty()) sizes = {10000, 100000};
  const fs::path host = fs::canonical("/proc/self/exe").parent_path() / "xmlagent";
  if (!fs::exists(host)) {
    std::fprintf(stderr, "kestrel_report_bench: %s is missing; build the xmlagent target\n",
                 host.c_str());
    return 2;
  }
  char pattern[] = "/tmp/kestrel_report_bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 2;
  const fs::path work = pattern;
  int status = 0;
  try {
    for (int n : sizes) status |= RunSize(host, work, n);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrel_report_bench: %s\n", e.what());
    status = 1;
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return status;
}
