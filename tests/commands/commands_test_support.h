// Helpers shared by the command tests: a temporary folder, the captured error stream, the
// sample installation's host strings, and "Library", a small in-memory domain with a fixed
// catalogue of shelves, books, novels and authors.
//
// Library schema (every class lists its own features, then the inherited ones, in both lists):
//   Catalog  no arguments (one object);               nary "shelves" -> Shelf
//   Shelf    name STRING, floor NUMBER;               nary "books" -> Book
//            connector and constructor args {name}; selector args {photo GRAPHIC}
//   Book     code STRING (alias "id"), title STRING (alias "Name"), pages NUMBER,
//            available BOOLEAN, file FILENAME, cover GRAPHIC, version STRING, marker WILDCARD;
//            unary "author" (alias "writer") -> Author, unary "shelf" -> Shelf
//            constructor args {code (alias "id")}; selector args {title, file, available}
//   Novel    subclass of Book, adds genre STRING; same argument lists as Book
//   Author   name STRING, born NUMBER; unary "mentor" -> Author (Ada has none: the undefined
//            object); nary "works" -> Book; constructor args {name}; selector args {born}
//
// Catalogue (code, title, pages, available, version, class, author, shelf):
//   B1 "Zebra Tales"    120 T "2.9"  Novel Ada Fiction   (cover "b1.png", genre "Fable")
//   B2 "apple pie"       80 F "2.10" Book  Bea Fiction
//   B3 "Apple Orchard"  300 T "1.0"  Book  Ada Science
//   B4 "Moon"            80 T "2.10" Novel Bea Science   (genre "Space")
// Shelves Fiction (floor 1: B1, B2), Science (floor 2: B3, B4), Empty (floor 3: none).
// Authors Ada (1815, works B1 B3), Bea (1950, works B2 B4, mentor Ada), Cy (1990, none).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/file_sys_domain.h"
#include "foundation/quire_status.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"
#include "model/quire_class.h"
#include "model/quire_domain_object.h"
#include "model/quire_object.h"
#include "model/quire_relationship.h"
#include "model/quire_standard_domain.h"
#include "tests/common/test_support.h"

namespace commands_test {

using test_support::CapturedStderr;
using test_support::LoadSampleHostStrings;
using test_support::TempFolder;

// One object of the catalogue: its class, key and values, and the keys it is related to.
struct LibraryEntry {
  std::string className;
  std::string key;
  std::map<std::string, QuireValue> values;
  std::map<std::string, std::string> unary;
  std::map<std::string, std::vector<std::string>> nary;
};

// An object of the Library domain: a class and the key of its catalogue entry.
class LibraryObject : public QuireDomainObject {
 public:
  LibraryObject(QuireClass cls, std::string key) : class_(cls), key_(std::move(key)) {}
  QuireClass getClass(QuireStatus& status) const override {
    status = QuireStatus();
    return class_;
  }
  std::unique_ptr<QuireDomainObject> clone() const override {
    return std::make_unique<LibraryObject>(*this);
  }
  void display(QuireStatus& status) const override { status = QuireStatus(); }
  // The key as the value of the class's first constructor argument (none for Catalog).
  void getConstructorArguments(QuireArgumentValues& list, bool,
                               QuireStatus& status) const override {
    status = QuireStatus();
    list.clear();
    if (!class_.constructorArguments().empty()) {
      list.emplace_back(class_.constructorArguments()[0], key_);
    }
  }
  const std::string& key() const { return key_; }

 private:
  QuireClass class_;
  std::string key_;
};

class LibraryDomain : public QuireStandardDomain {
 public:
  explicit LibraryDomain(std::string name = "Library") : QuireStandardDomain(std::move(name)) {
    AddEntries();
  }

