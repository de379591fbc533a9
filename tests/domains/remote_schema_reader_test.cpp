// The schema files of remote domains: the classes a good file builds, the diagnostics and
// statuses of broken files, and their reading at start-up.
#include "domains/remote_schema_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "domains/domain_loader.h"
#include "domains/domain_registry.h"
#include "domains/remote_domain.h"
#include "model/quire_attribute.h"
#include "model/quire_relationship.h"
#include "model/quire_standard_domain.h"
#include "tests/common/test_support.h"
#include "tests/domains/library_domain.h"

using namespace std::string_literals;

namespace {

class RemoteSchemaReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    registry().deleteAllDomains();
    registry().registerDomain(std::make_unique<LibraryDomain>());
  }
  void TearDown() override {
    registry().deleteAllDomains();
    InstalledDomainReaders() = DomainReaders{};
    ResetDomainLoadingForTesting();
  }
  static DomainRegistry& registry() { return DomainRegistry::instance(); }
  QuireClass libraryItem() {
    QuireStatus status;
    return registry().getDomain(status, "Library").findClass("Item", status);
  }
  // Reads `text` as a schema file; `diagnostics` receives what the reader wrote.
  QuireStatus read(const std::string& text, std::string& diagnostics) {
    const std::string path = folder_.Write("schema.dom", text);
    QuireStatus status;
    bool read = false;
    diagnostics = test_support::CapturedStderr([&] { read = ReadRemoteSchema(path, status); });
    EXPECT_EQ(read, status.IsOk());
    return status;
  }
  QuireRemoteDomain& remote(const std::string& name) {
    QuireStatus status;
    auto* domain = dynamic_cast<QuireRemoteDomain*>(&registry().getDomain(status, name));
    EXPECT_NE(domain, nullptr) << name;
    return *domain;
  }

  test_support::TempFolder folder_{"remote_schema_test"};
};

std::vector<std::string> Names(const std::vector<QuireAttribute>& attributes) {
  std::vector<std::string> names;
  for (const QuireAttribute& attribute : attributes)
    names.push_back(attribute.name() + ":" + std::to_string(attribute.type()));
  return names;
}

std::vector<std::string> Names(const std::vector<QuireRelationship>& relationships) {
  std::vector<std::string> names;
  for (const QuireRelationship& relationship : relationships)
    names.push_back(relationship.name() + "->" + relationship.target().name() + ":" +
                    std::to_string(relationship.kind()));
  return names;
}

using Strings = std::vector<std::string>;

