// Sort keys: bad key texts fail with their status, and REPEAT's objects are ordered by the keys.
#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "commands/quire_binding.h"
#include "commands/sort_order.h"
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
    marked_ = &commands_test::Registered<MarkedLibrary>("MarkedLibrary");
  }

  // The keys of `keys`' objects after sorting by `text`.
  std::vector<std::string> Sorted(const std::string& text, const std::vector<std::string>& keys) {
    QuireStatus status;
    const SortOrder ordering(text, status);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Message();
    QuireObjectList objects;
    for (const std::string& key : keys) objects.push_back(marked_->ObjectOf(key));
    ordering.sort(objects, status, QuireBindingList());
    EXPECT_TRUE(status.IsOk()) << status.Message();
    return commands_test::KeysOf(objects);
  }

  // Books B1 to B4 with these version texts (none: the catalogue's own).
  void Mark(const std::vector<QuireValue>& versions) {
    marked_->marks.clear();
    for (std::size_t i = 0; i < versions.size(); ++i) {
      marked_->marks["B" + std::to_string(i + 1)] = versions[i];
    }
  }

  static inline MarkedLibrary* marked_ = nullptr;
};

// The words of a text separated by blanks.
std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST_F(SortTest, MalformedKeysFail) {
  for (const std::string text :
       {"", "U", ":A", ":A:Library:Book", ":A:Library:Book:title", ":,", ":A:Library:Book::title,,",
        ":A:Library:Book::title,,A:Library:Book::code", ":X:Library:Book::title",
        ":AS:Library:Book::title", ":A:Library:Book:Uauthor:name",
        // No attribute name holds a ":": text after the closing one is not part of the key.
        ":A:Library:Book::title:x", ":A:Library:Book:::"}) {
    QuireStatus status;
    const SortOrder ordering(text, status);
    EXPECT_EQ(status, QuireStatus(kSyntaxError, "Key")) << '"' << text << '"';
  }
}

TEST_F(SortTest, KeysReadTheSameWithOrWithoutTheirClosingColon) {
  // Each key as written with its closing colon, and without.
  const std::pair<std::string, std::string> texts[] = {
      {":A:Library:Book::title:", ":A:Library:Book::title"},
      {":R:Library:Book::pages:,A:Library:Book::title:",
       ":R:Library:Book::pages,A:Library:Book::title"},
      {":R:Library:Book::pages,A:Library:Book::title:",
       ":R:Library:Book::pages,A:Library:Book::title"},
      {"U:A:Library:Book:U=author:name:", "U:A:Library:Book:U=author:name"},
  };
  for (const auto& [written, bare] : texts) {
    QuireStatus status;
    const SortOrder withColon(written, status);
    ASSERT_TRUE(status.IsOk()) << written << ": " << status.Text();
    const SortOrder without(bare, status);
    ASSERT_TRUE(status.IsOk()) << bare << ": " << status.Text();
    ASSERT_EQ(withColon.keys().size(), without.keys().size()) << written;
    for (std::size_t k = 0; k < withColon.keys().size(); ++k) {
      EXPECT_EQ(withColon.keys()[k].attribute.name(), without.keys()[k].attribute.name());
      EXPECT_EQ(withColon.keys()[k].descending, without.keys()[k].descending);
      EXPECT_EQ(withColon.keys()[k].path.steps().size(), without.keys()[k].path.steps().size());
    }
    EXPECT_EQ(withColon.print(status), written);
    EXPECT_EQ(without.print(status), bare);
  }
}