  void loadSchema(QuireStatus& status) override {
    status = QuireStatus();
    using namespace QuireType;
    QuireClass catalog = addClass("Catalog");
    QuireClass shelf = addClass("Shelf");
    QuireClass book = addClass("Book");
    QuireClass novel = addClass("Novel");
    QuireClass author = addClass("Author");
    novel.addSuperclass(book);

    AddFeatures(catalog, {}, {}, {QuireRelationship("shelves", kNary, catalog, shelf)});

    const QuireAttribute shelfName("name", STRING, shelf);
    AddFeatures(shelf, {shelfName, QuireAttribute("floor", NUMBER, shelf)}, {},
                {QuireRelationship("books", kNary, shelf, book)});
    shelf.connectorArguments() = {shelfName};
    shelf.constructorArguments() = {shelfName};
    shelf.selectorArguments() = {QuireAttribute("photo", GRAPHIC, shelf)};

    QuireAttribute code("code", STRING, book);
    code.setAlias("id");
    QuireAttribute title("title", STRING, book);
    title.setAlias("Name");
    const QuireAttribute file("file", FILENAME, book);
    const QuireAttribute available("available", BOOLEAN, book);
    QuireRelationship writer("author", kUnary, book, author);
    writer.setAlias("writer");
    const std::vector<QuireAttribute> bookAttributes = {code,
                                                        title,
                                                        QuireAttribute("pages", NUMBER, book),
                                                        available,
                                                        file,
                                                        QuireAttribute("cover", GRAPHIC, book),
                                                        QuireAttribute("version", STRING, book),
                                                        QuireAttribute("marker", WILDCARD, book)};
    const std::vector<QuireRelationship> bookUnary = {
        writer, QuireRelationship("shelf", kUnary, book, shelf)};
    AddFeatures(book, bookAttributes, bookUnary, {});
    book.constructorArguments() = {code};
    book.selectorArguments() = {title, file, available};

    AddFeatures(novel, {QuireAttribute("genre", STRING, novel)}, {}, {});
    AddFeatures(novel, bookAttributes, bookUnary, {});
    novel.constructorArguments() = {code};
    novel.selectorArguments() = {title, file, available};

    const QuireAttribute authorName("name", STRING, author);
    AddFeatures(author, {authorName, QuireAttribute("born", NUMBER, author)},
                {QuireRelationship("mentor", kUnary, author, author)},
                {QuireRelationship("works", kNary, author, book)});
    author.constructorArguments() = {authorName};
    author.selectorArguments() = {QuireAttribute("born", NUMBER, author)};
  }

