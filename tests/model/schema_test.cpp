// The schema (classes, attributes, relationships) and the domain base classes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/quire_status.h"
#include "model/quire_standard_domain.h"
#include "model/undefined_domain.h"
#include "platform/config.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

namespace {

using test_support::CapturedStderr;
constexpr auto kFirst = QuireFeatureList::kFirst;
constexpr auto kSecond = QuireFeatureList::kSecond;

// A standard domain whose schema the test's loader makes; counts the loads.
class TestDomain : public QuireStandardDomain {
 public:
  using Loader = std::function<void(TestDomain&, QuireStatus&)>;
  explicit TestDomain(std::string name = "Local", Loader loader = nullptr)
      : QuireStandardDomain(std::move(name)), loader_(std::move(loader)) {}
  void loadSchema(QuireStatus& status) override {
    ++loads;
    if (loader_) loader_(*this, status);
  }
  int loads = 0;

 private:
  Loader loader_;
};

class SchemaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::LoadSampleHostStrings(); }
  void SetUp() override { platform::ClearInitParametersForTesting(); }
  void TearDown() override { platform::ClearInitParametersForTesting(); }

  TestDomain domain_;
};

TEST_F(SchemaTest, AttributeIsFoundAlikeByNameAliasAndAkaAndAMissGivesKind37) {
  QuireClass part = domain_.addClass("Part");
  QuireAttribute weight("weight", QuireType::NUMBER, part);
  weight.setAlias("mass");
  weight.setAka("kg");
  part.attributeList(kFirst) = {QuireAttribute("colour", QuireType::STRING, part), weight};
  part.attributeList(kSecond) = {QuireAttribute("height", QuireType::NUMBER, part)};

  QuireStatus status;
  const QuireAttribute& byName = part.findAttribute("weight", status);
  EXPECT_EQ(byName.name(), "weight");
  for (const char* other : {"mass", "kg"}) {
    status = QuireStatus(5, "stale");
    EXPECT_EQ(&part.findAttribute(other, status), &byName) << other;
    EXPECT_TRUE(status.IsOk()) << other;
  }
  EXPECT_EQ(&part.findAttribute("height", status), &QuireAttribute::undefined());
  EXPECT_EQ(status, QuireStatus(kUnknownAttribute, "The class has no attribute named height."));
  EXPECT_EQ(part.findAttribute("height", status, kSecond).name(), "height");
}

TEST_F(SchemaTest, RelationshipLookupSearchesTheListOfItsKind) {
  QuireClass order = domain_.addClass("Order");
  QuireRelationship lines("lines", QuireRelationship::kNary, order, order);
  lines.setAka("items");
  order.naryList(kFirst).push_back(lines);
  QuireStatus status;
  EXPECT_EQ(order.findRelationship("items", QuireRelationship::kNary, status).name(), "lines");
  EXPECT_TRUE(order.findRelationship("lines", QuireRelationship::kUnary, status).isUndefined());
  EXPECT_EQ(status, QuireStatus(kNavigationError, "No such relationship: lines"));
}

// Leaf has two superclasses; only the second, Right, leads up to Base.
class InheritanceTest : public SchemaTest {
 protected:
  void SetUp() override {
    leaf_.addSuperclass(left_);
    leaf_.addSuperclass(right_);
    right_.addSuperclass(base_);  // after Leaf joined Right: Leaf must still reach Base
  }
  static std::vector<std::string> Targets(const std::vector<QuireRelationship>& links) {
    std::vector<std::string> names;
    for (const QuireRelationship& link : links) names.push_back(link.target().name());
    return names;
  }
  QuireClass base_ = domain_.addClass("Base");
  QuireClass left_ = domain_.addClass("Left");
  QuireClass right_ = domain_.addClass("Right");
  QuireClass leaf_ = domain_.addClass("Leaf");
};

