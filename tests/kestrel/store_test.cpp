// The store folder: which files are data sources, broken files, databases built from SQL
// scripts, description files, and that nothing is ever written to a database.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "foundation/input_limits.h"
#include "kestrel_test_support.h"

namespace {

using namespace kestrel_test;
namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(KestrelStore, EveryDatabaseFileIsADataSourceAndABrokenOneFailsAlone) {
  test_support::TempFolder store("kestrel_store");
  MakeDatabase(store.Path("good.db"), "CREATE TABLE t (id INTEGER PRIMARY KEY);");
  store.Write("broken.sqlite3", "this is plain text, long enough to be no database header at all");
  store.Write("notes.txt", "not a data source");
  store.MakeFolder("folder.db");
  store.Write("script.sql",
              "CREATE TABLE made (id INTEGER PRIMARY KEY, name TEXT);\n"
              "INSERT INTO made VALUES (1, 'from the script');\n");
  store.Write("bad.sql", "CREATE TABLE half (id INTEGER);\nINSERT INTO nowhere VALUES (1);\n");
  store.Write("good.sql", "this script is not used: good.db is there");
  auto session = OpenStore(store.Path());
  EXPECT_EQ(Names(*session->DataSources()),
            (std::vector<std::string>{"bad", "broken", "good", "script"}));
  auto broken = Named(*session->DataSources(), "broken");
  EXPECT_EQ(ErrorOf([&] { broken->ArtifactTypes(); }),
            store.Path("broken.sqlite3") + ": file is not a database");
  EXPECT_EQ(broken->TypeText(), "SQLite");
  EXPECT_EQ(Names(*Named(*session->DataSources(), "good")->ArtifactTypes()),
            (std::vector<std::string>{"Database", "t"}));

  auto made = session->ArtifactById("script:made:id=1");
  ASSERT_TRUE(made);
  EXPECT_EQ(made->Name(), "from the script");
  const std::string failure =
      ErrorOf([&] { Named(*session->DataSources(), "bad")->ArtifactTypes(); });
  EXPECT_EQ(failure, store.Path("bad.sql") + ": no such table: nowhere");
  // The failed build left nothing behind; the good one left its database.
  EXPECT_EQ(FilesIn(store.Path()),
            (std::vector<std::string>{"bad.sql", "broken.sqlite3", "folder.db", "good.db",
                                      "good.sql", "notes.txt", "script.db", "script.sql"}));
}

TEST(KestrelStore, ADescriptionFileSaysWhatTheDatabaseCannot) {
  test_support::TempFolder store("kestrel_described");
  MakeDatabase(store.Path("plant.db"), R"(
CREATE TABLE thing (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE module (id INTEGER PRIMARY KEY, code TEXT, pin TEXT, photo BLOB, scan BLOB,
  owner INTEGER REFERENCES module(id), parent INTEGER REFERENCES module(id));
INSERT INTO module VALUES (1, 'M-1', '1234', NULL, NULL, NULL, NULL),
  (2, 'M-2', '99', NULL, NULL, 2, 1);
)");
  store.Write("plant.kestrel", R"(; the plant's inventory
[DataSource]
Type = Plant inventory

[Table module]
BaseType = thing
NameColumn = code
PictureColumn = scan
LocatorColumns = code
SecretColumns = pin
Hierarchy = parent
)");
  auto session = OpenStore(store.Path());
  auto plant = Named(*session->DataSources(), "plant");
  EXPECT_EQ(plant->TypeText(), "Plant inventory");
  auto module = TypeOf(*session, "plant", "module");
  auto thing = TypeOf(*session, "plant", "thing");
  ASSERT_TRUE(module->BaseType());
  EXPECT_EQ(module->BaseType()->Name(), "thing");
  EXPECT_TRUE(module->IsKindOf(*thing));
  EXPECT_FALSE(thing->IsKindOf(*module));
  EXPECT_EQ(Names(*module->PictureKinds()), std::vector<std::string>{"Picture"});
  EXPECT_TRUE(Named(*module->PropertyDefinitions(), "pin")->IsSecret());
  auto locator = session->Locator("plant", "module");
  EXPECT_EQ(Names(*locator->Parameters()), std::vector<std::string>{"code"});
  Items(*locator->Parameters())[0]->SetValue(Variant("M-2"));
  EXPECT_EQ(locator->Identify(0), "plant:module:id=2");  // identifiers keep the primary key
  auto second = session->ArtifactById("plant:module:id=2");
  EXPECT_EQ(second->Name(), "M-2");
  EXPECT_EQ(second->Node()->Parent()->Text(), "M-1");  // "parent", not the first self reference
}

TEST(KestrelStore, AWrongDescriptionFailsItsDataSourceWithFileAndLine) {
  test_support::TempFolder store("kestrel_wrong");
  const std::string schema = R"(
CREATE TABLE a (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE b (id INTEGER PRIMARY KEY, photo BLOB, ref INTEGER REFERENCES a(id));
)";
  const std::pair<std::string, std::string> cases[] = {
      {"[Table nothing]\n", ":1: unknown table \"nothing\""},
      {"[Table a]\nNameColumn = title\n", ":2: unknown column \"title\" of table \"a\""},
      {"\n[Table a]\nBaseType = b\n[Table b]\nBaseType = a\n",
       ":3: base types form a cycle through \"a\""},
      {"[Table b]\nHierarchy = ref\n", ":2: column \"ref\" is no reference of \"b\" to itself"},
      {"[Table a]\nPictureColumn = name\n", ":2: column \"name\" is not a BLOB column"},
      {"[Table a]\nColour = red\n", ":2: unknown key \"Colour\""},
      {"[Other]\n", ":1: unknown section \"Other\""},
      {"[Table a]\n;" + std::string(kMaxTextLineBytes, 'x') + "\n",
       ":2: line longer than the limit of " + std::to_string(kMaxTextLineBytes) +
           " bytes in a line"},
  };
  int number = 0;
  for (const auto& [text, problem] : cases) {
    const std::string name = "case" + std::to_string(++number);
    MakeDatabase(store.Path(name + ".db"), schema);
    store.Write(name + ".kestrel", text);
  }
  MakeDatabase(store.Path("fine.db"), schema);
  store.Write("fine.kestrel", "[Table a]\n;" + std::string(kMaxTextLineBytes - 1, 'x') + "\n");
  auto session = OpenStore(store.Path());
  number = 0;
  for (const auto& [text, problem] : cases) {
    const std::string name = "case" + std::to_string(++number);
    EXPECT_EQ(ErrorOf([&] { Named(*session->DataSources(), name)->ArtifactTypes(); }),
              store.Path(name + ".kestrel") + problem);
  }
  EXPECT_EQ(Named(*session->DataSources(), "fine")->ArtifactTypes()->Count(), 3);
}

TEST(KestrelStore, ReadsNeverWriteAndALockedDatabaseGivesAnError) {
  test_support::TempFolder store("kestrel_readonly");
  MakeDatabase(store.Path("plant.db"), R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE module (id INTEGER PRIMARY KEY, name TEXT, site INTEGER REFERENCES site(id));
INSERT INTO site VALUES (1, 'north');
INSERT INTO module VALUES (1, 'pump', 1), (2, 'valve', 1);
)");
  const std::string before = ReadFile(store.Path("plant.db"));
  struct stat status {};
  ASSERT_EQ(stat(store.Path("plant.db").c_str(), &status), 0);
  const auto modified = status.st_mtim;
  {
    auto session = OpenStore(store.Path());
    auto site = session->ArtifactById("plant:site:id=1");
    EXPECT_EQ(RelatedNames(*site, "module"), (std::vector<std::string>{"pump", "valve"}));
    auto locator = session->Locator("plant", "module");
    Items(*locator->Parameters())[0]->SetValue(Variant(int32_t{2}));
    EXPECT_EQ(locator->Identify(0), "plant:module:id=2");
  }
  EXPECT_EQ(ReadFile(store.Path("plant.db")), before);
  ASSERT_EQ(stat(store.Path("plant.db").c_str(), &status), 0);
  EXPECT_EQ(status.st_mtim.tv_sec, modified.tv_sec);
  EXPECT_EQ(status.st_mtim.tv_nsec, modified.tv_nsec);
  EXPECT_EQ(FilesIn(store.Path()), std::vector<std::string>{"plant.db"});

  // Another process holding the write lock: the reader gives up with an error, not a hang.
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(store.Path("plant.db").c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  auto session = OpenStore(store.Path());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { Named(*session->DataSources(), "plant")->ArtifactTypes(); }),
            store.Path("plant.db") + ": database is locked");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(writer);
  EXPECT_EQ(Named(*session->DataSources(), "plant")->ArtifactTypes()->Count(), 3);
}

}  // namespace
