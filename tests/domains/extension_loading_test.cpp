// DOMAIN.EXT read at start-up by the domain loader: a broken file is reported with its path and
// the line of its error while the classes made before the error stay and the rest works; and a
// subclass of a data-source class is refused.
#include <gtest/gtest.h>

#include "domains/domain_loader.h"
#include "domains/kestrel_domain_loading.h"
#include "domains/kestrel_session_access.h"
#include "extension_test_support.h"
#include "kestrel/session_registration.h"
#include "platform/com_factory.h"
#include "platform/config.h"
#include "platform/log.h"
#include "tests/kestrel/kestrel_test_support.h"

namespace {

using extension_test::ExtensionTest;
using extension_test::Parsed;

class ExtensionLoadingTest : public ExtensionTest {
 protected:
  void SetUp() override {
    ExtensionTest::SetUp();
    setenv("VISTAFOLD_REGISTRY_FILE", folder_.Path("no-registry.ini").c_str(), 1);
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("VISTAFOLD_HOME", folder_.MakeFolder("install"));
    platform::BindInitParameter("HOME", folder_.MakeFolder("home"));
    DomainRegistry::instance().deleteAllDomains();
    ResetDomainLoadingForTesting();
    InstalledDomainReaders() = DomainReaders{};
    InstalledDomainReaders().dataSources = [](std::vector<QuireStatus>&) {};
  }
  void TearDown() override {
    InstalledDomainReaders() = DomainReaders{};
    ResetDomainLoadingForTesting();
    ReleaseKestrelSession();
    platform::ComFactory::Unregister(kestrel::kSessionProgId);
    platform::ClearInitParametersForTesting();
    unsetenv("VISTAFOLD_REGISTRY_FILE");
    ExtensionTest::TearDown();
  }
};

TEST_F(ExtensionLoadingTest, ABrokenFileNamesItsPathAndLineAndKeepsTheClassesBeforeTheError) {
  const std::string path = folder_.Write("install/domains/DOMAIN.EXT",
                                         "CLASS Early FileSys.File\n"
                                         "  CRITERIA \"*.txt\"\n"
                                         "END_CLASS\n"
                                         "CLASS Late FileSys.File\n"
                                         "  CONSTRUCTOR make.sh\n"
                                         "END_CLASS\n");
  const test_support::ScopedVariable defaultLevel("debugLevel", "1");
  platform::ResetLogThresholdForTesting();
  std::vector<QuireStatus> failures;
  QuireStatus status;
  testing::internal::CaptureStdout();
  const std::string log = test_support::CapturedStderr([&] {
    loadDomains(failures);
    loadDomainExtensions(status);
  });
  const std::string trace = testing::internal::GetCapturedStdout();
  platform::ResetLogThresholdForTesting();
  EXPECT_NE(log.find("syntax error Line number : 5\n"), std::string::npos) << log;
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(status.Message(),
            "The domain extension file " + path + " has an error: syntax error Line number : 5");
  EXPECT_NE(trace.find("make_subclass Early\n"), std::string::npos) << trace;
  EXPECT_FALSE(Class("Early").isUndefined());
  EXPECT_TRUE(Class("Late").isUndefined());
  // The rest of the domain works.
  const std::string file = folder_.Write("install/readme.txt", "hello");
  EXPECT_EQ(Read(Open("File", file), "Text"), "hello");
  EXPECT_EQ(Read(Open("Early", file), "SimpleName"), "readme.txt");
}

TEST_F(ExtensionLoadingTest, ASubclassOfADataSourceClassIsRefused) {
  folder_.MakeFolder("store");
  kestrel_test::MakeDatabase(folder_.Path("store/plant.db"),
                             "CREATE TABLE module (id INTEGER PRIMARY KEY, name TEXT);");
  kestrel::RegisterSession(folder_.Path("store"));
  test_support::CapturedStderr([] { LoadKestrelDomains(); });
  const Parsed refused = Parse("CLASS Parts plant.module\nCRITERIA \"*\"\nEND_CLASS\n");
  EXPECT_EQ(refused.result, 0);
  EXPECT_EQ(refused.diagnostics, "Domain plant is not a File System or Unix domain\n");
  EXPECT_EQ(refused.status.Kind(), kProcessingError);
  EXPECT_EQ(refused.status.Message(),
            "Subclasses can be defined only in the file-system domain, not in plant.");
  // Its classes can still be extended.
  const Parsed extended =
      Parse("EXISTING_CLASS plant.module\nATTRIBUTE Echoed echo %@%name\nEND_CLASS\n");
  EXPECT_TRUE(extended.status.IsOk()) << extended.status.Text() << extended.diagnostics;
  QuireStatus status;
  const QuireClass module = getDomain(status, "plant").findClass("module", status);
  EXPECT_TRUE(module.findAttribute("Echoed", status).isScript());
}

}  // namespace
