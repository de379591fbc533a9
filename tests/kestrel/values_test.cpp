// Property values by declared type, identifiers and locators.
#include "kestrel_test_support.h"
#include "platform/config.h"
#include "platform/work_limits.h"

namespace {

using namespace kestrel_test;
using platform::VariantType;

TEST(KestrelValues, DeclaredTypesChooseTheVariant) {
  test_support::TempFolder store("kestrel_values");
  MakeDatabase(store.Path("kinds.sqlite"), R"(
CREATE TABLE sample (id INTEGER PRIMARY KEY, i INT, big BIGINT, s SMALLINT, t TINYINT, r REAL,
  n NUMERIC, b BOOLEAN, d DATE, dt DATETIME, ts TIMESTAMP, txt TEXT, vc VARCHAR(10), untyped,
  odd WIBBLE, pic BLOB);
INSERT INTO sample VALUES (1, 42, 5000000000, -7, 200, 1.5, 2, 1, '2024-02-29',
  '2024-02-29T13:45:10', 1700000000, 'text', 12, 3.25, 'w', x'00');
INSERT INTO sample VALUES (2, NULL, -3, 70000, NULL, NULL, NULL, 0, 'not a date', 2460000.75,
  '2024-03-01 08:30', NULL, NULL, 7, NULL, NULL);
)");
  auto session = OpenStore(store.Path());
  auto root = session->ArtifactById("kinds:Database:Name=kinds");
  ASSERT_TRUE(root);
  auto rows = Items(*root->Related(*Named(*root->Type()->RelationshipDefinitions(), "sample")));
  ASSERT_EQ(rows.size(), 2u);
  struct Expected {
    const char* column;
    VariantType type;
    const char* text;
  };
  const Expected first[] = {
      {"i", VariantType::kInt32, "42"},
      {"big", VariantType::kString, "5000000000"},
      {"s", VariantType::kInt16, "-7"},
      {"t", VariantType::kInt32, "200"},
      {"r", VariantType::kDouble, "1.5"},
      {"n", VariantType::kDouble, "2"},
      {"b", VariantType::kBool, "True"},
      {"d", VariantType::kDate, "2024-02-29"},
      {"dt", VariantType::kDate, "2024-02-29 13:45:10"},
      {"ts", VariantType::kDate, "2023-11-14 22:13:20"},
      {"txt", VariantType::kString, "text"},
      {"vc", VariantType::kString, "12"},
      {"untyped", VariantType::kDouble, "3.25"},
      {"odd", VariantType::kString, "w"},
  };
  for (const Expected& expected : first) {
    const Variant value = ValueOf(*rows[0], expected.column);
    EXPECT_EQ(value.Type(), expected.type) << expected.column;
    EXPECT_EQ(value.TryString().value_or("Null"), expected.text) << expected.column;
  }
  const Expected second[] = {
      {"i", VariantType::kEmpty, ""},
      {"big", VariantType::kInt32, "-3"},
      {"s", VariantType::kInt32, "70000"},  // too large for 16 bits
      {"b", VariantType::kBool, "False"},
      {"d", VariantType::kString, "not a date"},
      {"dt", VariantType::kDate, "2023-02-25 06:00:00"},  // a julian day
      {"ts", VariantType::kDate, "2024-03-01 08:30:00"},
      {"untyped", VariantType::kInt32, "7"},
  };
  for (const Expected& expected : second) {
    const Variant value = ValueOf(*rows[1], expected.column);
    EXPECT_EQ(value.Type(), expected.type) << expected.column;
    EXPECT_EQ(value.TryString().value_or("Null"), expected.text) << expected.column;
  }
  EXPECT_DOUBLE_EQ(ValueOf(*rows[0], "d").AsDate(), 45351.0);
  // The BLOB column is no property.
  for (const auto& name : Names(*rows[0]->Type()->PropertyDefinitions())) EXPECT_NE(name, "pic");
}

TEST(KestrelValues, IdentifiersEscapeTheirPartsAndLeadBackToTheRow) {
  test_support::TempFolder store("kestrel_ids");
  MakeDatabase(store.Path("my plant.db"), R"(
CREATE TABLE part (site TEXT, code INTEGER, name TEXT, PRIMARY KEY (code, site));
INSERT INTO part VALUES ('north', 7, 'valve'), ('a b:c,d=e\f', 7, 'odd'), ('north', 8, NULL);
CREATE TABLE loose (label TEXT);
INSERT INTO loose VALUES ('first'), ('second');
CREATE TABLE bare (code PRIMARY KEY, name);
INSERT INTO bare VALUES ('12', 'text twelve'), (13, 'number thirteen'), ('2.5', 'text half');
)");
  auto session = OpenStore(store.Path());
  auto parts = Items(
      *session->ArtifactById("my\\x20plant:Database:Name=my\\x20plant")
           ->Related(*Named(*TypeOf(*session, "my plant", "Database")->RelationshipDefinitions(),
                            "part")));
  ASSERT_EQ(parts.size(), 3u);
  // Key order is the primary key's order: code, then site.
  EXPECT_EQ(parts[0]->Identifier(),
            "my\\x20plant:part:code=7,site=a\\x20b\\x3Ac\\x2Cd\\x3De\\x5Cf");
  EXPECT_EQ(parts[1]->Identifier(), "my\\x20plant:part:code=7,site=north");
  EXPECT_EQ(parts[1]->Name(), "valve");
  EXPECT_EQ(parts[2]->Name(), parts[2]->Identifier());  // a NULL name
  for (const auto& part : parts) {
    auto found = session->ArtifactById(part->Identifier());
    ASSERT_TRUE(found) << part->Identifier();
    EXPECT_EQ(found->Identifier(), part->Identifier());
    // The ancestors query escapes blanks and backslashes of the whole text once more.
    std::string escapedAgain;
    for (char c : part->Identifier()) {
      escapedAgain += c == '\\' ? std::string("\\x5C") : c == ' ' ? "\\x20" : std::string(1, c);
    }
    found = session->ArtifactById(escapedAgain);
    ASSERT_TRUE(found) << escapedAgain;
    EXPECT_EQ(found->Identifier(), part->Identifier());
  }
  // Separators escaped as well: the text is read decoded as a whole.
  auto whole = session->ArtifactById("my\\x20plant\\x3Apart\\x3Acode\\x3D7\\x2Csite\\x3Dnorth");
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->Name(), "valve");
  // Tables without a primary key are located by rowid.
  auto loose = session->ArtifactById("my\\x20plant:loose:rowid=2");
  ASSERT_TRUE(loose);
  EXPECT_EQ(ValueOf(*loose, "label").AsString(), "second");
  EXPECT_EQ(loose->Name(), "my\\x20plant:loose:rowid=2");
  // A key column without a type holds a number or a text that reads as one: both are found.
  for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{
           {"12", "text twelve"}, {"13", "number thirteen"}, {"2.5", "text half"}}) {
    auto bare = session->ArtifactById("my\\x20plant:bare:code=" + code);
    ASSERT_TRUE(bare) << code;
    EXPECT_EQ(bare->Name(), name);
  }
  for (const char* nothing :
       {"my\\x20plant:part:code=9,site=north", "my\\x20plant:part:colour=red", "other:part:code=7",
        "my\\x20plant:nothing:id=1", "no colons", "my\\x20plant:part:code", "x:Database:Name=x"}) {
    EXPECT_EQ(session->ArtifactById(nothing), nullptr) << nothing;
  }
}

