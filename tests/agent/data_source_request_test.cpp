// Whole requests over data sources: pages generated from a store of SQLite databases through the
// library's entry points (at once and queued), and the ancestors query.
#include <gd.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "agent/agent_entry.h"
#include "document_request.h"
#include "domains/domain_loader.h"
#include "kestrel/kestrel_session.h"
#include "platform/com_factory.h"
#include "platform/config.h"
#include "platform/log.h"
#include "test_support.h"
#include "tests/kestrel/kestrel_test_support.h"

namespace {

namespace fs = std::filesystem;
using kestrel_test::MakeDatabase;
using test_support::ReadFile;
using test_support::WriteFile;

// A plant: modules in a hierarchy (each module's parent), on sites.
constexpr const char* kPlant = R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE module (id INTEGER PRIMARY KEY, name TEXT, status TEXT, grade TEXT,
  site INTEGER REFERENCES site(id), parent INTEGER REFERENCES module(id));
INSERT INTO site VALUES (1, 'north'), (2, 'south');
INSERT INTO module VALUES (1, 'root', 'open', 'b', 1, NULL), (2, 'pump', 'open', 'a', 1, 1),
  (3, 'valve', 'closed', 'a', 2, 1), (4, 'seal', 'open', 'a', 2, 2),
  (5, 'gauge', 'open', 'b', 2, NULL), (6, 'bolt', NULL, 'a', 1, 4), (7, 'valve two', 'closed', 'c', 2, 5);
)";

// A template whose body is `body`, in span elements carrying command texts.
std::string Template(const std::string& body) {
  return "<html><head><title>Plant</title></head><body>" + body + "</body></html>";
}

// The texts of the spans that display `attribute`, in page order.
std::vector<std::string> Shown(const std::string& page, const std::string& field) {
  std::vector<std::string> texts;
  const std::string mark = "QuireQuery=\"" + field + "\">";
  for (size_t at = page.find(mark); at != std::string::npos; at = page.find(mark, at)) {
    at += mark.size();
    texts.push_back(page.substr(at, page.find('<', at) - at));
  }
  return texts;
}

class DataSourceRequestTest : public test_support::DocumentRequestTest {
 protected:
  void SetUp() override {
    DocumentRequestTest::SetUp();
    fs::create_directories(store_);
    MakeDatabase((store_ / "plant.db").string(), kPlant);
    extraParameters_ = {{"KESTREL_STORE", store_}, {"debugLevel", "5"}};
  }

  void Start(const std::string& timeout) {
    timeout_ = timeout;
    BindInitParameters();
  }

  // Generates the template about the artifact; gives the page ("" when none was generated).
  std::string GeneratePage(const std::string& templateText, const std::string& locator,
                           const std::string& timeout = "0") {
    Start(timeout);
    const fs::path document = root_ / "page.htm";
    WriteFile(document, templateText);
    test_support::WriteParameterFile(user_, "FILE_NAME=" + document.string() +
                                                "\nARTIFACT_LOCATOR=" + locator +
                                                "\nTEMPLATE_ID=plant\n");
    return Generate() == 1 ? ReadFile(document) : std::string();
  }

  // The ancestors query through the entry point; gives Output.txt.
  std::string Ancestors(const std::string& locator, const std::string& timeout = "0") {
    Start(timeout);
    test_support::WriteParameterFile(user_, "ARTIFACT_LOCATOR=" + locator + "\n");
    fs::remove(user_ / "generated" / "Output.txt");
    log_ = test_support::CapturedStderr([&] {
      XmlAgentInit();
      XmlAgentGetAncestors();
      XmlAgentClose();
    });
    return ReadFile(user_ / "generated" / "Output.txt");
  }

  fs::path store_ = root_ / "store";
};

constexpr const char* kOpenDatabase = "<span QuireQuery=\"C:p:plant:Database:Name=\">x</span>";

// A REPEAT over the data source's modules with `predicate`, sorted by grade, then by name
// descending, each showing its name.
std::string ModulesWhere(const std::string& predicate) {
  return Template(std::string(kOpenDatabase) +
                  "<span QuireQuery=\"M:all\"><span QuireQuery=\"R:m:plant:module:p:plant:"
                  "Database:N=module:" +
                  predicate +
                  ":A:plant:module::grade,R:plant:module::name\"><p><span "
                  "QuireQuery=\"F:m:plant:module::name:SAA:\">name</span></p></span></span>");
}

