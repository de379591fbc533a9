// The template check over a data source whose rows cannot be read: the schema alone settles every
// name, so the check passes a sound template and names the fault of a faulty one, while
// generating the same template fails on the rows.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "agent/agent_start.h"
#include "agent/domain_loading.h"
#include "document_request.h"
#include "domains/domain_registry.h"
#include "generate/template_check.h"
#include "platform/dom/dom_document.h"
#include "test_support.h"
#include "tests/kestrel/kestrel_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPlant = R"(
CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT);
CREATE TABLE module (id INTEGER PRIMARY KEY, name TEXT, status TEXT, grade TEXT,
  site INTEGER REFERENCES site(id), parent INTEGER REFERENCES module(id));
INSERT INTO site VALUES (1, 'north'), (2, 'south');
INSERT INTO module VALUES (1, 'root', 'open', 'b', 1, NULL), (2, 'pump', 'open', 'a', 1, 1);
)";

// A database whose schema (the first page) reads and whose table pages do not.
void MakeDatabaseWithUnreadableRows(const fs::path& path) {
  constexpr size_t kPageSize = 4096;
  kestrel_test::MakeDatabase(path,
                             "PRAGMA page_size = " + std::to_string(kPageSize) + ";" + kPlant);
  const auto size = fs::file_size(path);
  ASSERT_GT(size, kPageSize);
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(file, nullptr);
  std::fseek(file, kPageSize, SEEK_SET);
  const std::vector<char> garbage(size - kPageSize, '\x7f');
  std::fwrite(garbage.data(), 1, garbage.size(), file);
  std::fclose(file);

  // The rows are gone for good: selecting them fails.
  sqlite3* database = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &database), SQLITE_OK);
  EXPECT_NE(sqlite3_exec(database, "SELECT * FROM module", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(database);
}

std::string Template(const std::string& displayed) {
  return "<html><head><title>Plant</title></head><body>"
         "<span QuireQuery=\"C:p:plant:Database:Name=plant\">x</span>"
         "<span QuireQuery=\"M:all\"><span QuireQuery=\"R:m:plant:module:p:plant:Database:"
         "N=module:==A:plant:module::status:Sopen::A:plant:module::grade,R:plant:module::name\">"
         "<p><span QuireQuery=\"F:m:plant:module::" +
         displayed + ":SAA:\">name</span></p></span></span></body></html>";
}

class TemplateCheckDataSourceTest : public test_support::DocumentRequestTest {
 protected:
  void SetUp() override {
    DocumentRequestTest::SetUp();
    fs::create_directories(store_);
    MakeDatabaseWithUnreadableRows(store_ / "plant.db");
    extraParameters_ = {{"KESTREL_STORE", store_}};
    BindInitParameters();
  }

  std::vector<std::string> Check(const std::string& templateText) {
    std::string reason;
    EXPECT_TRUE(LoadHostResourceModule(reason)) << reason;
    std::vector<std::string> lines;
    log_ = test_support::CapturedStderr([&] {
      RegisterDataSourceStore();
      FillDomainRegistry();
      const auto document = platform::DomDocument::Create();
      EXPECT_TRUE(document->loadXML(templateText));
      for (const TemplateProblem& problem : CheckTemplate(*document))
        lines.push_back(ProblemLine(problem));
      DomainRegistry::instance().deleteAllDomains();
    });
    UnloadHostResourceModule();
    BindInitParameters();
    return lines;
  }

  fs::path store_ = root_ / "store";
};

TEST_F(TemplateCheckDataSourceTest, ChecksFromTheSchemaWithoutReadingRows) {
  EXPECT_TRUE(Check(Template("name")).empty()) << log_;
  const std::vector<std::string> lines = Check(Template("nmae"));
  ASSERT_EQ(lines.size(), 1u) << log_;
  EXPECT_EQ(lines[0].rfind("command 4 near \"name\" | F:m:plant:module::nmae:SAA: | ", 0), 0u)
      << lines[0];
  EXPECT_NE(lines[0].find("class module has no attribute \"nmae\"; closest: name"),
            std::string::npos)
      << lines[0];

  // Generating the sound template needs the rows, and fails.
  const fs::path document = root_ / "page.htm";
  test_support::WriteFile(document, Template("name"));
  test_support::WriteParameterFile(user_, "FILE_NAME=" + document.string() +
                                              "\nARTIFACT_LOCATOR=plant:Database:Name=plant"
                                              "\nTEMPLATE_ID=plant\n");
  EXPECT_EQ(Generate(), 0) << log_;
}

}  // namespace
