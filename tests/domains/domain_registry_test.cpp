// The registry's lookups, its lifecycle and the start-up search for schema and extension files.
#include "domains/domain_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "domains/domain_loader.h"
#include "model/domain_lookup.h"
#include "model/quire_standard_domain.h"
#include "model/undefined_domain.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

namespace {

class NamedDomain : public QuireStandardDomain {
 public:
  NamedDomain(const std::string& name, const std::string& alias = "", const std::string& aka = "")
      : QuireStandardDomain(name) {
    setAlias(alias);
    setAka(aka);
  }
  void loadSchema(QuireStatus&) override {}
};

class DomainRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    registry().deleteAllDomains();
  }
  void TearDown() override {
    registry().deleteAllDomains();
    InstalledDomainReaders() = DomainReaders{};
    ResetDomainLoadingForTesting();
  }
  static DomainRegistry& registry() { return DomainRegistry::instance(); }
  QuireAbstractDomain& add(const std::string& name, const std::string& alias = "",
                           const std::string& aka = "") {
    return registry().registerDomain(std::make_unique<NamedDomain>(name, alias, aka));
  }
};

TEST_F(DomainRegistryTest, FindsByNameAliasAndAkaInRegistrationOrder) {
  QuireAbstractDomain& first = add("Projects", "Proj", "P");
  QuireAbstractDomain& second = add("Other", "P");
  for (const char* name : {"Projects", "Proj", "P"}) {
    QuireStatus status;
    EXPECT_EQ(&registry().getDomain(status, name), &first) << name;
    EXPECT_TRUE(status.IsOk());
  }
  QuireStatus status;
  EXPECT_EQ(&registry().getDomain(status, "Other"), &second);
}

// The model finds its domains through the registry.
TEST_F(DomainRegistryTest, UnixIsFileSysAndCaseMatters) {
  QuireAbstractDomain& files = add("FileSys");
  QuireStatus status;
  EXPECT_EQ(&FindDomain(status, "Unix"), &files);
  EXPECT_TRUE(status.IsOk());

  QuireAbstractDomain& missed = registry().getDomain(status, "filesys");
  EXPECT_TRUE(IsUndefinedDomain(missed));
  EXPECT_EQ(status, QuireStatus(kEvaluationError, "Not defined: filesys"));
}

TEST_F(DomainRegistryTest, RefreshVisitsDomainsInOrderAndCleanAndRemoveIgnoreCase) {
  add("FileSys");
  add("B");
  EXPECT_EQ(test_support::CapturedStderr([] {
              registry().refreshAllDomains();
              registry().cleanDomainNamed("filesys");
            }),
            "QuireAbstractDomain: In default refresh for domain FileSys\n"
            "QuireAbstractDomain: In default refresh for domain B\n"
            "QuireAbstractDomain: In default clean for domain FileSys\n");
  registry().removeDomainNamed("FILESYS");
  EXPECT_FALSE(registry().hasDomainNamed("FileSys"));
}

TEST_F(DomainRegistryTest, UndefinedIsNeverRegisteredAndIsMadeAfreshAfterDeletion) {
  QuireAbstractDomain& undefined = add("Undefined");
  EXPECT_TRUE(IsUndefinedDomain(undefined));
  EXPECT_TRUE(registry().domains().empty());

  add("A");
  registry().deleteAllDomains();
  registry().deleteAllDomains();
  EXPECT_TRUE(registry().domains().empty());
  QuireStatus status;
  QuireAbstractDomain& fresh = registry().getDomain(status, "A");
  EXPECT_TRUE(IsUndefinedDomain(fresh));
  EXPECT_EQ(fresh.name(), "Undefined");
}

// A retired domain is out of the list but stays usable until every domain is deleted.
TEST_F(DomainRegistryTest, ARetiredDomainLivesOnUnlistedUntilEveryDomainIsDeleted) {
  class Watched : public NamedDomain {
   public:
    Watched(bool& destroyed) : NamedDomain("Watched"), destroyed_(destroyed) {}
    ~Watched() override { destroyed_ = true; }

   private:
    bool& destroyed_;
  };
  bool destroyed = false;
  QuireAbstractDomain& retired = registry().registerDomain(std::make_unique<Watched>(destroyed));
  const QuireClass cls = retired.addClass("Kept");
  registry().retireDomain(retired);
  QuireStatus status;
  EXPECT_TRUE(IsUndefinedDomain(registry().getDomain(status, "Watched")));
  EXPECT_TRUE(registry().domains().empty());
  // A new domain of the same name takes its place.
  QuireAbstractDomain& successor = add("Watched");
  status = QuireStatus();
  EXPECT_EQ(&registry().getDomain(status, "Watched"), &successor);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(cls.name(), "Kept");
  EXPECT_EQ(&cls.domain(), &retired);
  registry().deleteAllDomains();
  EXPECT_TRUE(destroyed);
}

