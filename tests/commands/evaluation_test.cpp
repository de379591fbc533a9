// Evaluating commands on the in-memory Library domain: OPEN binds, REPEAT lists, filters, sorts
// and nests, LIMIT narrows, DISPLAY reads values; and REPEAT's push-down into an external domain.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands/field.h"
#include "commands/general_source.h"
#include "commands/quire_binding.h"
#include "commands/replicator.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/quire_query_filter.h"
#include "model/template_file_names.h"
#include "tests/commands/commands_test_support.h"

namespace {

using commands_test::KeysOf;
using commands_test::LibraryObject;
using commands_test::RegisteredLibrary;

class EvaluationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    commands_test::LoadSampleHostStrings();
    RegisteredLibrary();
  }

  // Parses a source command, failing the test on a bad text.
  static GeneralSource Command(const std::string& text) {
    QuireStatus status;
    GeneralSource source = GeneralSource::parse(text, status);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Text();
    return source;
  }
  void BindLibrary(const std::string& variable, const std::string& className,
                   const std::string& key) {
    bindings.prepend(commands_test::LibraryBinding(variable, className, key));
  }
  QuireObjectList Evaluate(const std::string& text) {
    return Command(text).evaluate(status, bindings);
  }

  QuireBindingList bindings;
  QuireStatus status;
};

using Names = std::vector<std::string>;

TEST_F(EvaluationTest, RepeatFollowsItsPathKeepsItsClassThenFiltersAndSorts) {
  BindLibrary("b", "Book", "B2");
  EXPECT_EQ(KeysOf(Evaluate("R:w:Library:Book:b:Library:Book:U=author.N=works:")),
            (Names{"B2", "B4"}));
  BindLibrary("s", "Shelf", "Fiction");
  EXPECT_EQ(KeysOf(Evaluate("R:n:Library:Novel:s:Library:Shelf:N=books:")), (Names{"B1"}));
  // The Science shelf's books by version descending numerically ("2.10" above "1.0").
  BindLibrary("s", "Shelf", "Science");
  EXPECT_EQ(KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:::RN:Library:Book::"
                            "version,A:Library:Book::code")),
            (Names{"B4", "B3"}));
  EXPECT_EQ(KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:==A:Library:Book:U=author:"
                            "name:SBea")),
            (Names{"B4"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  // A sort order without keys lists the objects as none at all would, with or without
  // a predicate before it.
  const Names unsorted = KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:"));
  EXPECT_EQ(KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:::")), unsorted);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:!=A:Library:Book::code:"
                            "SB0::")),
            unsorted);
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

TEST_F(EvaluationTest, NestedReplicatorListsTheBooksOfEachShelf) {
  BindLibrary("c", "Catalog", "catalog");
  QuireStatus parseStatus;
  const Replicator shelves(
      "R:s:Library:Shelf:c:Library:Catalog:N=shelves:|b:Library:Book:s:Library:Shelf:N=books:",
      parseStatus);
  ASSERT_TRUE(parseStatus.IsOk()) << parseStatus.Text();
  const QuireObjectList found = shelves.evaluate(status, bindings);
  ASSERT_EQ(KeysOf(found), (Names{"Fiction", "Science", "Empty"}));
  std::vector<Names> books;
  for (const QuireObject& shelf : found) {
    bindings.prepend(QuireBinding(GeneralSource(shelves.clone()), shelf));
    books.push_back(KeysOf(shelves.nested()->evaluate(status, bindings)));
    EXPECT_TRUE(status.IsOk()) << status.Text();
  }
  EXPECT_EQ(books, (std::vector<Names>{{"B1", "B2"}, {"B3", "B4"}, {}}));
}

