// Related artifacts and the hierarchy's nodes, including rings in the data.
#include <filesystem>

#include "kestrel_test_support.h"

namespace {

using namespace kestrel_test;

constexpr const char* kTree = R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE node (id INTEGER PRIMARY KEY, name TEXT, parent INTEGER REFERENCES node(id),
                   site INTEGER REFERENCES site(id));
INSERT INTO site VALUES (1, 'north'), (2, 'south');
INSERT INTO node VALUES (1, 'top', NULL, 1), (2, 'middle', 1, 1), (3, 'leaf', 2, 2),
  (4, 'orphan', 99, NULL), (5, 'ring five', 6, 2), (6, 'ring six', 5, 2), (7, 'self', 7, 1),
  (8, 'second child', 1, 1);
)";

std::vector<std::string> Chain(const kestrel::Artifact& artifact) {
  std::vector<std::string> texts;
  for (auto node = artifact.Node(); node && texts.size() < 20; node = node->Parent()) {
    texts.push_back(node->Text());
  }
  return texts;
}

class KestrelTree : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(store_.Path("tree.db"), kTree);
    session = OpenStore(store_.Path());
  }
  std::shared_ptr<kestrel::Artifact> node(int id) {
    return session->ArtifactById("tree:node:id=" + std::to_string(id));
  }

  test_support::TempFolder store_{"kestrel_tree"};
  std::shared_ptr<kestrel::Session> session;
};

TEST_F(KestrelTree, NodesWalkUpToTheTopAndStopAtRingsAndDanglingReferences) {
  EXPECT_EQ(Chain(*node(3)), (std::vector<std::string>{"leaf", "middle", "top"}));
  EXPECT_EQ(Chain(*node(1)), std::vector<std::string>{"top"});
  EXPECT_EQ(Chain(*node(4)), std::vector<std::string>{"orphan"});
  EXPECT_EQ(Chain(*node(5)), (std::vector<std::string>{"ring five", "ring six"}));
  EXPECT_EQ(Chain(*node(7)), std::vector<std::string>{"self"});
  // A type without a reference to itself gives a node without parent.
  EXPECT_EQ(Chain(*session->ArtifactById("tree:site:id=2")), std::vector<std::string>{"south"});
  EXPECT_EQ(Chain(*session->ArtifactById("tree:Database:Name=tree")),
            std::vector<std::string>{"tree"});
}

// Of two references of a table to itself, the one declared first makes the hierarchy.
TEST(KestrelHierarchy, TheFirstDeclaredReferenceToItselfIsTheParent) {
  test_support::TempFolder store{"kestrel_first_reference"};
  MakeDatabase(store.Path("req.db"),
               "CREATE TABLE req (id INTEGER PRIMARY KEY, name TEXT,"
               " parent INTEGER REFERENCES req(id), duplicate_of INTEGER REFERENCES req(id));"
               "INSERT INTO req VALUES (1, 'top', NULL, NULL), (2, 'child', 1, NULL),"
               " (3, 'copy', NULL, 2);");
  const auto session = OpenStore(store.Path());
  EXPECT_EQ(Chain(*session->ArtifactById("req:req:id=2")),
            (std::vector<std::string>{"child", "top"}));
  EXPECT_EQ(Chain(*session->ArtifactById("req:req:id=3")), std::vector<std::string>{"copy"});
}

TEST_F(KestrelTree, RelationshipsListRelatedRowsInKeyOrder) {
  EXPECT_EQ(RelatedNames(*node(1), "node"), (std::vector<std::string>{"middle", "second child"}));
  EXPECT_EQ(RelatedNames(*node(1), "parent"), std::vector<std::string>{});
  EXPECT_EQ(RelatedNames(*node(1), "site"), std::vector<std::string>{"north"});
  EXPECT_EQ(RelatedNames(*node(4), "parent"), std::vector<std::string>{});  // dangling
  EXPECT_EQ(RelatedNames(*session->ArtifactById("tree:site:id=2"), "node"),
            (std::vector<std::string>{"leaf", "ring five", "ring six"}));
}