  // The first entry of `cls` (or of a subclass) whose values equal every given value (by
  // attribute name and display text); none: kind 63 and the undefined object. Records the
  // completeness and the values it was asked with.
  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                         QuireStatus& status, int completeness) override {
    status = QuireStatus();
    lastCompleteness = completeness;
    lastValues = values;
    for (const LibraryEntry& entry : entries_) {
      const QuireClass entryClass = classNamed(entry.className);
      if (!entryClass.isSubclassOf(cls)) continue;
      bool matches = true;
      for (const QuireAttributeValue& value : values) {
        auto found = entry.values.find(value.attribute().name());
        matches = matches && found != entry.values.end() &&
                  found->second.displayText() == value.displayText();
      }
      if (matches) return QuireObject(std::make_unique<LibraryObject>(entryClass, entry.key));
    }
    status = QuireStatus(kEvaluationError, "Library: no such object of ", cls.name());
    return QuireObject();
  }

  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    status = QuireStatus();
    const LibraryEntry* entry = EntryOf(local, status);
    if (entry == nullptr) return QuireAttributeValue();
    auto found = entry->values.find(attribute.name());
    if (found == entry->values.end()) return QuireAttributeValue(attribute, QuireValue());
    return QuireAttributeValue(attribute, found->second);
  }
  // The cover's value, whatever the image name.
  QuireAttributeValue getGraphicAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                               const std::string& /*imageName*/,
                                               const QuireObject& local) override {
    ++graphicReads;
    return getAttributeValue(status, attribute, local);
  }
  // The related entry, or the undefined object (with success) when there is none.
  QuireObject getUnaryRelatedObject(QuireStatus& status, const QuireRelationship& relationship,
                                    const QuireObject& local) override {
    status = QuireStatus();
    const LibraryEntry* entry = EntryOf(local, status);
    if (entry == nullptr) return QuireObject();
    auto found = entry->unary.find(relationship.name());
    if (found == entry->unary.end()) return QuireObject();
    return ObjectOf(found->second);
  }
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                             const QuireObject& local, QuireObjectList& result) override {
    status = QuireStatus();
    ++naryReads;
    result.clear();
    const LibraryEntry* entry = EntryOf(local, status);
    if (entry == nullptr) return;
    auto found = entry->nary.find(relationship.name());
    if (found == entry->nary.end()) return;
    for (const std::string& key : found->second) result.push_back(ObjectOf(key));
  }

  // The catalogue object of that key ("catalog", "Fiction", "B1", "Ada", ...).
  QuireObject ObjectOf(const std::string& key) {
    for (const LibraryEntry& entry : entries_) {
      if (entry.key == key) {
        return QuireObject(std::make_unique<LibraryObject>(classNamed(entry.className), key));
      }
    }
    ADD_FAILURE() << "no Library entry " << key;
    return QuireObject();
  }
  QuireClass classNamed(const std::string& name) {
    QuireStatus status;
    return findClass(name, status);
  }

  // What the last makeObject was asked with, and how often the graphic form and the nary
  // lists were read.
  int lastCompleteness = 0;
  QuireArgumentValues lastValues;
  int graphicReads = 0;
  int naryReads = 0;

 private:
  static constexpr int32_t kUnary = QuireRelationship::kUnary;
  static constexpr int32_t kNary = QuireRelationship::kNary;

  static void AddFeatures(const QuireClass& cls, const std::vector<QuireAttribute>& attributes,
                          const std::vector<QuireRelationship>& unary,
                          const std::vector<QuireRelationship>& nary) {
    for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
      auto& attributeList = cls.attributeList(which);
      attributeList.insert(attributeList.end(), attributes.begin(), attributes.end());
      auto& unaryList = cls.unaryList(which);
      unaryList.insert(unaryList.end(), unary.begin(), unary.end());
      auto& naryList = cls.naryList(which);
      naryList.insert(naryList.end(), nary.begin(), nary.end());
    }
  }

  void AddEntries() {
    auto book = [this](const std::string& cls, const std::string& code, const char* title,
                       float pages, bool available, const char* version, const char* author,
                       const char* shelf) {
      LibraryEntry entry{cls, code, {}, {{"author", author}, {"shelf", shelf}}, {}};
      entry.values = {{"code", QuireValue(code)},
                      {"title", QuireValue(title)},
                      {"pages", QuireValue(pages)},
                      {"available", QuireValue(available)},
                      {"file", QuireValue("/books/" + code + ".txt", true)},
                      {"version", QuireValue(version)},
                      {"marker", QuireValue::wildcard("*")}};
      entries_.push_back(entry);
    };
    entries_.push_back(
        {"Catalog", "catalog", {}, {}, {{"shelves", {"Fiction", "Science", "Empty"}}}});
    entries_.push_back({"Shelf",
                        "Fiction",
                        {{"name", QuireValue("Fiction")}, {"floor", QuireValue(1.0f)}},
                        {},
                        {{"books", {"B1", "B2"}}}});
    entries_.push_back({"Shelf",
                        "Science",
                        {{"name", QuireValue("Science")}, {"floor", QuireValue(2.0f)}},
                        {},
                        {{"books", {"B3", "B4"}}}});
    entries_.push_back(
        {"Shelf", "Empty", {{"name", QuireValue("Empty")}, {"floor", QuireValue(3.0f)}}, {}, {}});
    book("Novel", "B1", "Zebra Tales", 120, true, "2.9", "Ada", "Fiction");
    book("Book", "B2", "apple pie", 80, false, "2.10", "Bea", "Fiction");
    book("Book", "B3", "Apple Orchard", 300, true, "1.0", "Ada", "Science");
    book("Novel", "B4", "Moon", 80, true, "2.10", "Bea", "Science");
    entries_[4].values["cover"] = QuireValue(QuireGraphic("b1.png", QuireGraphic::kPng));
    entries_[4].values["genre"] = QuireValue("Fable");
    entries_[7].values["genre"] = QuireValue("Space");
    entries_.push_back({"Author",
                        "Ada",
                        {{"name", QuireValue("Ada")}, {"born", QuireValue(1815.0f)}},
                        {},
                        {{"works", {"B1", "B3"}}}});
    entries_.push_back({"Author",
                        "Bea",
                        {{"name", QuireValue("Bea")}, {"born", QuireValue(1950.0f)}},
                        {{"mentor", "Ada"}},
                        {{"works", {"B2", "B4"}}}});
    entries_.push_back(
        {"Author", "Cy", {{"name", QuireValue("Cy")}, {"born", QuireValue(1990.0f)}}, {}, {}});
  }

  // The catalogue entry behind `object`; null with kind 63 for a foreign or undefined object.
  const LibraryEntry* EntryOf(const QuireObject& object, QuireStatus& status) const {
    if (const auto* library = object.as<LibraryObject>()) {
      for (const LibraryEntry& entry : entries_) {
        if (entry.key == library->key()) return &entry;
      }
    }
    status = QuireStatus(kEvaluationError, "Library: not a Library object");
    return nullptr;
  }

  std::vector<LibraryEntry> entries_;
};

// The Library and FileSys domains registered once in the process-wide registry (which is also
// installed as the object model's domain lookup); they stay for the life of the test program.
inline LibraryDomain& RegisteredLibrary() {
  static LibraryDomain* library = [] {
    DomainRegistry& registry = DomainRegistry::instance();
    if (!registry.hasDomainNamed("Library")) {
      return static_cast<LibraryDomain*>(
          &registry.registerDomain(std::make_unique<LibraryDomain>()));
    }
    QuireStatus status;
    return dynamic_cast<LibraryDomain*>(&registry.getDomain(status, "Library"));
  }();
  return *library;
}
inline FileSysDomain& RegisteredFileSys() {
  static FileSysDomain* fileSys = [] {
    DomainRegistry& registry = DomainRegistry::instance();
    if (!registry.hasDomainNamed("FileSys")) {
      return static_cast<FileSysDomain*>(
          &registry.registerDomain(std::make_unique<FileSysDomain>()));
    }
    QuireStatus status;
    return dynamic_cast<FileSysDomain*>(&registry.getDomain(status, "FileSys"));
  }();
  return *fileSys;
}

}  // namespace commands_test