TEST_F(DataSourceRequestTest, RepeatWithPredicateAndTwoSortKeysAtOnceAndQueued) {
  const std::string before = ReadFile(store_ / "plant.db");
  // status == "open" OR name like "v?lve": evaluated by the data source.
  const std::string pushed = "O==A:plant:module::status:Sopen:=~A:plant:module::name:Sv?lve:";
  // The same rows through NOT, which the data source cannot take: filtered locally.
  const std::string local = "NA!=A:plant:module::status:Sopen:!~A:plant:module::name:Sv?lve:";
  const std::vector<std::string> expected{"valve", "seal", "pump", "root", "gauge", "valve two"};
  for (const char* timeout : {"0", "8000"}) {
    SCOPED_TRACE(timeout);
    for (const std::string& predicate : {pushed, local}) {
      const std::string page =
          GeneratePage(ModulesWhere(predicate), "plant:Database:Name=plant", timeout);
      ASSERT_FALSE(page.empty()) << log_;
      EXPECT_EQ(Shown(page, "F:m:plant:module::name:SAA:"), expected) << predicate;
      EXPECT_EQ(test_support::Count(log_, "Filter of module evaluated by the data source: 6"),
                predicate == pushed ? 1u : 0u);
    }
  }
  // A text compared with a number column: the data source declines and the page filters.
  const std::string page =
      GeneratePage(ModulesWhere("==A:plant:module::site:S2:"), "plant:Database:Name=plant");
  EXPECT_EQ(Shown(page, "F:m:plant:module::name:SAA:"),
            (std::vector<std::string>{"valve", "seal", "gauge", "valve two"}));
  EXPECT_EQ(test_support::Count(log_, "Filter of module evaluated locally"), 1u);
  // Generation never writes to the database.
  EXPECT_EQ(ReadFile(store_ / "plant.db"), before);
}

TEST_F(DataSourceRequestTest, PlainDatabaseWorksWithATemplateAndNoSetUp) {
  // A row's one-valued relationship and the referenced table's many-valued one.
  const std::string body =
      "<span QuireQuery=\"C:m:plant:module:id=\">x</span>"
      "<p><span QuireQuery=\"F:m:plant:module::name:SAA:\">name</span> on "
      "<span QuireQuery=\"F:m:plant:module:U=site:name:SAA:\">site</span></p>"
      "<span QuireQuery=\"M:all\"><span QuireQuery=\"R:c:plant:module:m:plant:module:N=module:::"
      "A:plant:module::name\"><span QuireQuery=\"F:c:plant:module::name:SAA:\">child</span>"
      "</span></span>"
      // The top row's parent reference is NULL: the LIMIT through it hides its region and the
      // DISPLAY through it shows nothing, and the page still generates.
      "<span QuireQuery=\"S:q:plant:module:m:plant:module:U=parent:\"><p>under "
      "<span QuireQuery=\"F:q:plant:module::name:SAA:\">parent</span></p></span>"
      "<p><span QuireQuery=\"F:m:plant:module:U=parent:name:SAA:\">up</span></p>";
  const std::string page = GeneratePage(Template(body), "plant:module:id=1");
  ASSERT_FALSE(page.empty()) << log_;
  EXPECT_EQ(page.find(">up<"), std::string::npos) << "the placeholder was not replaced";
  EXPECT_TRUE(Shown(page, "F:q:plant:module::name:SAA:").empty());
  const std::string child = GeneratePage(Template(body), "plant:module:id=2");
  EXPECT_EQ(Shown(child, "F:q:plant:module::name:SAA:"), std::vector<std::string>{"root"});
  EXPECT_EQ(Shown(child, "F:m:plant:module:U=parent:name:SAA:"), std::vector<std::string>{"root"});
  EXPECT_EQ(Shown(page, "F:m:plant:module::name:SAA:"), std::vector<std::string>{"root"});
  EXPECT_EQ(Shown(page, "F:m:plant:module:U=site:name:SAA:"), std::vector<std::string>{"north"});
  EXPECT_EQ(Shown(page, "F:c:plant:module::name:SAA:"),
            (std::vector<std::string>{"pump", "valve"}));
}

