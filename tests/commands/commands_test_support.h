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

#include "commands/general_source.h"
#include "commands/quire_binding.h"
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

  // What the last makeObject was asked with, and how often the graphic form was read.
  int lastCompleteness = 0;
  QuireArgumentValues lastValues;
  int graphicReads = 0;

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
    auto addShelf = [this](const char* name, float floor, std::vector<std::string> books) {
      entries_.push_back({"Shelf",
                          name,
                          {{"name", QuireValue(name)}, {"floor", QuireValue(floor)}},
                          {},
                          {{"books", std::move(books)}}});
    };
    auto addBook = [this](const std::string& cls, const std::string& code, const char* title,
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
    auto addAuthor = [this](const char* name, float born, std::map<std::string, std::string> unary,
                            std::vector<std::string> works) {
      entries_.push_back({"Author",
                          name,
                          {{"name", QuireValue(name)}, {"born", QuireValue(born)}},
                          std::move(unary),
                          {{"works", std::move(works)}}});
    };
    entries_.push_back(
        {"Catalog", "catalog", {}, {}, {{"shelves", {"Fiction", "Science", "Empty"}}}});
    addShelf("Fiction", 1, {"B1", "B2"});
    addShelf("Science", 2, {"B3", "B4"});
    addShelf("Empty", 3, {});
    addBook("Novel", "B1", "Zebra Tales", 120, true, "2.9", "Ada", "Fiction");
    addBook("Book", "B2", "apple pie", 80, false, "2.10", "Bea", "Fiction");
    addBook("Book", "B3", "Apple Orchard", 300, true, "1.0", "Ada", "Science");
    addBook("Novel", "B4", "Moon", 80, true, "2.10", "Bea", "Science");
    entries_[4].values["cover"] = QuireValue(QuireGraphic("b1.png", QuireGraphic::kPng));
    entries_[4].values["genre"] = QuireValue("Fable");
    entries_[7].values["genre"] = QuireValue("Space");
    addAuthor("Ada", 1815, {}, {"B1", "B3"});
    addAuthor("Bea", 1950, {{"mentor", "Ada"}}, {"B2", "B4"});
    addAuthor("Cy", 1990, {}, {});
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

// The domain of type Domain named `name`, registered once in the process-wide registry (which is
// also installed as the object model's domain lookup); it stays for the life of the test program.
template <typename Domain>
Domain& Registered(const std::string& name) {
  DomainRegistry& registry = DomainRegistry::instance();
  if (!registry.hasDomainNamed(name)) {
    return static_cast<Domain&>(registry.registerDomain(std::make_unique<Domain>()));
  }
  QuireStatus status;
  return dynamic_cast<Domain&>(registry.getDomain(status, name));
}
inline LibraryDomain& RegisteredLibrary() {
  static LibraryDomain& library = Registered<LibraryDomain>("Library");
  return library;
}
inline FileSysDomain& RegisteredFileSys() {
  static FileSysDomain& fileSys = Registered<FileSysDomain>("FileSys");
  return fileSys;
}

// The keys of Library objects ("?" for any other object).
inline std::vector<std::string> KeysOf(const QuireObjectList& objects) {
  std::vector<std::string> keys;
  for (const QuireObject& object : objects) {
    const auto* entry = object.as<LibraryObject>();
    keys.push_back(entry != nullptr ? entry->key() : "?");
  }
  return keys;
}

// `variable` bound to the Library object of `key`, as an OPEN of `className` would bind it.
inline QuireBinding LibraryBinding(const std::string& variable, const std::string& className,
                                   const std::string& key) {
  QuireStatus status;
  GeneralSource open =
      GeneralSource::parse("C:" + variable + ":Library:" + className + ":", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  return QuireBinding(open, RegisteredLibrary().ObjectOf(key));
}

}  // namespace commands_test
