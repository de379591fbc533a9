// The data-source domains over real SQLite databases in a temporary store folder: loading,
// alias tables, classes, values, relationships, the query filter, failures and pictures.
#include "domains/kestrel_domain.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "domains/alias_file.h"
#include "domains/domain_registry.h"
#include "domains/kestrel_domain_loading.h"
#include "domains/kestrel_object.h"
#include "domains/kestrel_pictures.h"
#include "domains/kestrel_root_container.h"
#include "domains/kestrel_session_access.h"
#include "domains/kestrel_values.h"
#include "fake_data_source.h"
#include "kestrel/cell.h"
#include "model/domain_lookup.h"
#include "model/picture_request.h"
#include "model/quire_attribute.h"
#include "model/quire_graphic.h"
#include "model/quire_object.h"
#include "platform/com_factory.h"
#include "platform/config.h"
#include "tests/kestrel/kestrel_test_support.h"

namespace {

using kestrel_test::MakeDatabase;

constexpr const char* kPlant = R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT, opened DATE, active BOOLEAN, password TEXT);
CREATE TABLE module (id INTEGER PRIMARY KEY, name TEXT, status TEXT,
  site INTEGER REFERENCES site(id), parent INTEGER REFERENCES module(id));
INSERT INTO site VALUES (1, 'north', '2024-02-29', -1, 'secret'), (2, 'south', NULL, 0, NULL);
INSERT INTO module VALUES (1, 'root', 'open', 1, NULL), (2, 'pump', 'open', 1, 1),
  (3, 'valve', 'closed', 2, 1), (4, 'seal', 'open', 2, 2), (5, 'gauge', 'open', 2, NULL),
  (6, 'bolt', NULL, 1, 4);
)";

constexpr const char* kPlantAliases = R"([plant]
ALIAS=Plant inventory
AKA=inv
[module]
ALIAS=Component
status=State
HIDE.parent
name=Title
AKA.name=Label
[site]
)";

// The names of a class's attributes or relationships.
template <class Feature>
std::vector<std::string> NamesOf(const std::vector<Feature>& features) {
  std::vector<std::string> names;
  for (const Feature& feature : features) names.push_back(feature.name());
  return names;
}

class KestrelDomainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    setenv("VISTAFOLD_REGISTRY_FILE", folder_.Path("no-registry.ini").c_str(), 1);
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("VISTAFOLD_HOME", folder_.Path("home"));
    platform::BindInitParameter("VISTAFOLD_DATA", folder_.Path("data"));
    DomainRegistry::instance().deleteAllDomains();
    SetDomainFinder(&getDomain);  // other tests of this program install their own
    ReleaseKestrelSession();
    ForgetTrackletGetExtraFieldsForTesting();
    folder_.MakeFolder("store");
    folder_.MakeFolder("data");
  }
  void TearDown() override {
    DomainRegistry::instance().deleteAllDomains();
    ReleaseKestrelSession();
    platform::ComFactory::Unregister(kestrel::kSessionProgId);
    platform::ClearInitParametersForTesting();
    unsetenv("VISTAFOLD_REGISTRY_FILE");
  }

  void Aliases(const std::string& dataSource, const std::string& text) {
    folder_.Write("home/domains/kestrel/" + dataSource + ".als", text);
  }
  // Loads the store's data sources; gives what went to the diagnostic stream.
  std::string Load() {
    kestrel::RegisterSession(folder_.Path("store"));
    return test_support::CapturedStderr([] { LoadKestrelDomains(); });
  }
  QuireKestrelDomain* Domain(const std::string& name) {
    QuireStatus status;
    return dynamic_cast<QuireKestrelDomain*>(&DomainRegistry::instance().getDomain(status, name));
  }
  QuireObject Object(const std::string& identifier) {
    QuireStatus status;
    QuireObject object = QuireObject::makeObject(identifier, status);
    EXPECT_TRUE(status.IsOk()) << identifier << ": " << status.Text();
    return object;
  }
  std::string Text(const QuireObject& object, const std::string& attribute) {
    QuireStatus status;
    const QuireAttribute& found = object.getClass(status).findAttribute(attribute, status);
    const QuireAttributeValue value = object.getAttributeValue(found, status);
    EXPECT_TRUE(status.IsOk()) << attribute << ": " << status.Text();
    return value.displayText();
  }
  std::vector<std::string> Names(const QuireObjectList& objects) {
    std::vector<std::string> names;
    for (const QuireObject& object : objects) names.push_back(Text(object, "name"));
    return names;
  }

  test_support::TempFolder folder_{"kestrel_domain"};
};