// A picture column shown in Word's placeholders: each picture comes in the format of the
// placeholder's own picture, at the placeholder's size, or at its natural size without one.
TEST_F(DataSourceRequestTest, PicturesComeInThePlaceholdersFormatAndSize) {
  const std::string hex = kestrel_test::Hex(kestrel_test::MakePng(4, 2));
  MakeDatabase((store_ / "gallery.db").string(),
               "CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, photo BLOB);"
               "INSERT INTO item VALUES (1, 'flag', x'" +
                   hex + "');");
  const auto placeholder = [](const std::string& style, const std::string& picture) {
    return "<p><span QuireQuery=\"F:i:gallery:item::Image:GAA:\"><v:shape id=\"s\" style=\"" +
           style + "\"><v:imagedata src=\"page_files/" + picture + "\"/></v:shape></span></p>";
  };
  const std::string page = GeneratePage(
      "<html xmlns:v=\"urn:schemas-microsoft-com:vml\"><body>"
      "<span QuireQuery=\"C:i:gallery:item:id=\">x</span>" +
          placeholder("width:1in;height:.5in", "image001.jpg") +
          placeholder("position:absolute", "image002.png") + "</body></html>",
      "gallery:item:id=1");
  ASSERT_FALSE(page.empty()) << log_;
  struct Expected {
    std::string name, magic;
    int width, height;
  };
  for (const Expected& expected : {Expected{"newimage001.jpg", "\xFF\xD8\xFF", 96, 48},
                                   Expected{"newimage001.png", "\x89PNG", 4, 2}}) {
    SCOPED_TRACE(expected.name);
    EXPECT_NE(page.find("./page_files/" + expected.name), std::string::npos) << page;
    const std::string bytes = ReadFile(root_ / "page_files" / expected.name);
    ASSERT_TRUE(bytes.starts_with(expected.magic)) << log_;
    gdImagePtr image = kestrel_test::DecodedPicture(bytes);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gdImageSX(image), expected.width);
    EXPECT_EQ(gdImageSY(image), expected.height);
    gdImageDestroy(image);
  }
}

// A store folder that does not exist: no data sources, said once, and no failure.
TEST_F(DataSourceRequestTest, MissingStoreFolderIsSaidOnceAndOtherDomainsServe) {
  fs::remove_all(store_);
  const std::string files =
      GeneratePage(Template("<span QuireQuery=\"C:d:FileSys:Directory:FullName=\">x</span>"),
                   "FileSys:Directory:FullName=" + root_.string());
  EXPECT_FALSE(files.empty()) << log_;
  EXPECT_EQ(test_support::Count(log_, "No data sources: the store folder"), 1u) << log_;
}

TEST_F(DataSourceRequestTest, AncestorsOfNestedTopAndUnknownRowsAtOnceAndQueued) {
  for (const char* timeout : {"0", "8000"}) {
    SCOPED_TRACE(timeout);
    EXPECT_EQ(Ancestors("plant:module:id=6", timeout), "seal:pump:root") << log_;
    EXPECT_EQ(Ancestors("plant:module:id=2", timeout), "root");
    EXPECT_EQ(Ancestors("plant:module:id=1", timeout), "");
    EXPECT_TRUE(fs::exists(user_ / "generated" / "Output.txt"));
    EXPECT_EQ(Ancestors("plant:module:id=99", timeout), "");
    EXPECT_TRUE(fs::exists(user_ / "generated" / "Output.txt"));
  }
  // The request queue serves an ancestors request that comes as a generate request.
  Start("8000");
  test_support::WriteParameterFile(user_,
                                   "FILE_NAME=GetAncestor\nARTIFACT_LOCATOR=plant:module:id=6\n");
  test_support::CapturedStderr([] {
    XmlAgentInit();
    XmlAgentGenerate();
    XmlAgentClose();
  });
  EXPECT_EQ(ReadFile(user_ / "generated" / "Output.txt"), "seal:pump:root");
  // Blanks travel escaped: a row whose key holds one is found.
  MakeDatabase(
      (store_ / "named.db").string(),
      "CREATE TABLE part (code TEXT PRIMARY KEY, name TEXT, up TEXT REFERENCES part(code));"
      "INSERT INTO part VALUES ('a b', 'first', NULL), ('c d', '', 'a b'), ('e', 'e', 'c d');");
  EXPECT_EQ(Ancestors("named:part:code=c d"), "first") << log_;
  // An ancestor whose text is empty keeps its place between the separators.
  EXPECT_EQ(Ancestors("named:part:code=e"), ":first") << log_;
  // An installation without its resource module still answers the portal's tree.
  fs::remove(home_ / "domains" / "Vistafold.rsc");
  platform::ComFactory::Unregister(kestrel::kSessionProgId);  // as in a process never started
  EXPECT_EQ(Ancestors("named:part:code=e"), ":first") << log_;
}

}  // namespace
