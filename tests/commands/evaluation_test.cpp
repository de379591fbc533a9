// Evaluating commands: OPEN binds, REPEAT lists, filters, sorts and nests, LIMIT narrows, DISPLAY
// reads values; on real folders through FileSys and on the in-memory Library domain.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "commands/connector.h"
#include "commands/field.h"
#include "commands/general_source.h"
#include "commands/quire_binding.h"
#include "commands/replicator.h"
#include "commands/stipulator.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/quire_query_filter.h"
#include "tests/commands/commands_test_support.h"

namespace {

using commands_test::LibraryDomain;
using commands_test::LibraryObject;
using commands_test::RegisteredLibrary;

class EvaluationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    commands_test::LoadSampleHostStrings();
    RegisteredLibrary();
    commands_test::RegisteredFileSys();
  }

  // Parses a source command, failing the test on a bad text.
  static GeneralSource Command(const std::string& text) {
    QuireStatus status;
    GeneralSource source = GeneralSource::parse(text, status);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Text();
    return source;
  }
  // Binds `object` to the variable of `commandText`.
  void Bind(const std::string& commandText, const QuireObject& object) {
    bindings.prepend(QuireBinding(Command(commandText), object));
  }
  void BindLibrary(const std::string& variable, const std::string& className,
                   const std::string& key) {
    Bind("C:" + variable + ":Library:" + className + ":", library().ObjectOf(key));
  }
  QuireObjectList Evaluate(const std::string& text) {
    return Command(text).evaluate(status, bindings);
  }

  static LibraryDomain& library() { return RegisteredLibrary(); }
  // A value read through the object model: the first argument's text of Library objects, the
  // simple name of file-system objects.
  static std::vector<std::string> KeysOf(const QuireObjectList& objects) {
    std::vector<std::string> names;
    for (const QuireObject& object : objects) {
      if (const auto* entry = object.as<LibraryObject>()) {
        names.push_back(entry->key());
        continue;
      }
      QuireStatus readStatus;
      const QuireClass cls = object.getClass(readStatus);
      const QuireAttribute& simple = cls.findAttribute("SimpleName", readStatus);
      names.push_back(object.getAttributeValue(simple, readStatus).displayText());
    }
    return names;
  }

  QuireBindingList bindings;
  QuireStatus status;
};

using Names = std::vector<std::string>;

class FileSysEvaluationTest : public EvaluationTest {
 protected:
  void SetUp() override {
    for (const char* name : {"2.10.txt", "2.9.txt", "a.md", "B.md", "skip.csv"}) {
      folder.Write(name, "x");
    }
    folder.MakeFolder("sub");
  }
  // OPEN of the folder, bound to "d".
  void OpenFolder() {
    const std::string open = "C:d:FileSys:Directory:FullName=" + folder.Path();
    const QuireObjectList opened = Evaluate(open);
    ASSERT_TRUE(status.IsOk()) << status.Text();
    ASSERT_EQ(opened.size(), 1u);
    Bind(open, opened[0]);
  }

  commands_test::TempFolder folder;
};

TEST_F(FileSysEvaluationTest, OpenBindsTheFolderNamedByItsFullName) {
  OpenFolder();
  const QuireBinding* bound = bindings.find("d");
  ASSERT_NE(bound, nullptr);
  QuireStatus readStatus;
  const QuireClass cls = bound->object().getClass(readStatus);
  EXPECT_EQ(cls.name(), "Directory");
  EXPECT_EQ(bound->object()
                .getAttributeValue(cls.findAttribute("FullName", readStatus), readStatus)
                .textValue(),
            folder.Path());
}

TEST_F(FileSysEvaluationTest, RepeatFiltersByPredicateAndSortsByDescendingThenNumericNoCase) {
  OpenFolder();
  // Files only (the sub-folder is dropped by class), no ".csv"; extension descending, then the
  // name numerically ("2.9" before "2.10") and without regard to case ("a" before "B").
  const QuireObjectList files = Evaluate(
      "R:f:FileSys:File:d:FileSys:Directory:N=Contents:!=A:FileSys:DirectoryObject::Extension:"
      "Scsv::R:FileSys:DirectoryObject::Extension,NF:FileSys:DirectoryObject::"
      "NameMinusExtension");
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(KeysOf(files), (Names{"2.9.txt", "2.10.txt", "a.md", "B.md"}));
}