TEST_F(SortTest, TheSeparatorAloneHoldsNoKeysAndACommaMayEndTheLast) {
  QuireStatus status;
  const SortOrder none(":", status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_TRUE(none.keys().empty());
  EXPECT_FALSE(none.unique());
  EXPECT_EQ(none.print(status), ":");
  // Without keys the objects keep the order they came in.
  Mark({});
  EXPECT_EQ(Sorted(":", Words("B3 B1 B4 B2")), Words("B3 B1 B4 B2"));
  // With the unique flag and no keys, all objects compare equal: only the first stays.
  EXPECT_EQ(Sorted("U:", Words("B3 B1 B4 B2")), Words("B3"));

  const SortOrder trailing(":R:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::title,", status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  ASSERT_EQ(trailing.keys().size(), 2u);
  EXPECT_EQ(trailing.keys()[1].attribute.name(), "title");
  EXPECT_EQ(trailing.print(status), ":R:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::title,");
  EXPECT_EQ(
      Sorted(":R:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::title,", Words("B4 B3 B2 B1")),
      Sorted(":R:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::title", Words("B4 B3 B2 B1")));
}

TEST_F(SortTest, LookupFailuresKeepTheirStatus) {
  QuireStatus status;
  const SortOrder wrongStep(":A:Library:Book:N=shelf:name", status);
  EXPECT_EQ(status, QuireStatus(kNavigationError, "Key"));
  const SortOrder unknownAttribute(":A:Library:Book::colour", status);
  EXPECT_EQ(status, QuireStatus(kUnknownAttribute, host_message::kNoSuchAttribute, "colour"));
}

TEST_F(SortTest, KeysAndTheirFlagsOrderTheObjects) {
  const struct {
    const char* keys;
    const char* versions;  // of B1 to B4; "": the catalogue's own
    const char* objects;
    const char* expected;
  } rows[] = {
      // Pages 80 (B2 "apple pie", B4 "Moon"), 120 (B1), 300 (B3); "apple pie" > "Moon" bytewise.
      {":A:MarkedLibrary:Book::pages,R:MarkedLibrary:Book::title", "", "B4 B3 B2 B1",
       "B2 B4 B1 B3"},
      // "N" reads numbers in texts (the golden sort page shows dotted versions and "F").
      {":N:MarkedLibrary:Book::version", "10 9 100 -2", "B4 B3 B2 B1", "B4 B2 B1 B3"},
      // "U" drops equal neighbours: only objects equal in every key.
      {"U:N:MarkedLibrary:Book::version", "2.9 2.10 1.0 2.10", "B4 B3 B2 B1", "B3 B1 B4"},
      {"U:A:MarkedLibrary:Book::pages,A:MarkedLibrary:Book::code", "", "B1 B2 B3 B4 B2",
       "B2 B4 B1 B3"},
      // Through a unary relationship: Ada (1815) wrote B1 and B3, Bea (1950) B2 and B4.
      {":A:MarkedLibrary:Book:U=author:born,A:MarkedLibrary:Book::code", "", "B4 B3 B2 B1",
       "B1 B3 B2 B4"},
      // Only Bea has a mentor; the others, reaching no value, keep their order after her.
      {":A:MarkedLibrary:Author:U=mentor:name", "", "Cy Ada Bea", "Bea Cy Ada"},
  };
  for (const auto& row : rows) {
    std::vector<QuireValue> versions;
    for (const std::string& text : Words(row.versions)) versions.emplace_back(text);
    Mark(versions);
    EXPECT_EQ(Sorted(row.keys, Words(row.objects)), Words(row.expected)) << row.keys;
  }
}

TEST_F(SortTest, SecondTextsStandInForValues) {
  // Texts "1" to "4" whose second texts order them the other way round.
  std::vector<QuireValue> versions;
  for (const char* second : {"d", "c", "b", "a"}) {
    versions.emplace_back(std::to_string(versions.size() + 1));
    versions.back().setSecondText(second);
  }
  Mark(versions);
  EXPECT_EQ(Sorted(":A:MarkedLibrary:Book::version", Words("B1 B2 B3 B4")), Words("B4 B3 B2 B1"));
}

// Long lists compare the first 16 bytes of plain texts apart from the values; what they cannot
// tell (longer texts with equal heads, settings, other types) the values decide.
TEST_F(SortTest, TextsSortByAllTheirBytes) {
  struct Row {
    std::vector<QuireValue> versions;  // of B1 to B4
    const char* flags;
    const char* expected;
  };
  const Row rows[] = {
      {{QuireValue("REQ-000000000002b"), QuireValue("REQ-000000000002a"), QuireValue("REQ-0"),
        QuireValue("REQ-000000000002")},
       "A",
       "B3 B4 B2 B1"},
      {{QuireValue("abc"), QuireValue(std::string("ab\0", 3)), QuireValue("ab"),
        QuireValue("ab\x80")},
       "A",
       "B3 B2 B1 B4"},
      {{QuireValue("ABCDEFGHIJKLMNOPq"), QuireValue("abcdefghijklmnopR"), QuireValue("b"),
        QuireValue("A")},
       "F",
       "B4 B1 B2 B3"},
      {{QuireValue("b"), QuireValue("a", true), QuireValue("${NO_SUCH_SETTING}"), QuireValue("a")},
       "A",
       "B3 B4 B1 B2"},
  };
  for (const Row& row : rows) {
    Mark(row.versions);
    const std::string keys = std::string(":") + row.flags + ":MarkedLibrary:Book::version";
    EXPECT_EQ(Sorted(keys, Words("B1 B2 B3 B4")), Words(row.expected)) << row.expected;
  }
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

}  // namespace