TEST_F(RemoteSchemaReaderTest, GoodSchemaBuildsEveryConstruct) {
  std::string diagnostics;
  const QuireStatus status = read(
      "# Documents served by the docs library\n"
      "domain Docs v2\n"
      "\n"
      "class Folder\r\n"
      "  connector string path\n"
      "  selector Name string\n"
      "  selector Items Docs.Node*\n"
      "end_class\n"
      "class Node Library.Item leaf\n"
      "  constructor2 number index constructor string path number version\n"
      "  connector string string\n"
      "  persistent_id filename\n"
      "  selector Title string title\n"
      "  selector Ready boolean\n"
      "  selector Size number\n"
      "  selector Picture graphic picture\n"
      "  selector Source filename source\n"
      "  selector Parent Docs.Folder parent\n"
      "  selector Children Docs.Node*\n"
      "end_class\n"
      "class Report Docs.Node selector Pages number end_class\n",
      diagnostics);
  ASSERT_TRUE(status.IsOk()) << status.Text() << "\n" << diagnostics;
  EXPECT_EQ(diagnostics, "");

  QuireRemoteDomain& docs = remote("Docs");
  EXPECT_EQ(docs.headerWord(), "v2");
  ASSERT_EQ(docs.classList().size(), 3u);
  const QuireClass folder = docs.classList()[0];
  const QuireClass node = docs.classList()[1];
  const QuireClass report = docs.classList()[2];
  EXPECT_EQ(folder.name() + node.name() + report.name(), "FolderNodeReport");

  // Argument lists, the extra word and the persistent identifier.
  EXPECT_EQ(Names(folder.connectorArguments()), Strings{"path:2"});
  EXPECT_EQ(Names(node.connectorArguments()), Strings{"string:2"});
  EXPECT_EQ(Names(node.constructorArguments()), (Strings{"path:2", "version:1"}));
  EXPECT_EQ(Names(node.selectorArguments()), Strings{"index:1"});
  EXPECT_EQ(node.constructorArguments()[0].getClass(), node);
  EXPECT_EQ(docs.details(node).extraWord, "leaf");
  EXPECT_EQ(docs.details(node).persistentIdType, QuireType::FILENAME);

  // Own members (the "filename" member makes none), reported and in both lists.
  const Strings nodeAttributes{"Title:2", "Ready:0", "Size:1", "Picture:4"};
  EXPECT_EQ(Names(node.attributes()), nodeAttributes);
  EXPECT_EQ(Names(node.unaryRelationships()), Strings{"Parent->Folder:2"});
  EXPECT_EQ(Names(node.naryRelationships()), Strings{"Children->Node:3"});
  EXPECT_EQ(Names(folder.naryRelationships()), Strings{"Items->Node:3"});  // declared later

  // Query words: the declared one, else none (the query begins with an empty word).
  EXPECT_EQ(docs.queryWord(node, "Title"), "title");
  EXPECT_EQ(docs.queryWord(node, "Ready"), "");
  EXPECT_EQ(docs.queryWord(node, "Parent"), "parent");
  EXPECT_EQ(docs.queryWord(node, "Children"), "");

  // Superclasses of this and of another domain; inherited members follow the own ones in the
  // first lists.
  const QuireClass item = libraryItem();
  EXPECT_TRUE(node.isSubclassOf(item));
  EXPECT_TRUE(report.isSubclassOf(node));
  EXPECT_TRUE(report.isSubclassOf(item));
  EXPECT_EQ(Names(report.attributes()), Strings{"Pages:1"});
  Strings inherited{"Pages:1"};
  inherited.insert(inherited.end(), nodeAttributes.begin(), nodeAttributes.end());
  inherited.push_back("Code:2");
  EXPECT_EQ(Names(report.attributeList(QuireFeatureList::kFirst)), inherited);
  EXPECT_EQ(Names(report.naryList(QuireFeatureList::kFirst)), Strings{"Children->Node:3"});
  QuireStatus lookup;
  EXPECT_EQ(report.findAttribute("Code", lookup).getClass(), item);
  EXPECT_TRUE(lookup.IsOk());
}

TEST_F(RemoteSchemaReaderTest, LinesUpToTheLimitAreRead) {
  // 1023 characters, most of them of two bytes, after a byte-order mark and before "\r\n".
  std::string name = "N";
  for (int i = 0; i < 1023 - 10; ++i) name += "\xC3\xA9";
  const std::string line = "domain " + name + " v";  // 1023 characters, 2036 bytes
  ASSERT_EQ(line.size(), 2036u);
  std::string diagnostics;
  EXPECT_TRUE(read("\xEF\xBB\xBF" + line + "\r\n", diagnostics).IsOk()) << diagnostics;
  remote(name);
}

TEST_F(RemoteSchemaReaderTest, CommentLinesAreSkippedWhateverTheirBytes) {
  // windows-1252 text, a zero byte and an over-long line in comments; the line numbers of later
  // messages still count the comment lines.
  std::string diagnostics;
  const std::string comments = "# J\xFCrgen\n#\0\n"s + "#" + std::string(4000, 'x') + "\n";
  const QuireStatus good = read(
      "\xEF\xBB\xBF# by J\xFCrgen\n" + comments + "domain D v\nclass A\nend_class\n" + comments,
      diagnostics);
  ASSERT_TRUE(good.IsOk()) << good.Text() << "\n" << diagnostics;
  EXPECT_EQ(diagnostics, "");
  EXPECT_EQ(remote("D").classList().size(), 1u);
  registry().removeDomainNamed("D");

  // The same byte outside a comment's first character still fails its line.
  const QuireStatus bad = read(comments + "domain D v\n \x23 \xFC\n", diagnostics);
  EXPECT_EQ(bad, QuireStatus(kProcessingError, host_message::kSchemaSyntaxError,
                             "line 5: the line is not UTF-8 text"));
  EXPECT_EQ(diagnostics, "line 5: the line is not UTF-8 text\n");
}