TEST_F(EvaluationTest, UnboundParentGives42WithItsName) {
  EXPECT_TRUE(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:").empty());
  EXPECT_EQ(status, QuireStatus(kUnboundVariable, "s"));

  QuireStatus parseStatus;
  const Field field("F:v:Library:Book::title:SAA:", parseStatus);
  std::string link;
  QuireObject reached;
  EXPECT_TRUE(field.evaluate(status, bindings, 0, link, reached).isUndefined());
  EXPECT_EQ(status, QuireStatus(kUnboundVariable, "v"));
}

TEST_F(EvaluationTest, CommonStartAndPathFailuresCarryTheirMessages) {
  BindLibrary("s", "Shelf", "Fiction");
  BindLibrary("a", "Author", "Ada");
  struct Case {
    std::string text;
    QuireStatus expected;
  };
  const Case cases[] = {
      {"R:b:Library:Book:s:Library:Shelf::",
       QuireStatus(kUnsupportedOperation,
                   "Replicator: ", HostString(host_message::kRepeatWithoutPath))},
      {"R:w:Library:Author:s:Library:Shelf:N=books.U=author:",
       QuireStatus(kNavigationError,
                   "Replicator: ", HostString(host_message::kManyValuedStepNotLast))},
      {"R:b:Library:Book:s:Library:Book:U=shelf.N=books:",
       QuireStatus(kNavigationError, "Replicator: ", HostString(host_message::kNotOfStartClass))},
      {"S:b:Library:Book:s:Library:Book::",
       QuireStatus(kNavigationError,
                   "Replicator: ", HostString(host_message::kExpectedClassNotReached))},
      {"R:w:Library:Book:a:Library:Author:U=mentor.N=works:",
       QuireStatus(kEvaluationError, host_message::kExpectedClassNotReached)},
      {"S:o:Library:Book:s:Library:Shelf:..OMIT", QuireStatus(kUnsupportedOperation, "Stipulator")},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Evaluate(c.text).empty()) << c.text;
    EXPECT_EQ(status, c.expected) << c.text << " gave " << status.Text();
  }
  // A LIMIT that reaches no object is empty, without failure.
  EXPECT_TRUE(Evaluate("S:m:Library:Author:a:Library:Author:U=mentor:").empty());
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

TEST_F(EvaluationTest, ConnectorHandsTypedValuesAndItsCompleteness) {
  EXPECT_EQ(KeysOf(Evaluate("C:s:Library:Shelf:name=Science")), (Names{"Science"}));
  EXPECT_EQ(RegisteredLibrary().lastCompleteness, 1);
  EXPECT_EQ(KeysOf(Evaluate("C:b:Library:Book:file=^S\\x2Fbooks\\x2FB3\\x2Etxt")), (Names{"B3"}));
  ASSERT_EQ(RegisteredLibrary().lastValues.size(), 1u);
  EXPECT_EQ(RegisteredLibrary().lastValues[0].type(), QuireType::FILENAME);
  EXPECT_EQ(RegisteredLibrary().lastCompleteness, 2);
  EXPECT_EQ(KeysOf(Evaluate("C:a:Library:Author:born=1950")), (Names{"Bea"}));
  EXPECT_EQ(RegisteredLibrary().lastValues[0].type(), QuireType::NUMBER);
  BindLibrary("a", "Author", "Cy");
  EXPECT_EQ(KeysOf(Evaluate("C:x:Library:Author:name=^Aa:Library:Author::name")), (Names{"Cy"}));
}

TEST_F(EvaluationTest, ConnectorExpandsSettingReferences) {
  setenv("COMMANDS_TEST_SHELF", "Fiction", 1);
  EXPECT_EQ(KeysOf(Evaluate("C:s:Library:Shelf:name=${COMMANDS_TEST_SHELF}")), (Names{"Fiction"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  unsetenv("COMMANDS_TEST_SHELF");
  EXPECT_TRUE(Evaluate("C:s:Library:Shelf:name=${COMMANDS_TEST_SHELF}").empty());
  EXPECT_EQ(status, QuireStatus(kUndefinedSetting, "Connector args"));
}

// The full name of the one file-system object of `objects` ("" when there is none).
std::string FullNameOf(const QuireObjectList& objects) {
  if (objects.size() != 1) return {};
  QuireStatus status;
  const QuireAttribute& fullName =
      objects[0].getClass(status).findAttribute("FullName", status, QuireFeatureList::kFirst);
  std::string text;
  commands_test::CapturedStderr(
      [&] { text = objects[0].getAttributeValue(fullName, status).displayText(); });
  return text;
}

// An OPEN's own file names (literals and constants) that are relative are found in the folder of
// the template; a name computed from an object is data and is taken as it is.
TEST_F(EvaluationTest, OpenFindsTheRelativeFileNamesItWritesInTheTemplatesFolder) {
  commands_test::RegisteredFileSys();
  const commands_test::TempFolder folder("template");
  const std::string team = folder.Write("team.csv", "#KEY_FIELDS 1\nteam.csv\n");
  ASSERT_FALSE(std::filesystem::exists("team.csv"));
  SetTemplateFolder(folder.Path());
  QuireObjectList opened;
  const auto open = [&](const std::string& text) {
    commands_test::CapturedStderr([&] { opened = Evaluate(text); });
    return opened;
  };
  EXPECT_EQ(FullNameOf(open("C:f:FileSys:File:FullName=team.csv")), team);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(FullNameOf(open("C:f:FileSys:File:FullName=^Steam\\x2Ecsv")), team);
  EXPECT_EQ(FullNameOf(open("C:f:FileSys:File:FullName=" + team)), team);
  ASSERT_EQ(open("C:r:FileSys:FileRecord:Filename=team.csv,UniqueKey=team.csv").size(), 1u);
  EXPECT_TRUE(status.IsOk()) << status.Text();

  // The record's first field holds "team.csv": read from data, it is not the template's name.
  QuireStatus parseStatus;
  bindings.prepend(
      QuireBinding(GeneralSource::parse("C:r:FileSys:FileRecord:", parseStatus), opened.at(0)));
  EXPECT_TRUE(open("C:f:FileSys:File:FullName=^Ar:FileSys:FileRecord::Field01").empty());
  EXPECT_FALSE(status.IsOk());

  SetTemplateFolder("");
  EXPECT_TRUE(open("C:f:FileSys:File:FullName=team.csv").empty());
  EXPECT_FALSE(status.IsOk());
}

TEST_F(EvaluationTest, FieldReadsTheValueAtTheEndOfItsPathWithTheModifier) {
  BindLibrary("v", "Book", "B1");
  QuireStatus parseStatus;
  std::string link;
  QuireObject reached;

  const Field author("F:v:Library:Book:U=author:name:SUA:", parseStatus);
  ASSERT_TRUE(parseStatus.IsOk()) << parseStatus.Text();
  EXPECT_EQ(author.evaluate(status, bindings, 0, link, reached).textValue(), "ADA");
  EXPECT_EQ(KeysOf({reached}), (Names{"Ada"}));

  // "X" carries flags, so the reached object's reference comes with the value.
  const Field linked("X:v:Library:Book::title:SAA:", parseStatus);
  EXPECT_EQ(linked.evaluate(status, bindings, 0, link, reached).textValue(), "Zebra Tales");
  EXPECT_EQ(link, "Library:Novel:code=B1");

  const int graphicReads = RegisteredLibrary().graphicReads;
  const Field cover("F:v:Library:Book::cover:GSA:", parseStatus);
  const QuireAttributeValue picture = cover.evaluate(status, bindings, 0, link, reached);
  ASSERT_EQ(picture.type(), QuireType::GRAPHIC);
  EXPECT_EQ(picture.graphic()->path(), "b1.png");
  EXPECT_EQ(RegisteredLibrary().graphicReads, graphicReads + 1);
}

// The Library whose plain books have no constructor arguments: their reference text cannot be
// built (status 62), while their values can still be read.
class UnnamedLibrary : public commands_test::LibraryDomain {
 public:
  UnnamedLibrary() : LibraryDomain("UnnamedLibrary") {}
  void loadSchema(QuireStatus& status) override {
    LibraryDomain::loadSchema(status);
    if (status.IsOk()) classNamed("Book").constructorArguments().clear();
  }
};

TEST_F(EvaluationTest, FieldWithLinkFlagsReadsItsValueWhenTheReferenceCannotBeBuilt) {
  auto& unnamed = commands_test::Registered<UnnamedLibrary>("UnnamedLibrary");
  QuireStatus parseStatus;
  const GeneralSource open = GeneralSource::parse("C:u:UnnamedLibrary:Book:", parseStatus);
  ASSERT_TRUE(parseStatus.IsOk()) << parseStatus.Text();
  const QuireObject book = unnamed.ObjectOf("B2");
  QuireStatus referenceStatus;
  EXPECT_EQ(book.referenceText(referenceStatus), "UnnamedLibrary:Book:");
  ASSERT_EQ(referenceStatus.Kind(), kProcessingError) << referenceStatus.Text();
  bindings.prepend(QuireBinding(open, book));

  std::string link = "left over";
  QuireObject reached;
  const Field linked("X:u:UnnamedLibrary:Book::title:SAA:", parseStatus);
  ASSERT_TRUE(parseStatus.IsOk()) << parseStatus.Text();
  EXPECT_EQ(linked.evaluate(status, bindings, 0, link, reached).textValue(), "apple pie");
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(link, "UnnamedLibrary:Book:");
  EXPECT_EQ(KeysOf({reached}), (Names{"B2"}));
}

TEST_F(EvaluationTest, FieldDisplayNameUsesDisplayAliases) {
  QuireStatus parseStatus;
  EXPECT_EQ(Field("F:v:Library:Book:U=author:name:SAA:", parseStatus).displayName(status),
            "<v.writer.name>");
  EXPECT_EQ(Field("F:v:Library:Book::title:SAA:", parseStatus).displayName(status), "<v.Name>");
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Field("F:n:Library:Novel:S=Book:title:SAA:", parseStatus).displayName(status),
            "<n.Name>");
  EXPECT_EQ(status, QuireStatus(kNavigationError, "Field"));
}

// --- Push-down into a domain with an external schema ---

// Keeps the ">" bounds a REPEAT hands down, or answers every condition with `answer`.
class CardFilter : public QuireQueryFilter {
 public:
  explicit CardFilter(QuireStatus given) : answer(std::move(given)) {}
  void openGroup(int32_t) override {}
  void closeGroup() override {}
  bool addCondition(const QuireAttribute&, int32_t, const QuireValue& value,
                    QuireStatus& status) override {
    status = answer;
    if (status.IsOk()) lowerBounds.push_back(value.numberValue());
    return status.IsOk();
  }
  const QuireStatus answer;
  std::vector<float> lowerBounds;
};

// "Archive": a box of cards numbered 1 to 4, served as an external-schema domain.
class ArchiveDomain : public QuireAbstractDomain {
 public:
  ArchiveDomain() : QuireAbstractDomain("Archive", true, false) {}
  void loadSchema(QuireStatus& status) override {
    status = QuireStatus();
    QuireClass box = addClass("Box");
    QuireClass card = addClass("Card");
    for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
      box.naryList(which).emplace_back("cards", QuireRelationship::kNary, box, card);
      card.attributeList(which).emplace_back("number", QuireType::NUMBER, card);
    }
    card.constructorArguments() = {QuireAttribute("label", QuireType::STRING, card)};  // the key
  }
  // Not used by these tests.
  QuireObjectList getSelectedObjects(QuireStatus&, const std::string&) override { return {}; }
  QuireObject getSelectedObject(QuireStatus&, const QuireClass&, const std::string&) override {
    return {};
  }
  QuireAttributeValue getGraphicAttributeValue(QuireStatus&, const QuireAttribute&,
                                               const std::string&, const QuireObject&) override {
    return {};
  }
  QuireObject getUnaryRelatedObject(QuireStatus&, const QuireRelationship&,
                                    const QuireObject&) override {
    return {};
  }

  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues&, QuireStatus& status,
                         int) override {
    status = QuireStatus();
    return QuireObject(std::make_unique<LibraryObject>(cls, "box"));
  }
  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    status = QuireStatus();
    return QuireAttributeValue(attribute, NumberOf(local));
  }
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                             const QuireObject&, QuireObjectList& result) override {
    status = QuireStatus();
    result.clear();
    for (const char* key : {"1", "2", "3", "4"}) {
      result.emplace_back(std::make_unique<LibraryObject>(relationship.target(), key));
    }
  }
  std::unique_ptr<QuireQueryFilter> newQueryFilter() override {
    return std::make_unique<CardFilter>(filterAnswer);
  }
  // Keeps the cards above every bound handed down.
  void getFilteredNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                                     const QuireObject& local, const QuireQueryFilter& filter,
                                     QuireObjectList& result) override {
    ++filteredReads;
    getNaryRelatedObjects(status, relationship, local, result);
    for (const float bound : dynamic_cast<const CardFilter&>(filter).lowerBounds) {
      std::erase_if(result, [&](const QuireObject& card) { return NumberOf(card) <= bound; });
    }
  }

  static float NumberOf(const QuireObject& card) {
    return std::stof(card.as<LibraryObject>()->key());
  }

  QuireStatus filterAnswer;
  int filteredReads = 0;
};

