// OPEN of a class that a remote domain only learns by reloading its schema for the opened value:
// the class comes from the domain registered under the name after the reload.
#include <gtest/gtest.h>

#include "commands/connector.h"
#include "commands/quire_binding.h"
#include "domains/domain_library_table.h"
#include "domains/domain_loader.h"
#include "domains/domain_registry.h"
#include "domains/remote_object.h"
#include "model/domain_lookup.h"
#include "platform/config.h"
#include "tests/common/orchard_domain.h"
#include "tests/common/test_support.h"

namespace {

class RemoteConnectorTest : public ::testing::Test {
 protected:
  // The other tests of this program keep their domains registered for the whole run: only the
  // orchard domains are taken out again (a retired one stays parked until the process ends).
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    platform::ClearInitParametersForTesting();
    DomainLibraryTable::instance().ForgetForTesting();
    SetDomainFinder(&getDomain);
  }
  void TearDown() override {
    while (DomainRegistry::instance().hasDomainNamed("Orchard")) {
      DomainRegistry::instance().removeDomainNamed("Orchard");
    }
    DomainLibraryTable::instance().ForgetForTesting();
    InstalledDomainReaders() = DomainReaders{};
  }

  orchard::Installation installation_;
};

TEST_F(RemoteConnectorTest, AClassLearnedFromANewSchemaIsTakenFromTheNewDomain) {
  QuireAbstractDomain& old = orchard::RegisterDomain();
  int reads = 0;
  InstalledDomainReaders().schemaFile = [&reads](const std::string&, QuireStatus&) {
    ++reads;
    orchard::RegisterDomain("Orchard", "Pear");
    return true;
  };

  QuireStatus status;
  const Connector connector("C:p:Orchard:Pear:Label=^SPear", status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(orchard::Received(), "#GetSchema# Pear\n");
  const QuireClass& pear = connector.getClass();
  EXPECT_EQ(pear.name(), "Pear");
  EXPECT_NE(&pear.domain(), &old);
  EXPECT_EQ(&pear.domain(), &getDomain(status, "Orchard"));

  // The object is made by the new domain.
  const QuireObjectList opened = connector.evaluate(status, QuireBindingList());
  ASSERT_TRUE(status.IsOk()) << status.Text();
  ASSERT_EQ(opened.size(), 1u);
  ASSERT_NE(opened[0].as<QuireRemoteObject>(), nullptr);
  EXPECT_EQ(opened[0].as<QuireRemoteObject>()->identifier(), "F3");
  EXPECT_EQ(orchard::Received(), "#Construct# Pear Pear\n#GetClass# F3 Pear\n");
}

// A schema that still lacks the class leaves the OPEN without one.
TEST_F(RemoteConnectorTest, AClassThatTheNewSchemaLacksIsNotDefined) {
  orchard::RegisterDomain();
  InstalledDomainReaders().schemaFile = [](const std::string&, QuireStatus&) {
    orchard::RegisterDomain();
    return true;
  };
  QuireStatus status;
  const Connector connector("C:p:Orchard:Pear:Label=^SPear", status);
  EXPECT_EQ(status, QuireStatus(kEvaluationError, host_message::kNotDefined, "Pear"));
  EXPECT_EQ(orchard::Received(), "#GetSchema# Pear\n");
}

}  // namespace
