// Sort specifications: keys parse and print, and REPEAT's objects are ordered by them.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "commands/quire_binding.h"
#include "commands/sort_specification.h"
#include "foundation/quire_status.h"
#include "tests/commands/commands_test_support.h"

namespace {

using commands_test::LibraryDomain;
using commands_test::LibraryObject;

// The Library with the "version" texts of its books set by each test (with an optional second
// text), so that the orderings can be chosen freely.
class MarkedLibrary : public LibraryDomain {
 public:
  MarkedLibrary() : LibraryDomain("MarkedLibrary") {}

  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    const auto* object = local.as<LibraryObject>();
    if (attribute.name() == "version" && object != nullptr) {
      auto found = marks.find(object->key());
      if (found != marks.end()) {
        status = QuireStatus();
        return QuireAttributeValue(attribute, found->second);
      }
    }
    return LibraryDomain::getAttributeValue(status, attribute, local);
  }

  std::map<std::string, QuireValue> marks;
};

class SortTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    commands_test::LoadSampleHostStrings();
    commands_test::RegisteredLibrary();
    if (!DomainRegistry::instance().hasDomainNamed("MarkedLibrary")) {
      DomainRegistry::instance().registerDomain(std::make_unique<MarkedLibrary>());
    }
  }
  void SetUp() override {
    QuireStatus status;
    marked_ = dynamic_cast<MarkedLibrary*>(
        &DomainRegistry::instance().getDomain(status, "MarkedLibrary"));
    ASSERT_NE(marked_, nullptr);
    marked_->marks.clear();
  }

  // Objects of the marked library by key.
  QuireObjectList Objects(const std::vector<std::string>& keys) {
    QuireObjectList objects;
    for (const std::string& key : keys) objects.push_back(marked_->ObjectOf(key));
    return objects;
  }

  // The keys of `keys`' objects after sorting by `text`.
  std::vector<std::string> Sorted(const std::string& text, const std::vector<std::string>& keys) {
    QuireStatus status;
    const SortSpecification ordering(text, status);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Message();
    QuireObjectList objects = Objects(keys);
    ordering.sort(objects, status, QuireBindingList());
    EXPECT_TRUE(status.IsOk()) << status.Message();
    std::vector<std::string> sorted;
    for (const QuireObject& object : objects) sorted.push_back(object.as<LibraryObject>()->key());
    return sorted;
  }

  // Books B1 to B4 with these version texts.
  void Mark(const std::vector<QuireValue>& versions) {
    for (std::size_t i = 0; i < versions.size(); ++i) {
      marked_->marks["B" + std::to_string(i + 1)] = versions[i];
    }
  }

  MarkedLibrary* marked_ = nullptr;
};

using Keys = std::vector<std::string>;
const Keys kBooksBackwards = {"B4", "B3", "B2", "B1"};

// ---- Parsing and printing ----

TEST_F(SortTest, KeysPrintBackAsWritten) {
  for (const std::string text :
       {":A:Library:Book::title", "U:NR:Library:Book::version,F:Library:Book::title",
        ":A:Library:Book:U=author:name", "::Library:Novel:S=Book:title",
        ":ANFR:Library:Book:U=author.U=mentor:born", "U::Library:Shelf::floor"}) {
    QuireStatus status;
    const SortSpecification ordering(text, status);
    ASSERT_TRUE(status.IsOk()) << text << ": " << status.Message();
    EXPECT_EQ(ordering.print(status), text);
    EXPECT_TRUE(status.IsOk());
  }
}

TEST_F(SortTest, FlagsAndFieldsAreReadIntoTheKeys) {
  QuireStatus status;
  const SortSpecification ordering("U:NR:Library:Book:U=author:born,F:Library:Novel::genre",
                                        status);
  ASSERT_TRUE(status.IsOk()) << status.Message();
  EXPECT_TRUE(ordering.unique());
  ASSERT_EQ(ordering.keys().size(), 2u);
  const SortKey& first = ordering.keys()[0];
  EXPECT_TRUE(first.numeric && first.descending);
  EXPECT_FALSE(first.ignoreCase || first.plain);
  EXPECT_EQ(first.cls.name(), "Book");
  ASSERT_EQ(first.path.steps().size(), 1u);
  EXPECT_EQ(first.path.steps()[0].name(), "author");
  EXPECT_EQ(first.attribute.name(), "born");
  EXPECT_EQ(first.attribute.getClass().name(), "Author");
  const SortKey& second = ordering.keys()[1];
  EXPECT_TRUE(second.ignoreCase);
  EXPECT_EQ(second.attribute.name(), "genre");

  const SortSpecification plain(":A:Library:Book::title", status);
  EXPECT_FALSE(plain.unique());
  EXPECT_TRUE(plain.keys()[0].plain);
}