TEST_F(FileSysEvaluationTest, UniqueSortKeepsOneObjectPerKey) {
  OpenFolder();
  const QuireObjectList files = Evaluate(
      "R:f:FileSys:File:d:FileSys:Directory:N=Contents::U:R:FileSys:DirectoryObject::Extension");
  ASSERT_TRUE(status.IsOk()) << status.Text();
  ASSERT_EQ(files.size(), 3u);
  QuireStatus readStatus;
  std::vector<std::string> extensions;
  for (const QuireObject& file : files) {
    const QuireClass cls = file.getClass(readStatus);
    extensions.push_back(
        file.getAttributeValue(cls.findAttribute("Extension", readStatus), readStatus).textValue());
  }
  EXPECT_EQ(extensions, (Names{"txt", "md", "csv"}));
}

TEST_F(FileSysEvaluationTest, LimitOnAnUnrelatedClassYieldsNothingWithSuccess) {
  OpenFolder();
  const QuireObjectList files = Evaluate("R:f:FileSys:File:d:FileSys:Directory:N=Contents:");
  ASSERT_FALSE(files.empty());
  Bind("R:f:FileSys:File:d:FileSys:Directory:N=Contents:", files[0]);
  EXPECT_TRUE(Evaluate("S:x:FileSys:Directory:f:FileSys:DirectoryObject::").empty());
  EXPECT_TRUE(status.IsOk()) << status.Text();
  // The same LIMIT on the file's own class keeps it.
  EXPECT_EQ(Evaluate("S:x:FileSys:File:f:FileSys:DirectoryObject::").size(), 1u);
}

TEST_F(EvaluationTest, NestedReplicatorListsTheBooksOfEachShelf) {
  BindLibrary("c", "Catalog", "catalog");
  QuireStatus parseStatus;
  const Replicator shelves(
      "R:s:Library:Shelf:c:Library:Catalog:N=shelves:|b:Library:Book:s:Library:Shelf:N=books:",
      parseStatus);
  ASSERT_TRUE(parseStatus.IsOk()) << parseStatus.Text();
  const QuireObjectList found = shelves.evaluate(status, bindings);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  ASSERT_EQ(KeysOf(found), (Names{"Fiction", "Science", "Empty"}));
  std::vector<Names> books;
  for (const QuireObject& shelf : found) {
    bindings.prepend(QuireBinding(GeneralSource(shelves.clone()), shelf));
    books.push_back(KeysOf(shelves.nested()->evaluate(status, bindings)));
    EXPECT_TRUE(status.IsOk()) << status.Text();
  }
  EXPECT_EQ(books, (std::vector<Names>{{"B1", "B2"}, {"B3", "B4"}, {}}));
}