class ArchiveTest : public EvaluationTest {
 protected:
  static void SetUpTestSuite() {
    EvaluationTest::SetUpTestSuite();
    if (!DomainRegistry::instance().hasDomainNamed("Archive")) {
      DomainRegistry::instance().registerDomain(std::make_unique<ArchiveDomain>());
    }
  }
  void SetUp() override {
    QuireStatus lookup;
    archive =
        dynamic_cast<ArchiveDomain*>(&DomainRegistry::instance().getDomain(lookup, "Archive"));
    ASSERT_NE(archive, nullptr);
    archive->filterAnswer = QuireStatus();
    archive->filteredReads = 0;
    const QuireObjectList box = Evaluate("C:x:Archive:Box:");
    ASSERT_EQ(box.size(), 1u) << status.Text();
    bindings.prepend(QuireBinding(Command("C:x:Archive:Box:"), box[0]));
  }
  ArchiveDomain* archive = nullptr;
};

const char kCardsAboveTwo[] =
    "R:c:Archive:Card:x:Archive:Box:N=cards:>A:Archive:Card::number:N2.000";

TEST_F(ArchiveTest, ExpressiblePredicateRunsInsideTheDomainTheRestLocally) {
  EXPECT_EQ(KeysOf(Evaluate(kCardsAboveTwo)), (Names{"3", "4"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(archive->filteredReads, 1);

  EXPECT_EQ(KeysOf(Evaluate("R:c:Archive:Card:x:Archive:Box:N=cards:N>A:Archive:Card::number:"
                            "N2.000")),
            (Names{"1", "2"}));
  EXPECT_EQ(archive->filteredReads, 1);  // not handed down again
}

TEST_F(ArchiveTest, AFailedPushDownEndsTheRepeatWithItsStatus) {
  archive->filterAnswer = QuireStatus(kProcessingError, "Archive refused");
  EXPECT_TRUE(Evaluate(kCardsAboveTwo).empty());
  EXPECT_EQ(status, QuireStatus(kProcessingError, "Archive refused"));
  // A condition the domain cannot express (61) is applied locally instead.
  archive->filterAnswer = QuireStatus(kNotImplemented, "DomainExtensions");
  EXPECT_EQ(Evaluate(kCardsAboveTwo).size(), 2u);
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

}  // namespace