TEST_F(SortTest, OtherFlagLettersFail) {
  for (const std::string text : {":X:Library:Book::title", ":a:Library:Book::title",
                                 ":AS:Library:Book::title", ":A :Library:Book::title"}) {
    QuireStatus status;
    const SortSpecification ordering(text, status);
    EXPECT_EQ(status, QuireStatus(35, "Key")) << text;
  }
}

TEST_F(SortTest, MissingFieldsFail) {
  for (const std::string text :
       {"", "U", ":", ":A", ":A:Library", ":A:Library:Book", ":A:Library:Book:title",
        ":A:Library:Book::", ":A:Library:Book::title,", ":A:Library:Book::title,,"}) {
    QuireStatus status;
    const SortSpecification ordering(text, status);
    EXPECT_EQ(status, QuireStatus(35, "Key")) << '"' << text << '"';
  }
}

TEST_F(SortTest, LookupFailuresKeepTheirStatus) {
  QuireStatus status;
  const SortSpecification wrongStep(":A:Library:Book:N=shelf:name", status);
  EXPECT_EQ(status, QuireStatus(40, "Key"));
  const SortSpecification missingEquals(":A:Library:Book:Uauthor:name", status);
  EXPECT_EQ(status, QuireStatus(35, "Key"));
  const SortSpecification unknownAttribute(":A:Library:Book::colour", status);
  EXPECT_EQ(status, QuireStatus(37, HostMessageId{40302}, "colour"));
  const SortSpecification unknownClass(":A:Library:Magazine::title", status);
  EXPECT_EQ(status.Kind(), 63u);
  const SortSpecification unknownDomain(":A:Nowhere:Book::title", status);
  EXPECT_EQ(status.Kind(), 63u);
}

// ---- Sorting ----

TEST_F(SortTest, TwoKeysWithTheSecondDescending) {
  // Pages 80 (B2 "apple pie", B4 "Moon"), 120 (B1), 300 (B3); "apple pie" > "Moon" bytewise.
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::pages,R:MarkedLibrary:Book::title", kBooksBackwards),
            (Keys{"B2", "B4", "B1", "B3"}));
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::title", kBooksBackwards),
            (Keys{"B4", "B2", "B1", "B3"}));
  EXPECT_EQ(Sorted(":R:MarkedLibrary:Book::pages", {"B1", "B2", "B3", "B4"}),
            (Keys{"B3", "B1", "B2", "B4"}));
}

TEST_F(SortTest, NumericFlagOrdersDottedVersions) {
  Mark({QuireValue("2.9"), QuireValue("2.10"), QuireValue("1.0"), QuireValue("10")});
  EXPECT_EQ(Sorted(":N:MarkedLibrary:Book::version", kBooksBackwards),
            (Keys{"B3", "B1", "B2", "B4"}));
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::version", kBooksBackwards),
            (Keys{"B3", "B4", "B2", "B1"}));
}

TEST_F(SortTest, NumericFlagOrdersNumbersInTexts) {
  Mark({QuireValue("10"), QuireValue("9"), QuireValue("100"), QuireValue("-2")});
  EXPECT_EQ(Sorted(":N:MarkedLibrary:Book::version", kBooksBackwards),
            (Keys{"B4", "B2", "B1", "B3"}));
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::version", kBooksBackwards),
            (Keys{"B4", "B1", "B3", "B2"}));
}