TEST_F(EvaluationTest, UnaryStepThenNaryStepListsTheAuthorsWorks) {
  BindLibrary("b", "Book", "B2");
  EXPECT_EQ(KeysOf(Evaluate("R:w:Library:Book:b:Library:Book:U=author.N=works:")),
            (Names{"B2", "B4"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

TEST_F(EvaluationTest, ReplicatorKeepsOnlyObjectsOfItsClass) {
  BindLibrary("s", "Shelf", "Fiction");
  EXPECT_EQ(KeysOf(Evaluate("R:n:Library:Novel:s:Library:Shelf:N=books:")), (Names{"B1"}));
}

TEST_F(EvaluationTest, ReplicatorPredicateAndSortOnLibraryValues) {
  BindLibrary("c", "Catalog", "catalog");
  // The Science shelf's books: version descending numerically ("2.10" above "1.0"), then code;
  // and those whose author is Bea.
  const QuireObjectList all = Evaluate("R:s:Library:Shelf:c:Library:Catalog:N=shelves:");
  ASSERT_EQ(all.size(), 3u);
  Bind("R:s:Library:Shelf:c:Library:Catalog:N=shelves:", all[1]);  // Science
  EXPECT_EQ(KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:::RN:Library:Book::"
                            "version,A:Library:Book::code")),
            (Names{"B4", "B3"}));
  EXPECT_EQ(KeysOf(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:==A:Library:Book:U=author:"
                            "name:SBea")),
            (Names{"B4"}));
}

TEST_F(EvaluationTest, UnboundParentGives42WithItsName) {
  EXPECT_TRUE(Evaluate("R:b:Library:Book:s:Library:Shelf:N=books:").empty());
  EXPECT_EQ(status, QuireStatus(42, "s"));

  QuireStatus parseStatus;
  const Field field("F:v:Library:Book::title:SAA:", parseStatus);
  std::string link;
  QuireObject reached;
  EXPECT_TRUE(field.evaluate(status, bindings, 0, link, reached).isUndefined());
  EXPECT_EQ(status, QuireStatus(42, "v"));
}

TEST_F(EvaluationTest, CommonStartAndPathFailuresCarryTheirMessages) {
  BindLibrary("s", "Shelf", "Fiction");
  BindLibrary("a", "Author", "Ada");
  struct Case {
    std::string text;
    QuireStatus expected;
  };
  const Case cases[] = {
      {"R:b:Library:Book:s:Library:Shelf::", QuireStatus(39, "Replicator: ", HostString(40271))},
      {"R:w:Library:Author:s:Library:Shelf:N=books.U=author:",
       QuireStatus(40, "Replicator: ", HostString(40352))},
      {"R:b:Library:Book:s:Library:Book:U=shelf.N=books:",
       QuireStatus(40, "Replicator: ", HostString(40209))},
      {"S:b:Library:Book:s:Library:Book::", QuireStatus(40, "Replicator: ", HostString(40448))},
      {"R:w:Library:Book:a:Library:Author:U=mentor.N=works:",
       QuireStatus(63, HostMessageId{40448})},
      {"S:o:Library:Book:s:Library:Shelf:..OMIT", QuireStatus(39, "Stipulator")},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Evaluate(c.text).empty()) << c.text;
    EXPECT_EQ(status, c.expected) << c.text << " gave " << status.Text();
  }
  // A LIMIT that reaches no object is empty, without failure.
  EXPECT_TRUE(Evaluate("S:m:Library:Author:a:Library:Author:U=mentor:").empty());
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

TEST_F(EvaluationTest, ConnectorWithoutAssignmentsMakesTheObjectFromNoValues) {
  const QuireObjectList made = Evaluate("C:c:Library:Catalog:");
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(KeysOf(made), (Names{"catalog"}));
  EXPECT_TRUE(library().lastValues.empty());
  EXPECT_EQ(library().lastCompleteness, 2);
}

TEST_F(EvaluationTest, ConnectorHandsTypedValuesAndItsCompleteness) {
  EXPECT_EQ(KeysOf(Evaluate("C:s:Library:Shelf:name=Science")), (Names{"Science"}));
  EXPECT_EQ(library().lastCompleteness, 1);
  EXPECT_EQ(KeysOf(Evaluate("C:b:Library:Book:file=^S\\x2Fbooks\\x2FB3\\x2Etxt")), (Names{"B3"}));
  ASSERT_EQ(library().lastValues.size(), 1u);
  EXPECT_EQ(library().lastValues[0].type(), QuireType::FILENAME);
  EXPECT_EQ(library().lastCompleteness, 2);
  EXPECT_EQ(KeysOf(Evaluate("C:a:Library:Author:born=1950")), (Names{"Bea"}));
  EXPECT_EQ(library().lastValues[0].type(), QuireType::NUMBER);
  BindLibrary("a", "Author", "Cy");
  EXPECT_EQ(KeysOf(Evaluate("C:x:Library:Author:name=^Aa:Library:Author::name")), (Names{"Cy"}));
}

TEST_F(EvaluationTest, ConnectorExpandsSettingReferences) {
  setenv("COMMANDS_TEST_SHELF", "Fiction", 1);
  EXPECT_EQ(KeysOf(Evaluate("C:s:Library:Shelf:name=${COMMANDS_TEST_SHELF}")), (Names{"Fiction"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  unsetenv("COMMANDS_TEST_SHELF");
  EXPECT_TRUE(Evaluate("C:s:Library:Shelf:name=${COMMANDS_TEST_SHELF}").empty());
  EXPECT_EQ(status, QuireStatus(45, "Connector args"));
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
  EXPECT_TRUE(link.empty());

  // "X" carries flags, so the reached object's reference comes with the value.
  const Field linked("X:v:Library:Book::title:SAA:", parseStatus);
  EXPECT_EQ(linked.evaluate(status, bindings, 0, link, reached).textValue(), "Zebra Tales");
  EXPECT_EQ(link, "Library:Novel:code=B1");

  const int graphicReads = library().graphicReads;
  const Field cover("F:v:Library:Book::cover:GSA:", parseStatus);
  const QuireAttributeValue picture = cover.evaluate(status, bindings, 0, link, reached);
  ASSERT_EQ(picture.type(), QuireType::GRAPHIC);
  EXPECT_EQ(picture.graphic()->path(), "b1.png");
  EXPECT_EQ(library().graphicReads, graphicReads + 1);

  BindLibrary("a", "Author", "Ada");
  const Field mentor("F:a:Library:Author:U=mentor:name:SAA:", parseStatus);
  EXPECT_TRUE(mentor.evaluate(status, bindings, 0, link, reached).isUndefined());
  EXPECT_EQ(status, QuireStatus(63, HostMessageId{40448}));
}

TEST_F(EvaluationTest, FieldDisplayNameUsesDisplayAliases) {
  QuireStatus parseStatus;
  EXPECT_EQ(Field("F:v:Library:Book:U=shelf:floor:SAA:", parseStatus).displayName(status),
            "<v.shelf.floor>");
  EXPECT_EQ(Field("F:v:Library:Book:U=author:name:SAA:", parseStatus).displayName(status),
            "<v.writer.name>");
  EXPECT_EQ(Field("F:v:Library:Book::title:SAA:", parseStatus).displayName(status), "<v.Name>");
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Field("F:n:Library:Novel:S=Book:title:SAA:", parseStatus).displayName(status),
            "<n.Name>");
  EXPECT_EQ(status, QuireStatus(40, "Field"));
}

TEST_F(EvaluationTest, BindingListFindsTheFirstBindingOfAName) {
  BindLibrary("x", "Author", "Ada");
  BindLibrary("x", "Author", "Bea");
  BindLibrary("y", "Shelf", "Empty");
  EXPECT_EQ(KeysOf({bindings.find("x")->object()}), (Names{"Bea"}));
  EXPECT_EQ(bindings.find("z"), nullptr);
  EXPECT_TRUE(QuireBinding(Command("C:x:Library:Author:"), library().ObjectOf("Ada")) ==
              bindings[2]);
  EXPECT_FALSE(bindings[1] == bindings[2]);
}

// --- Push-down into a domain with an external schema ---

// The conditions a REPEAT handed down, applied to the card numbers.
class CardFilter : public QuireQueryFilter {
 public:
  explicit CardFilter(QuireStatus answer) : answer_(std::move(answer)) {}
  void openGroup(int32_t) override {}
  void closeGroup() override {}
  bool addCondition(const QuireAttribute&, int32_t op, const QuireValue& value,
                    QuireStatus& status) override {
    status = answer_;
    if (!status.IsOk()) return false;
    conditions.emplace_back(op, value.numberValue());
    return true;
  }
  std::vector<std::pair<int32_t, float>> conditions;

 private:
  QuireStatus answer_;
};

// "Archive": boxes of numbered cards, served as an external-schema domain with a query filter.
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
    // Cards are told apart by their label (the key).
    card.constructorArguments() = {QuireAttribute("label", QuireType::STRING, card)};
  }
  // Learns a class named by a selection that begins with "Kind", with one "id" argument.
  QuireObjectList getSelectedObjects(QuireStatus& status, const std::string& selection) override {
    status = QuireStatus();
    if (selection.rfind("Kind", 0) != 0) {
      status = QuireStatus(39, "Archive");
      return {};
    }
    QuireClass learned = addClass(selection);
    learned.constructorArguments() = {QuireAttribute("id", QuireType::STRING, learned)};
    return {};
  }
  QuireObject getSelectedObject(QuireStatus& status, const QuireClass&,
                                const std::string&) override {
    status = QuireStatus(39, "Archive");
    return {};
  }
  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues&, QuireStatus& status,
                         int) override {
    status = QuireStatus();
    return QuireObject(std::make_unique<LibraryObject>(cls, "box"));
  }
  QuireAttributeValue getGraphicAttributeValue(QuireStatus& status, const QuireAttribute& a,
                                               const std::string&,
                                               const QuireObject& local) override {
    return getAttributeValue(status, a, local);
  }
  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    status = QuireStatus();
    return QuireAttributeValue(attribute, std::stof(local.as<LibraryObject>()->key()));
  }
  QuireObject getUnaryRelatedObject(QuireStatus& status, const QuireRelationship&,
                                    const QuireObject&) override {
    status = QuireStatus();
    return {};
  }
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                             const QuireObject&, QuireObjectList& result) override {
    status = QuireStatus();
    ++plainReads;
    result.clear();
    for (const char* key : {"1", "2", "3", "4"}) {
      result.emplace_back(std::make_unique<LibraryObject>(relationship.target(), key));
    }
  }
  std::unique_ptr<QuireQueryFilter> newQueryFilter() override {
    return std::make_unique<CardFilter>(filterAnswer);
  }
  // Keeps the cards above every ">" bound handed down.
  void getFilteredNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                                     const QuireObject& local, const QuireQueryFilter& filter,
                                     QuireObjectList& result) override {
    ++filteredReads;
    QuireObjectList all;
    getNaryRelatedObjects(status, relationship, local, all);
    --plainReads;
    result.clear();
    for (QuireObject& card : all) {
      const float number = std::stof(card.as<LibraryObject>()->key());
      bool keep = true;
      for (const auto& [op, bound] : dynamic_cast<const CardFilter&>(filter).conditions) {
        keep = keep && op == 4 && number > bound;
      }
      if (keep) result.push_back(std::move(card));
    }
  }

  QuireStatus filterAnswer;
  int plainReads = 0;
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
    archive->plainReads = archive->filteredReads = 0;
    const std::string open = "C:x:Archive:Box:";
    const QuireObjectList box = Evaluate(open);
    ASSERT_EQ(box.size(), 1u) << status.Text();
    Bind(open, box[0]);
  }
  ArchiveDomain* archive = nullptr;
};

