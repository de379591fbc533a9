// A registry with the file-system domain for the extension-language tests, and a parse of an
// extension text that keeps its trace and its messages.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/extension_reader.h"
#include "domains/file_sys_domain.h"
#include "model/domain_lookup.h"
#include "model/quire_attribute.h"
#include "model/quire_object.h"
#include "tests/common/test_support.h"

namespace extension_test {

struct Parsed {
  int result = -1;
  QuireStatus status;
  std::string trace;
  std::string diagnostics;
};

class ExtensionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    DomainRegistry::instance().deleteAllDomains();
    DomainRegistry::instance().registerDomain(std::make_unique<FileSysDomain>());
    SetDomainFinder(&getDomain);
  }
  void TearDown() override { DomainRegistry::instance().deleteAllDomains(); }

  // Parses `text` with the test folder as the script folder.
  Parsed Parse(const std::string& text) {
    Parsed parsed;
    std::ostringstream trace, diagnostics, unknown;
    ExtensionSettings settings;
    settings.scriptFolder = folder_.Path();
    settings.trace = &trace;
    settings.diagnostics = &diagnostics;
    parsed.result = ParseDomainExtensions(text, parsed.status, settings, unknown);
    parsed.trace = trace.str();
    parsed.diagnostics = diagnostics.str();
    return parsed;
  }

  static FileSysDomain& fileSys() {
    QuireStatus status;
    return dynamic_cast<FileSysDomain&>(getDomain(status, "FileSys"));
  }
  static QuireClass Class(const std::string& name) {
    QuireStatus status;
    return fileSys().findClass(name, status);
  }
  static QuireObject Open(const std::string& className, const std::string& path) {
    QuireStatus status;
    QuireObject object = fileSys().openNamed(Class(className), path, status);
    EXPECT_TRUE(status.IsOk()) << path << ": " << status.Text();
    return object;
  }
  // The value of an attribute of `object` as text; the status goes to `status` when given.
  static std::string Read(const QuireObject& object, const std::string& name,
                          QuireStatus* status = nullptr) {
    QuireStatus own;
    QuireStatus& used = status != nullptr ? *status : own;
    const QuireAttribute& attribute = object.getClass(used).findAttribute(name, used);
    if (!used.IsOk()) return "<no attribute " + name + ">";
    const QuireAttributeValue value = object.getAttributeValue(attribute, used);
    if (status == nullptr) {
      EXPECT_TRUE(used.IsOk()) << name << ": " << used.Text();
    }
    return value.displayText();
  }
  // The objects of an n-ary relationship, by simple name.
  static std::vector<std::string> Related(const QuireObject& object, const std::string& name,
                                          QuireStatus* status = nullptr) {
    QuireStatus own;
    QuireStatus& used = status != nullptr ? *status : own;
    const QuireRelationship& relationship =
        object.getClass(used).findRelationship(name, QuireRelationship::kNary, used);
    std::vector<std::string> names;
    if (!used.IsOk()) return {"<no relationship " + name + ">"};
    for (const QuireObject& related : object.getNaryRelatedObjects(relationship, used)) {
      QuireStatus classStatus;
      names.push_back(related.getClass(classStatus).name() + ":" + Read(related, "SimpleName"));
    }
    if (status == nullptr) {
      EXPECT_TRUE(used.IsOk()) << name << ": " << used.Text();
    }
    return names;
  }
  // Writes an executable script into the test folder.
  std::string Script(const std::string& name, const std::string& body) {
    const std::string path = folder_.Write(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

  test_support::TempFolder folder_{"extension"};
};

}  // namespace extension_test
