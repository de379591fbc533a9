// The names a data source's schema gives: types, properties, relationships and the root.
#include <algorithm>

#include "kestrel_test_support.h"
#include "platform/config.h"

namespace {

using namespace kestrel_test;

constexpr const char* kPlant = R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT, Password TEXT);
CREATE TABLE module (id INTEGER PRIMARY KEY, title TEXT, site_id INTEGER REFERENCES site(id),
                     parent INTEGER REFERENCES module(id), photo BLOB, weight REAL);
CREATE TABLE link (a INTEGER REFERENCES module(id), b INTEGER REFERENCES module(id), note TEXT);
CREATE VIEW heavy AS SELECT * FROM module WHERE weight > 10;
CREATE INDEX module_site ON module(site_id);
)";

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

struct RelationshipShape {
  std::string name;
  std::string target;
  bool many;
  bool operator==(const RelationshipShape&) const = default;
  bool operator<(const RelationshipShape& other) const { return name < other.name; }
};

std::vector<RelationshipShape> Shapes(const kestrel::ArtifactType& type) {
  std::vector<RelationshipShape> shapes;
  for (const auto& relationship : Items(*type.RelationshipDefinitions())) {
    shapes.push_back(
        {relationship->Name(), relationship->TargetType()->Name(), relationship->IsMany()});
  }
  std::sort(shapes.begin(), shapes.end());
  return shapes;
}

TEST(KestrelSchema, TablesColumnsAndForeignKeysGiveTheFixedNames) {
  test_support::TempFolder store("kestrel_schema");
  MakeDatabase(store.Path("plant.db"), kPlant);
  auto session = OpenStore(store.Path());
  ASSERT_TRUE(session);
  EXPECT_EQ(Names(*session->DataSources()), std::vector<std::string>{"plant"});
  auto plant = Named(*session->DataSources(), "plant");
  EXPECT_EQ(plant->TypeText(), "SQLite");
  // Views and SQLite's own tables are no types; the root comes first.
  EXPECT_EQ(Names(*plant->ArtifactTypes()),
            (std::vector<std::string>{"Database", "link", "module", "site"}));

  auto module = TypeOf(*session, "plant", "module");
  EXPECT_EQ(Names(*module->PropertyDefinitions()),
            (std::vector<std::string>{"id", "title", "site_id", "parent", "weight"}));
  EXPECT_EQ(Shapes(*module), (std::vector<RelationshipShape>{{"link_a", "link", true},
                                                             {"link_b", "link", true},
                                                             {"module", "module", true},
                                                             {"parent", "module", false},
                                                             {"site_id", "site", false}}));
  EXPECT_EQ(Names(*module->PictureKinds()), std::vector<std::string>{"Picture"});
  EXPECT_EQ(module->BaseType(), nullptr);
  EXPECT_TRUE(module->IsKindOf(*module));

  auto site = TypeOf(*session, "plant", "site");
  EXPECT_EQ(Shapes(*site), (std::vector<RelationshipShape>{{"module", "module", true}}));
  EXPECT_EQ(site->PictureKinds()->Count(), 0);
  EXPECT_FALSE(site->IsKindOf(*module));
  std::vector<bool> secret;
  for (const auto& property : Items(*site->PropertyDefinitions())) {
    secret.push_back(property->IsSecret());
  }
  EXPECT_EQ(secret, (std::vector<bool>{false, false, true}));

  auto link = TypeOf(*session, "plant", "link");
  EXPECT_EQ(Shapes(*link),
            (std::vector<RelationshipShape>{{"a", "module", false}, {"b", "module", false}}));

  auto root = TypeOf(*session, "plant", "Database");
  EXPECT_EQ(Names(*root->PropertyDefinitions()), std::vector<std::string>{"Name"});
  EXPECT_EQ(Sorted(Names(*root->RelationshipDefinitions())),
            (std::vector<std::string>{"link", "module", "site"}));
  for (const auto& relationship : Items(*root->RelationshipDefinitions())) {
    EXPECT_TRUE(relationship->IsMany());
    EXPECT_EQ(relationship->TargetType()->Name(), relationship->Name());
  }
}

TEST(KestrelSchema, CollectionsRefuseIndexesOutsideTheirItems) {
  test_support::TempFolder store("kestrel_schema");
  MakeDatabase(store.Path("plant.db"), kPlant);
  auto types = Named(*OpenStore(store.Path())->DataSources(), "plant")->ArtifactTypes();
  EXPECT_EQ(types->Item(Variant(3.0))->Name(), "site");
  EXPECT_EQ(types->Item(Variant::Int16(1))->Name(), "link");
  for (const Variant& bad :
       {Variant(int32_t{4}), Variant(int32_t{-1}), Variant(1.5), Variant("1"), Variant()}) {
    try {
      types->Item(bad);
      ADD_FAILURE() << "no error for " << bad.TryString().value_or("Null");
    } catch (const platform::ComError& error) {
      EXPECT_EQ(error.Code(), platform::kE_INVALIDARG);
    }
  }
}

// A foreign key to a table that is not there relates nothing, says so, and leaves the rest usable.
TEST(KestrelSchema, ForeignKeyToAMissingTableIsLoggedAndSkipped) {
  test_support::TempFolder store("kestrel_schema");
  MakeDatabase(store.Path("plant.db"),
               "CREATE TABLE part (id INTEGER PRIMARY KEY, name TEXT,"
               " maker INTEGER REFERENCES vendor(id));");
  std::shared_ptr<kestrel::ArtifactType> part;
  const std::string log = test_support::CapturedStderr(
      [&] { part = TypeOf(*OpenStore(store.Path()), "plant", "part"); });
  ASSERT_TRUE(part);
  EXPECT_TRUE(Shapes(*part).empty());
  EXPECT_EQ(Names(*part->PropertyDefinitions()), (std::vector<std::string>{"id", "name", "maker"}));
  EXPECT_NE(log.find("part.maker references the missing table vendor"), std::string::npos) << log;
}

// A listing holds at most one row past the REPEAT limit, so a runaway table is refused by the
// walk before it fills the memory.
TEST(KestrelSchema, ListingsStopOneRowPastTheRepeatLimit) {
  test_support::TempFolder store("kestrel_schema");
  MakeDatabase(store.Path("plant.db"),
               "CREATE TABLE part (id INTEGER PRIMARY KEY, name TEXT);"
               "INSERT INTO part (name) VALUES ('a'), ('b'), ('c'), ('d'), ('e');");
  auto session = OpenStore(store.Path());
  auto root = session->ArtifactById("plant:Database:Name=plant");
  ASSERT_TRUE(root);
  EXPECT_EQ(RelatedNames(*root, "part").size(), 5u);
  platform::BindInitParameter("MaxRepeatObjects", "2");
  EXPECT_EQ(RelatedNames(*root, "part"), (std::vector<std::string>{"a", "b", "c"}));
  platform::ClearInitParametersForTesting();
}

}  // namespace