TEST_F(KestrelDomainTest, EveryDataSourceLoadsExceptTheHiddenAndABrokenFileIsReportedAlone) {
  MakeDatabase(folder_.Path("store/plant.db"), kPlant);
  MakeDatabase(folder_.Path("store/hidden.db"), "CREATE TABLE t (id INTEGER PRIMARY KEY);");
  folder_.Write("store/broken.db", "plain text where a database header should be, long enough");
  Aliases("hidden", "[Hidden]\nHIDE\n");
  const std::string log = Load();
  EXPECT_NE(Domain("plant"), nullptr);
  EXPECT_EQ(Domain("hidden"), nullptr);
  EXPECT_EQ(Domain("broken"), nullptr);
  EXPECT_NE(log.find("Error loading domain broken\nException Message: " +
                     folder_.Path("store/broken.db") + ": file is not a database\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("The data source could not be loaded.\nbroken\n\nFeatures of this domain "
                     "will not be available\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("hidden"), std::string::npos) << log;
  EXPECT_EQ(Domain("plant")->typeText(), "SQLite");
}

TEST_F(KestrelDomainTest, AliasTableNamesOrdersAndHidesClassesAndMembers) {
  MakeDatabase(folder_.Path("store/plant.db"), kPlant);
  Aliases("plant", kPlantAliases);
  Load();
  QuireKestrelDomain* plant = Domain("plant");
  ASSERT_NE(plant, nullptr);
  EXPECT_EQ(plant->alias(), "Plant inventory");
  EXPECT_EQ(plant->aka(), "inv");
  QuireStatus status;
  EXPECT_EQ(&DomainRegistry::instance().getDomain(status, "inv"), plant);
  // Classes named by sections first, in section order, then the others by byte order.
  std::vector<std::string> classes;
  for (const QuireClass& cls : plant->classList()) classes.push_back(cls.name());
  EXPECT_EQ(classes, (std::vector<std::string>{"module", "site", "Database"}));

  const QuireClass module = plant->findClass("Component", status);
  ASSERT_TRUE(status.IsOk());
  EXPECT_EQ(module.name(), "module");
  // Members named in the table first, in file order; the hidden one never made; then by name.
  EXPECT_EQ(NamesOf(module.attributes()),
            (std::vector<std::string>{"status", "name", "id", "site"}));
  EXPECT_EQ(NamesOf(module.unaryRelationships()), std::vector<std::string>{"site"});
  EXPECT_EQ(NamesOf(module.naryRelationships()), std::vector<std::string>{"module"});
  const QuireAttribute& name = module.findAttribute("Title", status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(name.name(), "name");
  EXPECT_EQ(name.displayAka(), "Label");
  EXPECT_EQ(module.findAttribute("State", status).name(), "status");
  // The constructor arguments are the locator's parameters: the primary key.
  EXPECT_EQ(NamesOf(module.constructorArguments()), std::vector<std::string>{"id"});
}

TEST_F(KestrelDomainTest, TypeBeforeItsBaseTypeAndALongSectionThatReadsAsEmpty) {
  MakeDatabase(folder_.Path("store/derived.db"),
               "CREATE TABLE alpha (id INTEGER PRIMARY KEY, extra TEXT);"
               "CREATE TABLE zeta (id INTEGER PRIMARY KEY, name TEXT);"
               "INSERT INTO alpha VALUES (1, 'more'); INSERT INTO zeta VALUES (1, 'z');");
  folder_.Write("store/derived.kestrel",
                "[Table alpha]\nBaseType = zeta\n[Table zeta]\nLocatorColumns = name\n");
  std::string longSection = "[zeta]\nname=Long name\n";
  for (int line = 0; line < 500; ++line) longSection += "filler" + std::to_string(line) + "=x\n";
  Aliases("derived", "[alpha]\nextra=Extra\n" + longSection);
  Load();
  QuireKestrelDomain* derived = Domain("derived");
  ASSERT_NE(derived, nullptr);
  QuireStatus status;
  const QuireClass alpha = derived->findClass("alpha", status);
  const QuireClass zeta = derived->findClass("zeta", status);
  EXPECT_TRUE(alpha.isSubclassOf(zeta));
  // Inherited members are found from the derived class.
  EXPECT_EQ(alpha.findAttribute("name", status).name(), "name");
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(alpha.findAttribute("Extra", status).name(), "extra");
  // The section longer than the read buffer reads as empty: no alias.
  EXPECT_EQ(zeta.findAttribute("name", status).displayAlias(), "name");

  // Located by another column than the key: the reference text names it by that column.
  const QuireObject z = Object("derived:zeta:name=z");
  EXPECT_EQ(z.referenceText(status), "derived:zeta:name=z");

  AliasFile table = AliasFile::AtPath(folder_.Path("home/domains/kestrel/derived.als"));
  EXPECT_EQ(table.sectionNumber("ZETA"), 2);
  EXPECT_EQ(table.value("zeta", "name"), "");
  EXPECT_EQ(table.value("Alpha", "EXTRA"), "Extra");
  EXPECT_EQ(AliasFile::AtPath(folder_.Path("missing.als")).sectionNumber("alpha"), 0);

  // Section names longer than the read buffer: no section has a number, yet each is read.
  std::string manySections;
  for (int section = 0; section < 300; ++section)
    manySections += "[ArtifactTypeNumber" + std::to_string(1000 + section) + "]\nx=y\n";
  folder_.Write("many.als", manySections + "[zeta]\nname=Short name\nHIDE\n");
  AliasFile many = AliasFile::AtPath(folder_.Path("many.als"));
  EXPECT_EQ(many.sectionNumber("zeta"), 0);
  EXPECT_EQ(many.value("zeta", "name"), "Short name");
  EXPECT_TRUE(many.has("zeta", "HIDE"));
}

TEST_F(KestrelDomainTest, ValuesOfDatesBooleansPasswordsAndMissingValues) {
  MakeDatabase(folder_.Path("store/plant.db"), kPlant);
  Load();
  const QuireObject north = Object("plant:site:id=1");
  const QuireObject south = Object("plant:site:id=2");
  ASSERT_FALSE(north.isUndefined());
  EXPECT_EQ(Text(north, "name"), "north");
  EXPECT_EQ(Text(north, "active"), "True");  // stored as -1
  EXPECT_EQ(Text(south, "active"), "False");
  EXPECT_EQ(Text(north, "password"), "****");
  EXPECT_EQ(Text(south, "opened"), "");
  // A date shows the component's text and sorts by its sortable form.
  QuireStatus status;
  const QuireAttribute& opened = north.getClass(status).findAttribute("opened", status);
  const QuireAttributeValue date = north.getAttributeValue(opened, status);
  EXPECT_EQ(date.displayText(), "2024-02-29");
  ASSERT_TRUE(date.secondText().has_value());
  EXPECT_EQ(*date.secondText(), "2024-02-29 00:00:00 Thursday");
  // Before 1899-12-30 a date counts its days back and its time forward: both forms agree.
  for (const auto& [stored, sortable] : std::vector<std::pair<std::string, std::string>>{
           {"1850-06-15 12:00:00", "1850-06-15 12:00:00 Saturday"},
           {"1899-12-29 18:00:00", "1899-12-29 18:00:00 Friday"},
           {"1899-12-30 06:00:00", "1899-12-30 06:00:00 Saturday"}}) {
    const double early = kestrel::ParseDateText(stored).value();
    EXPECT_EQ(VariantText(platform::Variant::Date(early)).text, stored);
    EXPECT_EQ(SortableDate(early), sortable);
  }

  EXPECT_EQ(VariantText(platform::Variant::Int16(-7)).text, "-7");
  EXPECT_EQ(VariantText(platform::Variant(1.5)).text, "1.500000");
  EXPECT_EQ(VariantText(platform::Variant::Byte(65)).text, "A");
  EXPECT_EQ(VariantText(platform::Variant::Null()).text, "");
  EXPECT_EQ(DescribeParameters({{"PassWord", "x"}, {"user", "u"}}), "PassWord='****', user='u'");
  EXPECT_EQ(MaskedParameterValue("PASSWORD", "x"), "****");
  EXPECT_EQ(MaskedParameterValue("Passwords", "x"), "x");
}

TEST_F(KestrelDomainTest, RelationshipsAndTheQueryFilterWithItsLocalFallback) {
  MakeDatabase(folder_.Path("store/plant.db"), kPlant);
  Load();
  QuireKestrelDomain* plant = Domain("plant");
  ASSERT_NE(plant, nullptr);
  QuireStatus status;
  const QuireObject pump = Object("plant:module:id=2");
  const QuireClass module = pump.getClass(status);
  const QuireObject site =
      pump.getUnaryRelatedObject(module.findRelationship("site", 2, status), status);
  EXPECT_EQ(Text(site, "name"), "north");
  EXPECT_TRUE(Object("plant:module:id=1")
                  .getUnaryRelatedObject(module.findRelationship("parent", 2, status), status)
                  .isUndefined());
  EXPECT_EQ(status.Kind(), kNoResult);

  const QuireObject south = Object("plant:site:id=2");
  const QuireRelationship& modules = south.getClass(status).findRelationship("module", 3, status);
  EXPECT_EQ(Names(south.getNaryRelatedObjects(modules, status)),
            (std::vector<std::string>{"valve", "seal", "gauge"}));

  // "status == open" is evaluated by the data source.
  std::unique_ptr<QuireQueryFilter> filter = plant->newQueryFilter();
  ASSERT_TRUE(filter);
  filter->openGroup(0);
  EXPECT_TRUE(
      filter->addCondition(module.findAttribute("status", status), 0, QuireValue("open"), status));
  filter->closeGroup();
  QuireObjectList kept;
  plant->getFilteredNaryRelatedObjects(status, modules, south, *filter, kept);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Names(kept), (std::vector<std::string>{"seal", "gauge"}));
  // Orderings, numbers and empty texts stay with the local filter.
  for (const auto& [op, value] : {std::pair<int, QuireValue>{2, QuireValue("open")},
                                  {0, QuireValue(1.0f)},
                                  {0, QuireValue("")}}) {
    EXPECT_FALSE(plant->newQueryFilter()->addCondition(module.findAttribute("status", status), op,
                                                       value, status));
    EXPECT_EQ(status.Kind(), kNotImplemented);
  }
  // A text compared with a number column is not evaluated by the data source: the caller is
  // told to filter locally.
  std::unique_ptr<QuireQueryFilter> numeric = plant->newQueryFilter();
  EXPECT_TRUE(
      numeric->addCondition(module.findAttribute("site", status), 0, QuireValue("2"), status));
  plant->getFilteredNaryRelatedObjects(status, modules, south, *numeric, kept);
  EXPECT_EQ(status.Kind(), kNotImplemented);
  EXPECT_TRUE(kept.empty());
}

TEST_F(KestrelDomainTest, LocatedArtifactsAreCachedUntilRefreshAndFailuresAreReported) {
  MakeDatabase(folder_.Path("store/plant.db"), kPlant);
  Load();
  QuireKestrelDomain* plant = Domain("plant");
  ASSERT_NE(plant, nullptr);
  Object("plant:module:id=3");
  const size_t cached = plant->cachedLocations();
  EXPECT_GT(cached, 0u);
  Object("plant:module:id=3");
  EXPECT_EQ(plant->cachedLocations(), cached);
  const std::string refreshed = test_support::CapturedStderr([&] { plant->refresh(); });
  EXPECT_EQ(refreshed, "--- Domain refresh: remote domain plant\n");
  EXPECT_EQ(plant->cachedLocations(), 0u);

  QuireStatus status;
  const std::string log = test_support::CapturedStderr(
      [&] { EXPECT_TRUE(QuireObject::makeObject("plant:site:id=99", status).isUndefined()); });
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_NE(status.Message().find("for domain plant\nPlease refer Quire log for details\n"),
            std::string::npos)
      << status.Message();
  EXPECT_NE(log.find("Unable to evaluate OPEN command for domain plant in function "
                     "locateArtifact\nClass name : site\n"),
            std::string::npos)
      << log;

  // Each of the two maps stops growing at its limit.
  MakeDatabase(folder_.Path("store/many.db"),
               "CREATE TABLE row (id INTEGER PRIMARY KEY);"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2100) "
               "INSERT INTO row SELECT i FROM n;");
  ReleaseKestrelSession();
  DomainRegistry::instance().deleteAllDomains();
  Load();
  QuireKestrelDomain* many = Domain("many");
  ASSERT_NE(many, nullptr);
  for (int id = 1; id <= 2100; ++id) Object("many:row:id=" + std::to_string(id));
  EXPECT_EQ(many->cachedLocations(), 2 * QuireKestrelDomain::kCacheLimit);
  EXPECT_EQ(Text(Object("many:row:id=2100"), "id"), "2100");
  plant = Domain("plant");
  ASSERT_NE(plant, nullptr);

  // An artifact of another class than asked for.
  const QuireClass site = plant->findClass("site", status);
  const auto valve = KestrelSession()->ArtifactById("plant:module:id=3");
  const std::string mismatch = test_support::CapturedStderr(
      [&] { EXPECT_TRUE(QuireKestrelObject::makeRemote(status, site, valve).isUndefined()); });
  EXPECT_EQ(status.Kind(), kClassMismatch);
  EXPECT_EQ(mismatch, "*** QuireKestrelObject::makeRemote: " + status.Message() + "\n");

  // By identifier, and back.
  const QuireObject byId = plant->LocateArtifactByID(status, "plant:module:id=4");
  EXPECT_EQ(Text(byId, "name"), "seal");
  EXPECT_EQ(plant->GetObjectID(status, byId), "plant:module:id=4");
  EXPECT_TRUE(plant->LocateArtifactByID(status, "plant:module:id=40").isUndefined());
  EXPECT_FALSE(status.IsOk());
}

TEST_F(KestrelDomainTest, RootContainersOpenFromALocatorThatNamesTheDataSource) {
  MakeDatabase(folder_.Path("store/plant.db"), kPlant);
  Load();
  QuireStatus status;
  EXPECT_TRUE(OpenDataSourceRootContainer("plant:Database:Name=plant", status));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_FALSE(OpenDataSourceRootContainer("plant:Database:Name=", status));
  EXPECT_FALSE(OpenDataSourceRootContainer("nowhere:Database:Name=plant", status));
  test_support::CapturedStderr(
      [&] { EXPECT_FALSE(OpenDataSourceRootContainer("plant:Database:Name=other", status)); });
  EXPECT_EQ(status.Kind(), kEvaluationError);
  const std::pair<const char*, const char*> roots[] = {{"Tracklet", "TLDatabase/Name"},
                                                       {"Needwise", "Project/Path"},
                                                       {"Quill", "Model/Path"},
                                                       {"Trialdesk", "Project/Path"},
                                                       {"plant", "Database/Name"}};
  for (const auto& [source, expected] : roots) {
    std::string cls, key;
    QuireKestrelDomain::RootContainerOf(source, cls, key);
    EXPECT_EQ(cls + "/" + key, expected);
  }
}

PictureRequest Request(const std::string& format, double width = 0, double height = 0,
                       int32_t unit = PictureRequest::kInches, const std::string& path = "") {
  PictureRequest request;
  request.format = format;
  request.width = width;
  request.height = height;
  request.unit = unit;
  request.path = path;
  return request;
}

TEST_F(KestrelDomainTest, PicturesAreExportedInTheAskedFormatAndSize) {
  const std::string png = kestrel_test::MakePng(4, 2);
  MakeDatabase(folder_.Path("store/gallery.db"),
               "CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, photo BLOB);"
               "INSERT INTO item VALUES (1, 'flag', x'" +
                   kestrel_test::Hex(png) + "');");
  folder_.Write("store/gallery.kestrel", "[Table item]\nPictureColumn = photo\n");
  Load();
  SetPictureDocumentName("report");
  const QuireObject flag = Object("gallery:item:id=1");
  QuireStatus status;
  const QuireAttribute& picture = flag.getClass(status).findAttribute("Image", status);
  ASSERT_TRUE(status.IsOk());
  EXPECT_EQ(picture.type(), QuireType::GRAPHIC);
  // Unnamed pictures go to the document's picture folder.
  const std::string folder = folder_.Path("data/temp/gallery/report.images/gallery_item_id_1");
  struct Case {
    std::string request;
    std::string path;
    int32_t format;
    std::string magic;
    int width, height;
  };
  const std::vector<Case> cases = {
      {"", folder + ".png", QuireGraphic::kPng, "\x89PNG", 4, 2},  // no request: png
      {Request("jpg", 1, 0.5).text(), folder + ".jpg", QuireGraphic::kJpg, "\xFF\xD8\xFF", 96, 48},
      {Request("gif", 36, 18, PictureRequest::kPoints).text(), folder + ".gif", QuireGraphic::kGif,
       "GIF8", 48, 24},
      {Request("bmp", 0, 0, PictureRequest::kInches, folder_.Path("chosen.bmp")).text(),
       folder_.Path("chosen.bmp"), QuireGraphic::kBmp, "BM", 4, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    const QuireAttributeValue value = flag.getGraphicAttributeValue(picture, c.request, status);
    ASSERT_TRUE(status.IsOk()) << status.Text();
    ASSERT_NE(value.graphic(), nullptr);
    EXPECT_EQ(value.graphic()->path(), c.path);
    EXPECT_EQ(value.graphic()->format(), c.format);
    const std::string bytes = kestrel_test::ReadFile(c.path);
    EXPECT_TRUE(bytes.starts_with(c.magic));
    gdImagePtr image = kestrel_test::DecodedPicture(bytes);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gdImageSX(image), c.width);
    EXPECT_EQ(gdImageSY(image), c.height);
    gdImageDestroy(image);
  }
  // The picture's own bytes, named without an extension; a plain image name is the file to write.
  const QuireAttributeValue own =
      flag.getGraphicAttributeValue(picture, Request("asis").text(), status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(own.graphic()->path(), folder);
  EXPECT_EQ(own.graphic()->format(), QuireGraphic::kOther);
  EXPECT_EQ(kestrel_test::ReadFile(folder), png);
  const std::string plain = folder_.Path("plain.pic");
  EXPECT_EQ(flag.getGraphicAttributeValue(picture, plain, status).graphic()->path(), plain);
  EXPECT_TRUE(kestrel_test::ReadFile(plain).starts_with("\x89PNG"));
  EXPECT_EQ(PictureExtension("wmf"), "png");  // formats the component cannot write come as png
  SetPictureDocumentName("");
}

// What real databases cannot show: data sources without types, and the locator defaults of the
// "Tracklet" and "Word" data sources.
TEST_F(KestrelDomainTest, DataSourcesWithoutTypesAndTheTrackletLocatorDefaults) {
  platform::ComFactory::Register(kestrel::kSessionProgId,
                                 [] { return std::make_shared<fake_data_source::Session>(); });
  const std::string log = test_support::CapturedStderr([] { LoadKestrelDomains(); });
  EXPECT_NE(log.find("theArtifactTypes is empty, domainHollow\nHollow\n\nFeatures of this domain "
                     "will not be available\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("theArtifactTypes is NULL, domain:Nothing\n"), std::string::npos) << log;
  EXPECT_EQ(Domain("Hollow"), nullptr);
  EXPECT_EQ(Domain("Nothing"), nullptr);
  ASSERT_NE(Domain("Tracklet"), nullptr);

  const auto minimizeSpace = [&] {
    ForgetTrackletGetExtraFieldsForTesting();
    fake_data_source::LastParameterValues().clear();
    Domain("Tracklet")->RefreshDomain();
    QuireStatus status;
    const QuireObject found = QuireObject::makeObject("Tracklet:TLDatabase:Name=db1", status);
    EXPECT_FALSE(found.isUndefined()) << status.Text();
    return fake_data_source::LastParameterValues()["MinimizeSpace"];
  };
  EXPECT_EQ(minimizeSpace(), platform::Variant(false));  // the setting is absent
  platform::BindInitParameter("TrackletGetExtraFields", "FALSE");
  EXPECT_EQ(minimizeSpace(), platform::Variant(true));

  // Word documents are always asked for as HTML.
  QuireStatus status;
  EXPECT_FALSE(QuireObject::makeObject("Word:Document:Name=memo", status).isUndefined());
  EXPECT_EQ(fake_data_source::LastParameterValues()["Format"], platform::Variant("HTML"));
}

}  // namespace
