// Object handles: undefined-object fallbacks, makeObject, attribute values and navigation.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_object.h"
#include "model/quire_standard_domain.h"
#include "platform/config.h"
#include "tests/common/keyed_object.h"
#include "tests/common/test_support.h"

namespace {

using test_support::CapturedStderr;
using test_support::KeyedObject;

QuireObject Make(const QuireClass& cls, QuireArgumentValues values = {}) {
  return QuireObject(std::make_unique<KeyedObject>(cls, "", std::move(values)));
}

class TestDomain : public QuireStandardDomain {
 public:
  using QuireStandardDomain::QuireStandardDomain;
  void loadSchema(QuireStatus& status) override { status = QuireStatus(); }
};

std::map<std::string, TestDomain*> domains;
QuireClass itemClass, fileClass;

QuireAbstractDomain& FindTestDomain(QuireStatus& status, const std::string& name) {
  status = QuireStatus();
  if (domains.count(name) != 0) return *domains[name];
  status = QuireStatus(kEvaluationError, "no domain ", name);
  return *domains.begin()->second;
}

// Reads the first value's text.
void ReadFirst(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  result = QuireValue(object.as<KeyedObject>()->arguments().at(0).textValue());
}
// The constructor entry of a class: an object of it with the values.
template <QuireClass* cls>
void MakeOf(QuireObject& result, const QuireArgumentValues& values, QuireStatus& status) {
  status = QuireStatus();
  result = Make(*cls, values);
}

class ObjectTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test_support::LoadSampleHostStrings();
    unsetenv("QuireComSpec");
    unsetenv("ComSpec");
    for (const auto& [name, converting] :
         {std::pair{"Shop", false}, std::pair{"FileSys", false}, std::pair{"Remote", true}}) {
      domains[name] = new TestDomain(name, converting);
    }
    itemClass = domains["Shop"]->addClass("Item");
    itemClass.constructorArguments() = {QuireAttribute("code", QuireType::STRING, itemClass),
                                        QuireAttribute("count", QuireType::NUMBER, itemClass)};
    itemClass.setConstructorEntry(MakeOf<&itemClass>);
    fileClass = domains["FileSys"]->addClass("File");
    fileClass.constructorArguments() = {QuireAttribute("path", QuireType::FILENAME, fileClass)};
    fileClass.setConstructorEntry(MakeOf<&fileClass>);
    domains["Remote"]->addClass("Doc");
    SetDomainFinder(FindTestDomain);
  }
  static void TearDownTestSuite() {
    SetDomainFinder(nullptr);
    for (auto& entry : domains) delete entry.second;
    domains.clear();
  }
  static QuireObject Item(const std::string& code, float count) {
    return Make(itemClass, {QuireAttributeValue(itemClass.constructorArguments()[0], code),
                            QuireAttributeValue(itemClass.constructorArguments()[1], count)});
  }
  static QuireClass RemoteDoc() {
    QuireStatus status;
    return domains["Remote"]->findClass("Doc", status);
  }
  static QuireAttribute Label(const QuireClass& cls) {
    return QuireAttribute("label", QuireType::STRING, cls, ReadFirst);
  }
  QuireStatus status;
};

TEST_F(ObjectTest, UndefinedObjectWritesItsMessageAndFallsBack) {
  const QuireObject undefined = QuireObject::undefined();
  const QuireRelationship& none = QuireRelationship::undefined();
  QuireArgumentValues list(1);
  const struct {
    std::function<void()> call;
    std::string line;
  } rows[] = {
      {[&] { EXPECT_TRUE(undefined.getClass(status).isUndefined()); },
       "***ERROR, getClass() called on undefined object***\n"},
      {[&] {
         undefined.getConstructorArguments(list, false, status);
         EXPECT_TRUE(list.empty());
       },
       "***ERROR, getConstructorArguments() called on undefined object***\n"},
      {[&] { EXPECT_TRUE(undefined.getAttributeValue(Label(itemClass), status).isUndefined()); },
       "***ERROR, getAttributeValue() called on undefined object***\n"},
      {[&] { EXPECT_TRUE(undefined.getGraphicAttributeValue({}, "i", status).isUndefined()); },
       "***ERROR graphic getAttributeValue called with undefined object***\n"},
      {[&] { EXPECT_TRUE(undefined.getUnaryRelatedObject(none, status).isUndefined()); },
       "***ERROR - getUnaryRelatedObject called with undefined object\n"},
      {[&] { EXPECT_TRUE(undefined.getNaryRelatedObjects(none, status).empty()); },
       "***ERROR - getNaryRelatedObjects called with undefined object\n"},
      {[&] { EXPECT_EQ(undefined.referenceText(status), "Undefined"); },
       "***ERROR - writeImage called with undefined object\n"},
      {[&] { undefined.display(status); }, "***ERROR display called with undefined object\n"},
  };
  for (const auto& row : rows) {
    status = QuireStatus();
    EXPECT_EQ(CapturedStderr(row.call), row.line);
    EXPECT_EQ(status,
              QuireStatus(kEvaluationError, "The operation was applied to an undefined object."));
  }
}