TEST_F(ArchiveTest, ExpressiblePredicateRunsInsideTheDomain) {
  EXPECT_EQ(KeysOf(Evaluate("R:c:Archive:Card:x:Archive:Box:N=cards:>A:Archive:Card::number:"
                            "N2.000")),
            (Names{"3", "4"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(archive->filteredReads, 1);
  EXPECT_EQ(archive->plainReads, 0);
}

TEST_F(ArchiveTest, InexpressiblePredicateRunsLocally) {
  EXPECT_EQ(KeysOf(Evaluate("R:c:Archive:Card:x:Archive:Box:N=cards:N>A:Archive:Card::number:"
                            "N2.000")),
            (Names{"1", "2"}));
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(archive->filteredReads, 0);
  EXPECT_EQ(archive->plainReads, 1);
}

TEST_F(ArchiveTest, AFailedPushDownEndsTheRepeatWithItsStatus) {
  archive->filterAnswer = QuireStatus(62, "Archive refused");
  EXPECT_TRUE(
      Evaluate("R:c:Archive:Card:x:Archive:Box:N=cards:>A:Archive:Card::number:N2.000").empty());
  EXPECT_EQ(status, QuireStatus(62, "Archive refused"));
  archive->filterAnswer = QuireStatus(61, "DomainExtensions");
  EXPECT_EQ(
      Evaluate("R:c:Archive:Card:x:Archive:Box:N=cards:>A:Archive:Card::number:N2.000").size(), 2u);
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

}  // namespace

namespace {

TEST_F(ArchiveTest, ConnectorLetsTheExternalDomainLearnAnUnknownClass) {
  QuireStatus parseStatus;
  const Connector learned("C:k:Archive:KindA:id=^SKindA", parseStatus);
  ASSERT_TRUE(parseStatus.IsOk()) << parseStatus.Text();
  EXPECT_EQ(learned.getClass().name(), "KindA");
  EXPECT_EQ(learned.print(parseStatus), "C:k:Archive:KindA:id=^SKindA");

  const Connector unknown("C:k:Archive:Other:id=^SOther", parseStatus);
  EXPECT_EQ(parseStatus, QuireStatus(63, HostMessageId{40394}, "Other")) << parseStatus.Text();
}

}  // namespace