TEST_F(SortTest, IgnoreCaseFlagPutsLowerCaseAmongUpperCase) {
  Mark({QuireValue("b"), QuireValue("A"), QuireValue("C"), QuireValue("a")});
  EXPECT_EQ(Sorted(":F:MarkedLibrary:Book::version", {"B1", "B2", "B3", "B4"}),
            (Keys{"B2", "B4", "B1", "B3"}));
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::version", {"B1", "B2", "B3", "B4"}),
            (Keys{"B2", "B3", "B4", "B1"}));
}

TEST_F(SortTest, SecondTextsStandInForValues) {
  // Texts whose second texts order them the other way round.
  std::vector<QuireValue> versions;
  for (const auto& [text, second] : std::vector<std::pair<const char*, const char*>>{
           {"1", "d"}, {"2", "c"}, {"3", "b"}, {"4", "a"}}) {
    QuireValue value(text);
    value.setSecondText(second);
    versions.push_back(value);
  }
  Mark(versions);
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::version", {"B1", "B2", "B3", "B4"}),
            (Keys{"B4", "B3", "B2", "B1"}));
}

TEST_F(SortTest, UniqueFlagDropsEqualNeighbours) {
  EXPECT_EQ(Sorted("U:A:MarkedLibrary:Book::pages", {"B1", "B2", "B3", "B4"}),
            (Keys{"B2", "B1", "B3"}));
  Mark({QuireValue("2.9"), QuireValue("2.10"), QuireValue("1.0"), QuireValue("2.10")});
  EXPECT_EQ(Sorted("U:N:MarkedLibrary:Book::version", kBooksBackwards), (Keys{"B3", "B1", "B4"}));
  // Equal in every key: only objects equal in both keys are dropped.
  EXPECT_EQ(Sorted("U:A:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::code",
                   {"B1", "B2", "B3", "B4", "B2"}),
            (Keys{"B2", "B4", "B1", "B3"}));
}

TEST_F(SortTest, KeyPathGoesThroughAUnaryRelationship) {
  // Ada (1815) wrote B1 and B3, Bea (1950) B2 and B4.
  EXPECT_EQ(
      Sorted(":A:MarkedLibrary:Book:U=author:born,A:MarkedLibrary:Book::code", kBooksBackwards),
      (Keys{"B1", "B3", "B2", "B4"}));
  EXPECT_EQ(Sorted(":R:MarkedLibrary:Book:U=writer:name,R:MarkedLibrary:Book::code",
                   {"B1", "B2", "B3", "B4"}),
            (Keys{"B4", "B2", "B3", "B1"}));
}

TEST_F(SortTest, UnreachableKeyValuesSortLast) {
  // Only Bea has a mentor; the others keep their order after her.
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Author:U=mentor:name", {"Cy", "Ada", "Bea"}),
            (Keys{"Bea", "Cy", "Ada"}));
}

TEST_F(SortTest, MixedTypesAndIntransitiveTextsStillSortEveryObject) {
  // Numbers and words under "N" do not order consistently; every object must survive.
  const std::vector<QuireValue> pool = {QuireValue("10"),   QuireValue("9"),   QuireValue("1a"),
                                        QuireValue(true),   QuireValue(false), QuireValue(),
                                        QuireValue("2.09"), QuireValue("2.9"), QuireValue(1.0f)};
  std::vector<std::string> keys;
  for (int i = 0; i < 300; ++i) keys.push_back("B" + std::to_string(1 + i % 4));
  for (std::size_t offset = 0; offset < pool.size(); ++offset) {
    Mark({pool[offset], pool[(offset + 1) % pool.size()], pool[(offset + 2) % pool.size()],
          pool[(offset + 5) % pool.size()]});
    // Values of other types than the attribute's are reported on the error stream.
    commands_test::CapturedStderr(
        [&] { EXPECT_EQ(Sorted(":NR:MarkedLibrary:Book::version", keys).size(), keys.size()); });
  }
}

TEST_F(SortTest, EmptyListStaysEmpty) {
  QuireStatus status;
  const SortSpecification ordering("U:A:Library:Book::title", status);
  QuireObjectList objects;
  ordering.sort(objects, status, QuireBindingList());
  EXPECT_TRUE(status.IsOk());
  EXPECT_TRUE(objects.empty());
}

}  // namespace