TEST_F(ObjectTest, ReferenceTextRoundTripsThroughMakeObject) {
  const QuireObject item = Item("a b:c,d=e\\f", 2.5f);
  const std::string reference = item.referenceText(status);
  EXPECT_EQ(reference, "Shop:Item:code=a\\x20b\\x3Ac\\x2Cd\\x3De\\x5Cf,count=2.500");
  EXPECT_EQ(item.identifierText(status), "code=a b:c,d=e\\f,count=2.500");
  const QuireObject made = QuireObject::makeObject(reference, status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(made, item);
  EXPECT_EQ(made.as<KeyedObject>()->arguments()[0].textValue(), "a b:c,d=e\\f");
  EXPECT_NE(made, Item("a b:c,d=e\\f", 3.0f));
}

TEST_F(ObjectTest, BadIdentifiersGiveTheUndefinedObjectAndAStatus) {
  const std::string failed = "***makeObject returning undefined object***\n";
  const std::string error = "*** Error in QuireAttributeValue: ";
  const struct {
    std::string identifier;
    QuireStatus status;
    std::string lines;
  } rows[] = {
      {"Shop:Item", QuireStatus(kProcessingError, "Shop:Item is not a valid object identifier."),
       failed},
      {"Nowhere:Item:code=a", QuireStatus(kEvaluationError, "no domain ", "Nowhere"), failed},
      {"Shop:Nothing:", QuireStatus(kEvaluationError, "Not defined: Nothing"), failed},
      {"Shop:Item:kode=a",
       QuireStatus(kUnreadableArgument, host_message::kIdentifierArgumentUnreadable),
       error + "the 'kode' argument doesn't match the corresponding code argument of its class\n" +
           failed},
      {"Shop:Item:a", QuireStatus(kUnreadableArgument, host_message::kIdentifierArgumentUnreadable),
       error + "can't parse writeImage, no name specified\n" + failed},
  };
  for (const auto& row : rows) {
    QuireObject made;
    EXPECT_EQ(CapturedStderr([&] { made = QuireObject::makeObject(row.identifier, status); }),
              row.lines)
        << row.identifier;
    EXPECT_TRUE(made.isUndefined());
    EXPECT_EQ(status, row.status) << row.identifier;
  }
}

TEST_F(ObjectTest, AnyIdentifierTextGivesAnObjectOrAStatus) {
  std::mt19937 random(7);
  const std::string alphabet = "ShopItemcd:,=\\x|2";
  CapturedStderr([&] {
    for (int i = 0; i < 2000; ++i) {
      std::string text = random() % 2 ? "Shop:Item:" : "";
      for (unsigned n = random() % 24; n > 0; --n) text += alphabet[random() % alphabet.size()];
      const QuireObject made = QuireObject::makeObject(text, status);
      EXPECT_NE(made.isUndefined(), status.IsOk()) << text;
    }
  });
}

TEST_F(ObjectTest, ScriptAttributeRunsWithQuotedArguments) {
  test_support::TempFolder folder;
  const std::string marker = folder.Path("injected");
  const std::string code = "it's; touch " + marker + "; echo '$(id)'";
  const QuireAttribute script("run", itemClass, "printf '[%s][%s]'",
                              {Label(itemClass), Label(itemClass)});
  const QuireAttributeValue value = Item(code, 1.0f).getAttributeValue(script, status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(value.textValue(), "[" + code + "][" + code + "]");
  EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(ObjectTest, ScriptAttributeFailureIsReported) {
  const QuireAttribute failing("run", itemClass, "false", {});
  std::string lines = CapturedStderr([&] { Item("x", 1.0f).getAttributeValue(failing, status); });
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_NE(lines.find("Error in executing false in script attribute run\n"), std::string::npos)
      << lines;
}

TEST_F(ObjectTest, ConvertingObjectsBecomeFileSystemObjects) {
  const QuireAttribute docRef("ref", QuireType::STRING, RemoteDoc());
  const QuireObject doc = Make(RemoteDoc(), {QuireAttributeValue(docRef, "/tmp/a b")});
  const QuireAttributeValue path = doc.getAttributeValue(Label(fileClass), status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(path.textValue(), "/tmp/a b");

  const QuireAttribute number("n", QuireType::NUMBER, RemoteDoc());
  const QuireObject numbered = Make(RemoteDoc(), {QuireAttributeValue(number, 1.0f)});
  EXPECT_EQ(CapturedStderr([&] { numbered.getAttributeValue(Label(fileClass), status); }),
            "Bad status in staticGetLocalObject\n");
  EXPECT_EQ(status, QuireStatus(kEvaluationError,
                                "The object could not be converted for the domain FileSys."));
  EXPECT_TRUE(doc.getAttributeValue(Label(itemClass), status).isUndefined());
  EXPECT_EQ(status, QuireStatus(kEvaluationError,
                                "Objects of this domain cannot be used with the class Item."));
}

TEST_F(ObjectTest, NavigationFromAnObjectThatCannotBeConvertedIsReported) {
  const QuireRelationship next("next", QuireRelationship::kUnary, itemClass, itemClass);
  const QuireRelationship parts("parts", QuireRelationship::kNary, itemClass, itemClass);
  const QuireObject doc = Make(RemoteDoc(), {});
  QuireObject related;
  std::string lines = CapturedStderr([&] { related = doc.getUnaryRelatedObject(next, status); });
  EXPECT_TRUE(related.isUndefined());
  EXPECT_EQ(lines, "***Bad status in getUnaryRelatedObject:" + status.Text() +
                       " - returning null object**\n");
  lines = CapturedStderr([&] { EXPECT_TRUE(doc.getNaryRelatedObjects(parts, status).empty()); });
  EXPECT_EQ(lines, "*** Bad status in getNaryRelatedObjects:" + status.Text() +
                       " - returning empty set**\n");
  EXPECT_EQ(status.Kind(), kEvaluationError);
}

}  // namespace
