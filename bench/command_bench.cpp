// Times the command language: parsing and printing a mix of command texts, and sorting objects
// by two keys, on a small in-memory domain "Bench" registered for the run.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands/field.h"
#include "commands/general_source.h"
#include "commands/quire_binding.h"
#include "commands/sort_order.h"
#include "domains/domain_registry.h"
#include "foundation/quire_status.h"
#include "model/quire_domain_object.h"
#include "model/quire_standard_domain.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// An object of the Bench domain: its class and its index among the domain's books or authors.
class BenchObject : public QuireDomainObject {
 public:
  BenchObject(QuireClass cls, int index) : class_(cls), index_(index) {}
  QuireClass getClass(QuireStatus& status) const override {
    status = QuireStatus();
    return class_;
  }
  std::unique_ptr<QuireDomainObject> clone() const override {
    return std::make_unique<BenchObject>(*this);
  }
  void display(QuireStatus& status) const override { status = QuireStatus(); }
  void getConstructorArguments(QuireArgumentValues& list, bool,
                               QuireStatus& status) const override {
    status = QuireStatus();
    list.clear();
  }
  int index() const { return index_; }

 private:
  QuireClass class_;
  int index_;
};

// Shelves, books (and novels) and authors; book i has 50 + i % 400 pages, the title
// "Title <i * 7919 % count>" and author i % 100.
class BenchDomain : public QuireStandardDomain {
 public:
  BenchDomain() : QuireStandardDomain("Bench") {}

  void loadSchema(QuireStatus& status) override {
    status = QuireStatus();
    using namespace QuireType;
    shelf_ = addClass("Shelf");
    book_ = addClass("Book");
    QuireClass novel = addClass("Novel");
    author_ = addClass("Author");
    novel.addSuperclass(book_);
    const QuireAttribute shelfName("name", STRING, shelf_);
    Add(shelf_, {shelfName, QuireAttribute("floor", NUMBER, shelf_)}, {},
        {QuireRelationship("books", QuireRelationship::kNary, shelf_, book_)});
    shelf_.constructorArguments() = {shelfName};
    const QuireAttribute code("code", STRING, book_);
    const std::vector<QuireAttribute> bookAttributes = {code,
                                                        QuireAttribute("title", STRING, book_),
                                                        QuireAttribute("pages", NUMBER, book_),
                                                        QuireAttribute("available", BOOLEAN, book_),
                                                        QuireAttribute("cover", GRAPHIC, book_),
                                                        QuireAttribute("version", STRING, book_)};
    const std::vector<QuireRelationship> bookUnary = {
        QuireRelationship("author", QuireRelationship::kUnary, book_, author_),
        QuireRelationship("shelf", QuireRelationship::kUnary, book_, shelf_)};
    Add(book_, bookAttributes, bookUnary, {});
    Add(novel, bookAttributes, bookUnary, {});
    book_.constructorArguments() = {code};
    novel.constructorArguments() = {code};
    const QuireAttribute authorName("name", STRING, author_);
    Add(author_, {authorName, QuireAttribute("born", NUMBER, author_)}, {},
        {QuireRelationship("works", QuireRelationship::kNary, author_, book_)});
    author_.constructorArguments() = {authorName};
  }

  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues&, QuireStatus& status,
                         int) override {
    status = QuireStatus();
    return QuireObject(std::make_unique<BenchObject>(cls, 0));
  }
  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    status = QuireStatus();
    const int i = local.as<BenchObject>()->index();
    const std::string& name = attribute.name();
    if (attribute.getClass() == author_) return QuireAttributeValue(attribute, Text("Author ", i));
    if (name == "pages") return QuireAttributeValue(attribute, static_cast<float>(50 + i % 400));
    if (name == "title") return QuireAttributeValue(attribute, Text("Title ", i * 7919 % count_));
    return QuireAttributeValue(attribute, Text("B", i));
  }
  QuireObject getUnaryRelatedObject(QuireStatus& status, const QuireRelationship& relationship,
                                    const QuireObject& local) override {
    status = QuireStatus();
    return QuireObject(std::make_unique<BenchObject>(relationship.target(),
                                                     local.as<BenchObject>()->index() % 100));
  }
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship&, const QuireObject&,
                             QuireObjectList& result) override {
    status = QuireStatus();
    result = Books(10);
  }

  QuireObjectList Books(int count) {
    classList();
    count_ = count;
    QuireObjectList books;
    books.reserve(count);
    for (int i = 0; i < count; ++i) books.emplace_back(std::make_unique<BenchObject>(book_, i));
    return books;
  }

 private:
  static std::string Text(const char* prefix, int number) {
    return prefix + std::to_string(number);
  }
  static void Add(const QuireClass& cls, const std::vector<QuireAttribute>& attributes,
                  const std::vector<QuireRelationship>& unary,
                  const std::vector<QuireRelationship>& nary) {
    for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
      cls.attributeList(which).insert(cls.attributeList(which).end(), attributes.begin(),
                                      attributes.end());
      cls.unaryList(which).insert(cls.unaryList(which).end(), unary.begin(), unary.end());
      cls.naryList(which).insert(cls.naryList(which).end(), nary.begin(), nary.end());
    }
  }

  QuireClass shelf_;
  QuireClass book_;
  QuireClass author_;
  int count_ = 1;
};