TEST_F(InheritanceTest, ChainFollowsTheSuperclassThatLeadsToBase) {
  CX_TSingleList<QuireRelationship> chain;
  const std::string trace = CapturedStderr([&] { chain = leaf_.getInheritanceChain(base_); });
  ASSERT_EQ(chain.Length(), 2u);
  EXPECT_EQ(chain.ItemAt(0), QuireRelationship::link(0, leaf_, right_));
  EXPECT_EQ(chain.ItemAt(1), QuireRelationship::link(0, right_, base_));
  EXPECT_EQ(trace,
            "Inside while loop in getInheritanceChain - current=Leaf, base=Base\n"
            "Inside iterator in gIC - currentSuperClass=Left\n"
            "Inside iterator in gIC - currentSuperClass=Right\n"
            "Inside while loop in getInheritanceChain - current=Right, base=Base\n"
            "Inside iterator in gIC - currentSuperClass=Base\n");
  EXPECT_EQ(CapturedStderr([&] { chain = leaf_.getInheritanceChain(leaf_); }), "");
  EXPECT_TRUE(chain.IsEmpty());
}

TEST_F(InheritanceTest, TransitiveListsReachEveryClassOnceAndCyclesAreRefused) {
  left_.addSuperclass(base_);   // a diamond: Base is reached twice from Leaf
  leaf_.addSuperclass(right_);  // and a repeated link
  EXPECT_EQ(Targets(leaf_.superclassLinks()), (std::vector<std::string>{"Left", "Right"}));
  EXPECT_EQ(Targets(leaf_.allSuperclassLinks()),
            (std::vector<std::string>{"Left", "Right", "Base"}));
  EXPECT_EQ(Targets(base_.allSubclassLinks()), (std::vector<std::string>{"Right", "Leaf", "Left"}));
  EXPECT_TRUE(leaf_.isSubclassOf(base_));

  const std::string message = CapturedStderr([&] { base_.addSuperclass(leaf_); });
  EXPECT_EQ(message.rfind("***QuireClass::addSuperclass: Leaf", 0), 0u) << message;
  EXPECT_TRUE(base_.allSuperclassLinks().empty());
}

TEST_F(SchemaTest, ChangingAClassAliasRebindsItInTheDomain) {
  QuireClass cls = domain_.addClass("Requirement");
  cls.setAlias("Req");
  cls.setAka("R");
  cls.setAlias("Need");
  QuireStatus status;
  for (const char* name : {"Requirement", "Need", "R"}) {
    EXPECT_EQ(domain_.findClass(name, status), cls) << name;
  }
  EXPECT_TRUE(domain_.findClass("Req", status).isUndefined());
  EXPECT_EQ(status, QuireStatus(kEvaluationError, "Not defined: Req"));

  // A name already bound keeps its first class; the second class keeps the alias text.
  QuireClass other = domain_.addClass("Defect");
  other.setAlias("Need");
  EXPECT_EQ(domain_.findClass("Need", status), cls);
  EXPECT_EQ(other.alias(), "Need");
  other.setAlias("Bug");
  EXPECT_EQ(domain_.findClass("Need", status), cls);
  EXPECT_EQ(domain_.findClass("Bug", status), other);
}

TEST_F(SchemaTest, UndefinedClassBelongsToTheCurrentUndefinedDomain) {
  QuireClass undefined;
  EXPECT_EQ(undefined.name(), "undefined");
  EXPECT_TRUE(IsUndefinedDomain(undefined.domain()));
  DestroyUndefinedDomain();
  EXPECT_TRUE(IsUndefinedDomain(undefined.domain()));
  EXPECT_EQ(undefined.domain().name(), "Undefined");
}

TEST_F(SchemaTest, ExtractedValueIsCutBetweenTheMarkers) {
  struct Case {
    const char *text, *start, *end, *expected;
  };
  const Case cases[] = {
      {"x Owner: Ann", "Owner: ", ";", "Ann"},     // no end marker after it: to the end
      {"Owner: Ann\nnext", "Owner: ", "", "Ann"},  // empty end marker: to the line feed
      {"Nobody here", "Owner: ", ";", ""},         // start marker absent
      {"Owner: Ann", "", ";", ""},                 // empty start marker
      {"[a]", "[", "]", "a"},                      // just longer than both markers
      {"[]", "[", "]", ""},                        // not longer than both markers
      {"a[b]c[d]", "[", "]", "b"},                 // the first occurrence wins
  };
  QuireAttribute body("body", QuireType::STRING, domain_.addClass("Doc"));
  for (const Case& c : cases) {
    EXPECT_EQ(QuireAttribute("cut", body, c.start, c.end).extractFrom(c.text), c.expected)
        << c.text;
  }
}