struct BrokenSchema {
  const char* what;
  std::string text;
  std::string diagnostics;
  HostMessageId message;
};

TEST_F(RemoteSchemaReaderTest, BrokenSchemasAreRefusedWithTheirLine) {
  const std::string head = "# comment\ndomain D v\n\n";  // the domain is declared on line 2
  const std::vector<BrokenSchema> cases{
      {"not a schema", "hello\n",
       "line 1: Parse Error: expected domain, saw hello\n"
       "Token kind was 10\n",
       host_message::kSchemaSyntaxError},
      {"class set as the domain name", "domain D.x* v\n",
       "line 1: Parse Error: expected <NAME>, saw D.x*\nToken kind was 12\n",
       host_message::kSchemaSyntaxError},
      {"no type", head + "class A\n selector B\nend_class\n",
       "line 6: Parse Error: expected a type, saw end_class\nToken kind was 4\n",
       host_message::kSchemaSyntaxError},
      {"end of file inside a class", head + "class A\n# the end\n",
       "line 5: Parse Error: expected end_class, saw <EOF>\nToken kind was 0\n",
       host_message::kSchemaSyntaxError},
      {"stray word", head + "class A end_class\nend_class\n",
       "line 5: Parse Error: expected class, saw end_class\nToken kind was 4\n",
       host_message::kSchemaSyntaxError},
      {"class set as a superclass", head + "class A D.B*\nend_class\n",
       "line 4: Parse Error: expected end_class, saw D.B*\nToken kind was 12\n",
       host_message::kSchemaSyntaxError},
      {"reserved word", head + "class <NAME>\nend_class\n",
       "line 4: unknown token <NAME>; use domain_name.class_name to denote a class\n"
       "line 4: Parse Error: expected <NAME>, saw <NAME>\nToken kind was 1\n",
       host_message::kSchemaSyntaxError},
      {"list twice", head + "class A\nconnector string a\nconstructor\n\nconnector number b\n",
       "line 8: the connector list of class A is given twice\n", host_message::kArgumentListTwice},
      {"persistent identifier type", head + "class A\npersistent_id number\nend_class\n",
       "line 5: persistent_id of class A is of type number; it must be string or filename\n",
       host_message::kPersistentIdentifierType},
      {"superclass defined later", head + "class A D.B\nend_class\nclass B\nend_class\n",
       "******* Undefined Class -> [D::B] used as superclass *********\n",
       host_message::kSuperclassBeforeDefinition},
      {"superclass of an unknown domain", head + "class A Nowhere.B\nend_class\n",
       "******* Undefined Class -> [Nowhere::B] used as superclass *********\n",
       host_message::kSuperclassBeforeDefinition},
      {"own superclass", head + "class A D.A\nend_class\n",
       "line 4: class A names itself as its superclass\n", host_message::kSchemaSyntaxError},
      {"class declared twice", head + "class A\nend_class\n#\nclass A\nend_class\n",
       "line 7: class A is declared twice\n", host_message::kSchemaSyntaxError},
      {"unknown targets",
       head + "class A Library.Item\nselector B D.Missing\nselector C Library.None* c\nend_class\n",
       "line 5: unknown result type: D.Missing\nline 6: unknown result type: Library.None\n",
       host_message::kUnknownTargetClass},
      {"zero byte", head + "class A\nend_\0class\n"s,
       "line 5: a zero byte; the file is not a text file\n", host_message::kSchemaSyntaxError},
      {"not UTF-8", head + "class \xC3\x28\n", "line 4: the line is not UTF-8 text\n",
       host_message::kSchemaSyntaxError},
      {"long line", head + std::string(100 * 1024, 'a') + "\nend_class\n",
       "line 4: the line is longer than 1023 characters\n", host_message::kSchemaSyntaxError},
  };
  for (const BrokenSchema& broken : cases) {
    SCOPED_TRACE(broken.what);
    std::string diagnostics;
    // The status names the fault as one of the diagnostic lines does.
    const QuireStatus status = read(broken.text, diagnostics);
    bool named = false;
    for (std::size_t start = 0, end;
         (end = broken.diagnostics.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::string line = broken.diagnostics.substr(start, end - start);
      named = named || status == QuireStatus(kProcessingError, broken.message, line);
    }
    EXPECT_TRUE(named) << status.Message();
    EXPECT_EQ(diagnostics, broken.diagnostics);
    // Nothing of a broken file stays: no domain, no subclass in another domain.
    EXPECT_FALSE(registry().hasDomainNamed("D"));
    EXPECT_TRUE(libraryItem().subclassLinks().empty());
  }
}

TEST_F(RemoteSchemaReaderTest, NamesOfLoadedDomainsAreRefused) {
  const QuireStatus refused(kDuplicateDomain, host_message::kDomainAlreadyRegistered);
  for (const char* name : {"Library", "Undefined"}) {
    SCOPED_TRACE(name);
    std::string diagnostics;
    EXPECT_EQ(read("domain " + std::string(name) + " v\nclass A\nend_class\n", diagnostics),
              refused);
    EXPECT_EQ(diagnostics, "Error creating new domain: " + refused.Text() + "\n");
  }
  EXPECT_EQ(registry().domains().size(), 1u);
}

TEST_F(RemoteSchemaReaderTest, PathsThatAreNoReadableFileAreNotOpened) {
  const std::string pipe = folder_.Path("pipe.dom");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path :
       {folder_.Path("missing.dom"), folder_.MakeFolder("folder.dom"), pipe}) {
    SCOPED_TRACE(path);
    QuireStatus status;
    const std::string diagnostics =
        test_support::CapturedStderr([&] { EXPECT_FALSE(ReadRemoteSchema(path, status)); });
    EXPECT_EQ(status, QuireStatus(kProcessingError, host_message::kFileNotOpened, path));
    EXPECT_EQ(diagnostics, "unable to open " + path + "\n");
  }
}

