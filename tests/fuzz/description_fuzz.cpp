// Feeds any bytes to the data-source component as the description file of a small database,
// then walks what the data source became: its types, base types, names, pictures, locators,
// identifiers and hierarchy.
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "kestrel/kestrel_session.h"
#include "kestrel/session_registration.h"
#include "platform/com_error.h"
#include "tests/fuzz/fuzz_files.h"

namespace {

using fuzz_files::Check;
using platform::Variant;

// Tables for every key of the description: names, pictures, secrets, a composite key, a table
// located by rowid, two references of a table to itself and a loop in one of them.
constexpr char kSchema[] = R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT, code TEXT, logo BLOB);
CREATE TABLE module (id INTEGER PRIMARY KEY, code TEXT, title TEXT, pin TEXT, photo BLOB,
  scan BLOB, site INTEGER REFERENCES site(id), parent INTEGER REFERENCES module(id),
  twin INTEGER REFERENCES module(id));
CREATE TABLE part (site INTEGER REFERENCES site(id), serial TEXT, label TEXT, weight REAL,
  PRIMARY KEY (site, serial));
CREATE TABLE note (body TEXT, module INTEGER REFERENCES module(id), "odd name" TEXT);
INSERT INTO site VALUES (1, 'north', 'N', NULL), (2, NULL, 'S', x'00');
INSERT INTO module VALUES (1, 'M-1', 'Pump', '1234', NULL, NULL, 1, NULL, 2),
  (2, 'M-2', 'Valve', NULL, NULL, NULL, 1, 1, 1), (3, 'M-2', NULL, '7', NULL, NULL, 2, 4, NULL),
  (4, 'M 4', 'Loop', NULL, NULL, NULL, NULL, 3, 4);
INSERT INTO part VALUES (1, 'A:1', 'bolt', 0.5), (2, 'B=2', NULL, NULL);
INSERT INTO note VALUES ('first', 1, 'x'), ('second', 9, NULL);
)";

const std::string& Store() {
  static const std::string store = [] {
    const std::string folder = fuzz_files::PathOf("store");
    std::filesystem::create_directories(folder);
    sqlite3* database = nullptr;
    char* message = nullptr;
    if (sqlite3_open((folder + "/fuzz.db").c_str(), &database) != SQLITE_OK ||
        sqlite3_exec(database, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
      std::fprintf(stdout, "cannot make the database: %s\n", message ? message : "");
      std::abort();
    }
    sqlite3_close(database);
    return folder;
  }();
  return store;
}

template <class T>
std::vector<std::shared_ptr<T>> Items(const kestrel::Collection<T>& collection) {
  std::vector<std::shared_ptr<T>> items;
  for (int32_t i = 0; i < collection.Count(); ++i) items.push_back(collection.Item(Variant(i)));
  return items;
}

// The artifacts that the root lists, through each of its many-valued relationships.
void WalkArtifacts(const kestrel::Session& session, const kestrel::ArtifactType& rootType,
                   const kestrel::Artifact& root) {
  for (const auto& relationship : Items(*rootType.RelationshipDefinitions())) {
    Check(relationship->IsMany(), "the root's relationships list tables");
    const auto artifacts = Items(*root.Related(*relationship));
    // The first rows of each table show what the description changed; more only cost time.
    for (size_t i = 0; i < artifacts.size() && i < 3; ++i) {
      const auto& artifact = artifacts[i];
      const std::string identifier = artifact->Identifier();
      Check(identifier.rfind("fuzz:", 0) == 0, "an identifier names its data source");
      const auto found = session.ArtifactById(identifier);
      Check(found && found->Identifier() == identifier, "an identifier finds its artifact");
      (void)artifact->Name();
      const auto type = artifact->Type();
      for (const auto& property : Items(*type->PropertyDefinitions())) {
        (void)artifact->Value(*property).TryString();
      }
      for (const auto& link : Items(*type->RelationshipDefinitions())) {
        const auto related = artifact->Related(*link);
        Check(link->IsMany() || related->Count() <= 1, "a one-valued relationship gives one");
      }
      // The hierarchy ends: at the top, at a dangling reference or where it comes back.
      size_t depth = 0;
      for (auto node = artifact->Node(); node; node = node->Parent()) {
        Check(++depth <= 16, "a node's parents end");
      }
      // A locator filled from the artifact's own values names an artifact of its type.
      const auto locator = session.Locator("fuzz", type->Name());
      for (const auto& parameter : Items(*locator->Parameters())) {
        Check(parameter->ClassName() == type->Name(), "a locator parameter belongs to its type");
        for (const auto& property : Items(*type->PropertyDefinitions())) {
          if (property->Name() == parameter->Name())
            parameter->SetValue(artifact->Value(*property));
        }
      }
      const std::string located = locator->Identify(0);
      if (!located.empty()) {
        const auto other = session.ArtifactById(located);
        Check(other && other->Type()->Name() == type->Name(),
              "a locator identifies an artifact of its type");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& store = Store();
  const std::string path = store + "/fuzz.kestrel";
  fuzz_files::Write("store/fuzz.kestrel",
                    std::string_view(reinterpret_cast<const char*>(data), size));
  const std::shared_ptr<kestrel::Session> session = kestrel::MakeSession(store);
  const auto sources = Items(*session->DataSources());
  Check(sources.size() == 1 && sources[0]->Name() == "fuzz", "the store holds one data source");
  std::shared_ptr<kestrel::Collection<kestrel::ArtifactType>> types;
  try {
    types = sources[0]->ArtifactTypes();
  } catch (const platform::ComError& error) {
    // The database is good: whatever fails is the description, named with its line.
    const std::string& description = error.Description();
    Check(description.rfind(path + ":", 0) == 0, "a refused description is named");
    Check(sources[0]->TypeText() == "SQLite", "a refused description gives the default type");
    return 0;
  }
  const auto all = Items(*types);
  Check(all.size() == 5, "the root type and one type per table");
  for (const auto& type : all) {
    size_t depth = 0;
    for (auto base = type->BaseType(); base; base = base->BaseType()) {
      Check(++depth < all.size(), "base types form no cycle");
      Check(type->IsKindOf(*base), "a type is a kind of its bases");
    }
    Check(type->PictureKinds()->Count() <= 1, "at most one picture");
  }
  const auto root = session->ArtifactById("fuzz:Database:Name=fuzz");
  Check(root != nullptr, "the root artifact is found");
  WalkArtifacts(*session, *all.front(), *root);
  return 0;
}