TEST_F(SchemaTest, AttributeCopiesAreDeep) {
  QuireClass cls = domain_.addClass("Doc");
  QuireAttribute body("body", QuireType::FILENAME, cls);
  auto cut = std::make_unique<QuireAttribute>("cut", body, "<", ">");
  auto script = std::make_unique<QuireAttribute>("run", cls, "echo", std::vector{body});
  QuireAttribute cutCopy = *cut;
  QuireAttribute scriptCopy;
  scriptCopy = *script;
  cut.reset();
  script.reset();
  EXPECT_EQ(cutCopy.baseAttribute().name(), "body");
  EXPECT_EQ(cutCopy.getClass(), cls);
  ASSERT_EQ(scriptCopy.scriptArguments().size(), 1u);
  EXPECT_EQ(scriptCopy.scriptArguments()[0].name(), "body");

  // A change to a copy never shows in the attribute it was copied from, nor the other way.
  QuireAttribute renamed = body;
  renamed.setName("title");
  renamed.setAlias("Title");
  body.setType(QuireType::STRING);
  EXPECT_EQ(body.name(), "body");
  EXPECT_EQ(body.alias(), "");
  EXPECT_EQ(renamed.type(), QuireType::FILENAME);
  EXPECT_EQ(renamed.displayAlias(), "Title");
  QuireAttribute moved = std::move(renamed);
  EXPECT_EQ(moved.name(), "title");
  renamed.setName("again");  // a moved-from attribute still takes a new record
  EXPECT_EQ(renamed.name(), "again");
  EXPECT_EQ(moved.name(), "title");
}

TEST_F(SchemaTest, SchemaIsLoadedOnceAndAFailureIsLoggedKeepingWhatWasMade) {
  const QuireStatus failure(kUnreadableArgument, "schema file unreadable");
  TestDomain domain("Broken", [&](TestDomain& self, QuireStatus& status) {
    self.addClass("Made");
    self.addClass("Made");  // the same class again
    self.classList();       // asking while loading does not load again
    status = failure;
  });
  platform::ResetLogThresholdForTesting();
  const std::string log = CapturedStderr([&] { domain.classList(); });
  EXPECT_NE(log.find(" Critical error: " + failure.Text() + "\n"), std::string::npos) << log;
  QuireStatus status;
  EXPECT_EQ(domain.findClass("Made", status), domain.classList().at(0));
  EXPECT_EQ(domain.classList().size(), 1u);
  EXPECT_EQ(domain.loads, 1);
}

TEST_F(SchemaTest, StandardDomainOffersNoSelectedObjects) {
  const QuireStatus expected(kProcessingError,
                             "QuireStandardDomain::getSelectedObject: "
                             "This domain does not support selected objects.");
  QuireStatus status;
  EXPECT_TRUE(domain_.getSelectedObjects(status, "a|b").empty());
  EXPECT_EQ(status, expected);
  status = QuireStatus();
  EXPECT_TRUE(domain_.getSelectedObject(status, QuireClass(), "a|b").isUndefined());
  EXPECT_EQ(status, expected);
}

void ReadName(QuireValue& result, const QuireObject&, QuireStatus&) {
  result = QuireValue("report.txt");
}

TEST_F(SchemaTest, StandardDomainCallsTheAccessFunctionsAndNamesWhatHasNone) {
  QuireClass cls = domain_.addClass("Doc");
  QuireStatus status(5, "stale");
  QuireAttributeValue value = domain_.getAttributeValue(
      status, QuireAttribute("file", QuireType::FILENAME, cls, &ReadName), QuireObject());
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(value.type(), QuireType::FILENAME);  // wrapped and retyped for the attribute
  EXPECT_EQ(value.textValue(), "report.txt");

  value = domain_.getAttributeValue(status, QuireAttribute("free", QuireType::STRING, cls),
                                    QuireObject());
  EXPECT_TRUE(value.isUndefined());
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_NE(status.Message().find("free"), std::string::npos) << status.Message();
  EXPECT_TRUE(domain_.makeObject(cls, {}, status, 3).isUndefined());
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_NE(status.Message().find("Doc"), std::string::npos) << status.Message();
}

}  // namespace