const std::vector<std::string> kTexts = {
    "C:s:Bench:Shelf:name=Fiction",
    "C:b:Bench:Book:code=^SB1",
    "R:b:Bench:Book:s:Bench:Shelf:N=books:",
    "R:b:Bench:Book:^5:s:^Bench:Shelf:N=books:",
    "R:w:Bench:Book:b:Bench:Book:U=author.N=works:",
    "R:b:Bench:Book:n:Bench:Novel:S=Book.U=shelf.N=books:",
    "R:b:Bench:Book:s:Bench:Shelf:N=books:==A:Bench:Book::pages:N80.000::A:Bench:Book::title",
    "R:b:Bench:Book:s:Bench:Shelf:N=books:::RN:Bench:Book::version,F:Bench:Book::title",
    "R:b:Bench:Book:s:Bench:Shelf:N=books:|w:Bench:Book:b:Bench:Book:U=author.N=works:",
    "S:a:Bench:Author:b:Bench:Book:U=author:==A:Bench:Author::name:SAda",
    "S:o:Bench:Book:b:Bench:Book:..OMIT",
    "F:b:Bench:Book::title:SAA:",
    "F:b:Bench:Book:U=author:name:SUA:",
    "F:b:Bench:Book::pages:NFA:",
    "X:b:Bench:Book::title:SAA04:",
    "F:b:Bench:Book::title:LISAA:",
    "F:b:Bench:Book::cover:GSA:",
};

std::string ParseAndPrint(const std::string& text, QuireStatus& status) {
  if (text[0] == 'F' || text[0] == 'X') {
    const Field field(text, status);
    return status.IsOk() ? field.print(status) : std::string();
  }
  const GeneralSource source = GeneralSource::parse(text, status);
  return status.IsOk() ? source.print(status) : std::string();
}

bool MeasureParsing(int count) {
  for (const std::string& text : kTexts) {
    QuireStatus status;
    const std::string printed = ParseAndPrint(text, status);
    if (!status.IsOk() || printed != text) {
      std::printf("does not print back: %s -> %s (%s)\n", text.c_str(), printed.c_str(),
                  status.Message().c_str());
      return false;
    }
  }
  std::size_t bytes = 0;
  const auto start = Clock::now();
  for (int i = 0; i < count; ++i) {
    QuireStatus status;
    bytes += ParseAndPrint(kTexts[i % kTexts.size()], status).size();
  }
  const double seconds = SecondsSince(start);
  std::printf("parse+print %d texts: %.3f s, %.0f texts/s (%zu bytes printed)\n", count, seconds,
              count / seconds, bytes);
  return true;
}

bool MeasureSorting(BenchDomain& domain, int count, const std::string& keys) {
  QuireStatus status;
  const SortOrder ordering(keys, status);
  if (!status.IsOk()) {
    std::printf("sort keys %s: %s\n", keys.c_str(), status.Message().c_str());
    return false;
  }
  QuireObjectList books = domain.Books(count);
  const auto start = Clock::now();
  ordering.sort(books, status, QuireBindingList());
  const double seconds = SecondsSince(start);
  std::printf("sort %d objects by %s: %.3f s, %.0f objects/s\n", count, keys.c_str(), seconds,
              count / seconds);
  return status.IsOk() && books.size() == static_cast<std::size_t>(count);
}

}  // namespace

int main() {
  auto& domain = static_cast<BenchDomain&>(
      DomainRegistry::instance().registerDomain(std::make_unique<BenchDomain>()));
  bool ok = MeasureParsing(100000);
  ok = MeasureSorting(domain, 100000, ":A:Bench:Book::pages,F:Bench:Book::title") && ok;
  ok = MeasureSorting(domain, 100000, ":N:Bench:Book:U=author:name,R:Bench:Book::pages") && ok;
  return ok ? 0 : 1;
}