// An installation in a temporary folder, named by the home setting, with a HOME of its own.
class DomainLoadingTest : public DomainRegistryTest {
 protected:
  void SetUp() override {
    DomainRegistryTest::SetUp();
    root_.MakeFolder("install/domains");
    root_.MakeFolder("home/fminit");
    ResetDomainLoadingForTesting();
  }
  test_support::TempFolder root_{"domains_test"};
  test_support::ScopedVariable home_{"VISTAFOLD_HOME", root_.Path("install")};
  test_support::ScopedVariable userHome_{"HOME", root_.Path("home")};
};

TEST_F(DomainLoadingTest, SchemaFilesOfRegisteredDomainsAreSkippedAndFailuresCollected) {
  root_.Write("install/domains/filesys.DOM", "");
  root_.Write("install/domains/Remote.dom", "");
  root_.Write("install/domains/notes.txt", "");
  std::vector<std::string> read;
  InstalledDomainReaders().schemaFile = [&](const std::string& file, QuireStatus& status) {
    read.push_back(file);
    status = QuireStatus(kSyntaxError, "line 3: class expected");
    return false;
  };
  std::vector<QuireStatus> failures;
  loadDomains(failures);
  loadDomains(failures);  // once per process

  EXPECT_TRUE(registry().hasDomainNamed("FileSys"));
  ASSERT_EQ(read, std::vector<std::string>{root_.Path("install/domains/Remote.dom")});
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].Kind(), kProcessingError);
  EXPECT_EQ(failures[0].Message(), "The domain schema " + root_.Path("install/domains/Remote.dom") +
                                       " could not be read: line 3: class expected");
}

TEST_F(DomainLoadingTest, AfterEveryDomainIsDeletedTheNextStartLoadsThemAgain) {
  root_.Write("install/domains/Remote.dom", "");
  root_.Write("install/domains/DOMAIN.EXT", "");
  int schemaReads = 0;
  int extensionReads = 0;
  InstalledDomainReaders().schemaFile = [&](const std::string&, QuireStatus&) {
    ++schemaReads;
    return true;
  };
  InstalledDomainReaders().extensionFile = [&](const std::string&, QuireStatus&) {
    ++extensionReads;
    return true;
  };
  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE(start);
    std::vector<QuireStatus> failures;
    QuireStatus status;
    loadDomains(failures);
    loadDomainExtensions(status);
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(status.IsOk());
    EXPECT_TRUE(registry().hasDomainNamed("FileSys"));
    EXPECT_EQ(schemaReads, start);
    EXPECT_EQ(extensionReads, start);
    registry().deleteAllDomains();  // the agent's close
    EXPECT_FALSE(registry().hasDomainNamed("FileSys"));
  }
}

// The extension file under the user's home hides the installed one; a reader's failure names the
// file that failed; no file anywhere is no error.
TEST_F(DomainLoadingTest, TheExtensionFileIsLookedForUnderHomeThenInTheInstallation) {
  root_.Write("home/fminit/Domain.Ext", "");
  root_.Write("install/domains/domain.ext", "");
  std::string parsed;
  InstalledDomainReaders().extensionFile = [&](const std::string& file, QuireStatus& status) {
    parsed = file;
    if (file.ends_with("domain.ext")) status = QuireStatus(kSyntaxError, "unknown keyword");
    return status.IsOk();
  };
  QuireStatus status;
  loadDomainExtensions(status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(parsed, root_.Path("home/fminit/Domain.Ext"));

  std::filesystem::remove_all(root_.Path("home/fminit"));
  readDomainExtensionsAgain(status);
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(status.Message(), "The domain extension file " +
                                  root_.Path("install/domains/domain.ext") +
                                  " has an error: unknown keyword");

  std::filesystem::remove_all(root_.Path("install/domains"));
  parsed.clear();
  readDomainExtensionsAgain(status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(parsed, "");
}

}  // namespace
