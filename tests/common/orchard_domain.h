// The "Orchard" remote domain for tests: a temporary installation holding the orchard domain
// library, and the domain's schema built in code as the schema reader would build it.
//
//   Tree   connector {Site STRING, Row NUMBER}, constructor {Name STRING},
//          constructor2 {Number NUMBER}; attributes Name, Height NUMBER, Bearing BOOLEAN,
//          Notes STRING (word "NotesFormattedText"), Withered STRING (the library fails it),
//          graphics Picture, Sketch, Blank, Smudge, Lost; nary Fruits, Harvest, Mixed -> Fruit
//   Fruit  constructor {Label STRING, Weight NUMBER}; attribute Label; unary Planted, Grafted,
//          Stray, Misfit -> Tree
//   Apple  subclass of Fruit, the same constructor
//
// The library's objects: trees T1 "Old oak" (height 12.5, bearing, number 1, site North row 1),
// T2 "Back\slash tree" (height 3, not bearing, number 2), X1 "Extra" (decomposes into one line
// too many); apples F1 "Red" and F2 "Green" planted by T1, fruit F3 "Pear" planted by T2; G9, of
// a class "Banana" that the domain does not know; Z0, whose class the library leaves empty.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "domains/domain_registry.h"
#include "domains/information_query.h"
#include "domains/remote_domain.h"
#include "model/quire_attribute.h"
#include "model/quire_class.h"
#include "model/quire_relationship.h"
#include "tests/common/test_support.h"

namespace orchard {

// Adds a feature to both lists of its class, as the schema reader does.
inline void AddToBoth(const QuireClass& cls, const QuireAttribute& attribute) {
  cls.attributeList(QuireFeatureList::kFirst).push_back(attribute);
  cls.attributeList(QuireFeatureList::kSecond).push_back(attribute);
}

inline void AddToBoth(const QuireClass& cls, const QuireRelationship& relationship) {
  const bool nary = relationship.kind() == QuireRelationship::kNary;
  for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
    (nary ? cls.naryList(which) : cls.unaryList(which)).push_back(relationship);
  }
}

// An attribute of `cls` asked for by `word`.
inline void Attribute(QuireRemoteDomain& domain, const QuireClass& cls, const std::string& name,
                      int32_t type, const std::string& word) {
  AddToBoth(cls, QuireAttribute(name, type, cls));
  domain.setQueryWord(cls, name, word);
}

inline void Relationship(QuireRemoteDomain& domain, const std::string& name, int32_t kind,
                         const QuireClass& source, const QuireClass& target) {
  AddToBoth(source, QuireRelationship(name, kind, source, target));
  domain.setQueryWord(source, name, name);
}

// The orchard schema in a new domain of that name (not registered). `extraClass`, when given,
// adds one more class with the constructor {Label STRING}.
inline std::unique_ptr<QuireRemoteDomain> MakeDomain(const std::string& name = "Orchard",
                                                     const std::string& extraClass = "") {
  auto domain = std::make_unique<QuireRemoteDomain>(name, "grove");
  const QuireClass tree = domain->addClass("Tree");
  const QuireClass fruit = domain->addClass("Fruit");
  const QuireClass apple = domain->addClass("Apple");
  apple.addSuperclass(fruit);

  tree.connectorArguments() = {QuireAttribute("Site", QuireType::STRING, tree),
                               QuireAttribute("Row", QuireType::NUMBER, tree)};
  tree.constructorArguments() = {QuireAttribute("Name", QuireType::STRING, tree)};
  tree.selectorArguments() = {QuireAttribute("Number", QuireType::NUMBER, tree)};
  for (const QuireClass& cls : {fruit, apple}) {
    cls.constructorArguments() = {QuireAttribute("Label", QuireType::STRING, cls),
                                  QuireAttribute("Weight", QuireType::NUMBER, cls)};
  }

  Attribute(*domain, tree, "Name", QuireType::STRING, "Name");
  Attribute(*domain, tree, "Height", QuireType::NUMBER, "Height");
  Attribute(*domain, tree, "Bearing", QuireType::BOOLEAN, "Bearing");
  Attribute(*domain, tree, "Notes", QuireType::STRING, "NotesFormattedText");
  Attribute(*domain, tree, "Withered", QuireType::STRING, "Withered");
  for (const char* graphic : {"Picture", "Sketch", "Blank", "Smudge", "Lost"}) {
    Attribute(*domain, tree, graphic, QuireType::GRAPHIC, graphic);
  }
  Attribute(*domain, fruit, "Label", QuireType::STRING, "Label");
  for (const char* unary : {"Planted", "Grafted", "Stray", "Misfit"}) {
    Relationship(*domain, unary, QuireRelationship::kUnary, fruit, tree);
  }
  for (const char* nary : {"Fruits", "Harvest", "Mixed"}) {
    Relationship(*domain, nary, QuireRelationship::kNary, tree, fruit);
  }
  // A subclass lists the features it inherits too.
  for (const QuireAttribute& inherited : fruit.attributeList(QuireFeatureList::kFirst)) {
    AddToBoth(apple, inherited);
  }
  for (const QuireRelationship& inherited : fruit.unaryList(QuireFeatureList::kFirst)) {
    AddToBoth(apple, inherited);
  }
  if (!extraClass.empty()) {
    const QuireClass extra = domain->addClass(extraClass);
    extra.constructorArguments() = {QuireAttribute("Label", QuireType::STRING, extra)};
  }
  return domain;
}

// Registers the orchard domain and gives it.
inline QuireRemoteDomain& RegisterDomain(const std::string& name = "Orchard",
                                         const std::string& extraClass = "") {
  return static_cast<QuireRemoteDomain&>(
      DomainRegistry::instance().registerDomain(MakeDomain(name, extraClass)));
}

// A temporary installation whose "domains" folder holds the library as ORCHARD.so, with the
// installation and data folders set for the life of the object.
class Installation {
 public:
  Installation() {
    std::filesystem::create_directories(folder_.Path("home/domains"));
    std::filesystem::create_directories(folder_.Path("data"));
    std::filesystem::copy_file(XMLAGENT_ORCHARD_LIBRARY, folder_.Path("home/domains/ORCHARD.so"));
  }
  std::string Path(const std::string& name = "") const { return folder_.Path(name); }

 private:
  test_support::TempFolder folder_{"orchard"};
  test_support::ScopedVariable home_{"VISTAFOLD_HOME", folder_.Path("home")};
  test_support::ScopedVariable data_{"VISTAFOLD_DATA", folder_.Path("data")};
  // DOMAIN.EXT is searched under HOME first: no file of the machine's own home is read.
  test_support::ScopedVariable userHome_{"HOME", folder_.Path("user")};
};

// The queries that the library received since the last call, one a line.
inline std::string Received(const std::string& domain = "Orchard") {
  QuireStatus status;
  std::string response;
  QuireInformationQuery::makeQuery(domain, "#Log#", response, status);
  if (!status.IsOk()) return "<" + status.Text() + ">";
  // An empty log comes as one empty line.
  return response == "\n" ? std::string() : response;
}

// Tells the library how to answer from now on: "normal", "broken", "empty" or "stranger".
inline void SetMode(const std::string& mode) {
  QuireStatus status;
  std::string response;
  QuireInformationQuery::makeQuery("Orchard", "#Mode# " + mode, response, status);
  Received();
}

}  // namespace orchard