// Walking the rows of one listing reads their related rows for the whole listing at once; each
// row must still get exactly what it gets asked alone: in key order, none for a NULL or dangling
// key, one for a one-valued relationship, a text key compared with an integer column as SQL
// compares it, and past the few hundred keys one statement takes. The index on the owner hands
// an owner's items in name order, not in key order.
TEST(KestrelHierarchy, RowsOfAListingGetTheRelatedRowsTheyGetAlone) {
  test_support::TempFolder store("kestrel_listing");
  MakeDatabase(store.Path("shop.db"), R"(
CREATE TABLE owner (code TEXT PRIMARY KEY, name TEXT);
CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, owner INTEGER REFERENCES owner(code),
                   parent INTEGER REFERENCES item(id));
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700)
INSERT INTO owner SELECT CAST(i AS TEXT), 'owner ' || i FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)
INSERT INTO item SELECT (i * 7919) % 1500 + 1, 'item ' || i,
  CASE WHEN i % 11 = 0 THEN NULL WHEN i % 13 = 0 THEN 9999 ELSE i % 650 + 1 END,
  CASE WHEN i % 5 = 0 THEN NULL ELSE (i * 31) % 1500 + 1 END FROM n;
CREATE INDEX item_by_owner ON item(owner, name);
)");
  auto session = OpenStore(store.Path());
  auto root = session->ArtifactById("shop:Database:Name=shop");
  for (const char* table : {"owner", "item"}) {
    SCOPED_TRACE(table);
    auto listing = Items(*root->Related(*Named(*root->Type()->RelationshipDefinitions(), table)));
    ASSERT_GT(listing.size(), 600u);
    std::vector<std::string> relationships;
    for (const auto& definition : Items(*listing.front()->Type()->RelationshipDefinitions())) {
      relationships.push_back(definition->Name());
    }
    ASSERT_FALSE(relationships.empty());
    size_t related = 0;
    for (const std::string& relationship : relationships) {
      for (const auto& artifact : listing) {
        const auto alone = session->ArtifactById(artifact->Identifier());
        const std::vector<std::string> names = RelatedNames(*artifact, relationship);
        ASSERT_EQ(names, RelatedNames(*alone, relationship))
            << artifact->Identifier() << " " << relationship;
        related += names.size();
      }
    }
    EXPECT_GT(related, 1000u);
  }
}

// A long listing shares the reading of its related rows with a second connection; where none can
// be opened (the file has gone since the first one opened it), the first reads them all.
TEST(KestrelHierarchy, RelatedRowsOfAListingNeedNoSecondConnection) {
  test_support::TempFolder store("kestrel_one_connection");
  MakeDatabase(store.Path("tree.db"), R"(
CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, parent INTEGER REFERENCES item(id));
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200)
INSERT INTO item SELECT i, 'item ' || i, NULLIF(i / 2, 0) FROM n;
)");
  auto session = OpenStore(store.Path());
  auto root = session->ArtifactById("tree:Database:Name=tree");
  auto listing = Items(*root->Related(*Named(*root->Type()->RelationshipDefinitions(), "item")));
  ASSERT_EQ(listing.size(), 1200u);
  std::filesystem::remove(store.Path("tree.db"));
  for (size_t i = 1; i <= listing.size(); ++i) {
    const std::vector<std::string> parent{"item " + std::to_string(i / 2)};
    ASSERT_EQ(RelatedNames(*listing[i - 1], "parent"), i > 1 ? parent : std::vector<std::string>{})
        << i;
  }
}

TEST(KestrelHierarchy, ALargeTableIsListedWhole) {
  test_support::TempFolder store("kestrel_large");
  MakeDatabase(store.Path("large.db"), R"(
CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)
INSERT INTO item SELECT 100001 - i, 'item ' || (100001 - i) FROM n;
)");
  auto session = OpenStore(store.Path());
  auto root = session->ArtifactById("large:Database:Name=large");
  auto items = root->Related(*Named(*root->Type()->RelationshipDefinitions(), "item"));
  ASSERT_EQ(items->Count(), 100000);
  EXPECT_EQ(items->Item(Variant(int32_t{0}))->Name(), "item 1");
  EXPECT_EQ(items->Item(Variant(int32_t{99999}))->Identifier(), "large:item:id=100000");
}

}  // namespace