TEST_F(RemoteSchemaReaderTest, StartUpLoadsGoodSchemasAndReportsBrokenOnes) {
  const std::string home = folder_.MakeFolder("install");
  const test_support::ScopedVariable homeSetting("VISTAFOLD_HOME", home);
  folder_.Write("install/domains/Broken.dom", "domain Broken v\nclass A\n");
  folder_.Write("install/domains/Good.dom", "domain Good v\nclass A\nend_class\n");
  InstalledDomainReaders().dataSources = [](std::vector<QuireStatus>&) {};
  ResetDomainLoadingForTesting();
  std::vector<QuireStatus> failures;
  const std::string diagnostics = test_support::CapturedStderr([&] { loadDomains(failures); });

  EXPECT_TRUE(registry().hasDomainNamed("Good"));
  EXPECT_FALSE(registry().hasDomainNamed("Broken"));
  ASSERT_EQ(failures.size(), 1u);
  const std::string path = home + "/domains/Broken.dom";
  EXPECT_EQ(failures[0],
            QuireStatus(kProcessingError, host_message::kSchemaUnreadable, path,
                        "The domain schema has a syntax error: line 2: Parse Error: expected "
                        "end_class, saw <EOF>"));
  EXPECT_NE(diagnostics.find("line 2: Parse Error: expected end_class, saw <EOF>\n"),
            std::string::npos)
      << diagnostics;
}

}  // namespace