TEST(KestrelValues, LocatorsTakeTheKeyColumnsAndIdentifyWhatTheyName) {
  test_support::TempFolder store("kestrel_locator");
  MakeDatabase(store.Path("plant.db3"), R"(
CREATE TABLE part (site TEXT, code INTEGER, name TEXT, PRIMARY KEY (code, site));
INSERT INTO part VALUES ('north', 7, 'valve'), ('007', 8, 'text key');
CREATE TABLE loose (label TEXT);
INSERT INTO loose VALUES ('first');
)");
  auto session = OpenStore(store.Path());
  auto locator = session->Locator("plant", "part");
  auto parameters = Items(*locator->Parameters());
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0]->Name(), "code");
  EXPECT_EQ(parameters[1]->Name(), "site");
  EXPECT_EQ(parameters[0]->ClassName(), "part");
  EXPECT_EQ(locator->Identify(0), "");  // no values yet
  parameters[0]->SetValue(Variant(int32_t{7}));
  parameters[1]->SetValue(Variant("north"));
  EXPECT_EQ(locator->Identify(0), "plant:part:code=7,site=north");
  parameters[0]->SetValue(Variant("8"));
  parameters[1]->SetValue(Variant("007"));  // stays text: "007" is not "7"
  EXPECT_EQ(locator->Identify(0), "plant:part:code=8,site=007");
  parameters[1]->SetValue(Variant("7"));
  EXPECT_EQ(locator->Identify(0), "");

  auto loose = session->Locator("plant", "loose");
  EXPECT_EQ(Names(*loose->Parameters()), std::vector<std::string>{"rowid"});
  Items(*loose->Parameters())[0]->SetValue(Variant(int32_t{1}));
  EXPECT_EQ(loose->Identify(0), "plant:loose:rowid=1");

  auto root = session->Locator("plant", "Database");
  Items(*root->Parameters())[0]->SetValue(Variant("plant"));
  EXPECT_EQ(root->Identify(0), "plant:Database:Name=plant");
  Items(*root->Parameters())[0]->SetValue(Variant("other"));
  EXPECT_EQ(root->Identify(0), "");
  EXPECT_NE(ErrorOf([&] { session->Locator("plant", "nothing"); }), "");
  EXPECT_NE(ErrorOf([&] { session->Locator("nothing", "part"); }), "");
}

// A value is read up to MaxDataFileBytes; a longer one fails its read with the limit named.
TEST(KestrelValues, AValuePastMaxDataFileBytesFailsWithTheLimitNamed) {
  test_support::TempFolder store("kestrel_long_value");
  MakeDatabase(store.Path("notes.db"), R"(
CREATE TABLE note (id INTEGER PRIMARY KEY, body TEXT);
INSERT INTO note VALUES (1, printf('%.*c', 1000, 'x')), (2, printf('%.*c', 1001, 'y'));
)");
  platform::ClearInitParametersForTesting();
  platform::BindInitParameter(platform::kMaxDataFileBytesKey, "1000");
  auto session = OpenStore(store.Path());
  std::shared_ptr<kestrel::Artifact> fits;
  EXPECT_EQ(ErrorOf([&] { fits = session->ArtifactById("notes:note:id=1"); }), "");
  ASSERT_TRUE(fits);
  EXPECT_EQ(ValueOf(*fits, "body").ChangeToString(), std::string(1000, 'x'));
  const std::string error = ErrorOf([&] {
    auto past = session->ArtifactById("notes:note:id=2");
    if (past) ValueOf(*past, "body");
  });
  platform::ClearInitParametersForTesting();
  EXPECT_EQ(error, store.Path("notes.db") +
                       ": string or blob too big (a value of more than MaxDataFileBytes (1000))");
}

}  // namespace
