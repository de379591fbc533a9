// Remote objects and the remote domain's data operations against the orchard domain library,
// loaded for real: the exact queries it receives, what its answers become, and every failure's
// diagnostic line and status.
#include "domains/remote_object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "domains/domain_library_table.h"
#include "domains/domain_loader.h"
#include "domains/domain_registry.h"
#include "domains/kestrel_pictures.h"
#include "domains/remote_domain.h"
#include "model/domain_lookup.h"
#include "model/picture_request.h"
#include "platform/config.h"
#include "tests/common/orchard_domain.h"
#include "tests/common/test_support.h"

namespace {

namespace fs = std::filesystem;
using orchard::Received;
using test_support::CapturedStderr;
using test_support::ReadFile;

class RemoteObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    platform::ClearInitParametersForTesting();
    DomainLibraryTable::instance().ForgetForTesting();
    DomainRegistry::instance().deleteAllDomains();
    SetDomainFinder(&getDomain);  // other tests of this program install their own
    domain_ = &orchard::RegisterDomain();
    tree_ = Class("Tree");
    fruit_ = Class("Fruit");
    apple_ = Class("Apple");
  }
  void TearDown() override {
    DomainRegistry::instance().deleteAllDomains();
    DomainLibraryTable::instance().ForgetForTesting();
    InstalledDomainReaders() = DomainReaders{};
    ResetDomainLoadingForTesting();
    platform::ClearInitParametersForTesting();
  }

  QuireClass Class(const std::string& name) {
    QuireStatus status;
    const QuireClass cls = domain_->findClass(name, status);
    EXPECT_TRUE(status.IsOk()) << status.Text();
    return cls;
  }
  static QuireAttributeValue Value(const QuireClass& cls, size_t list, size_t index,
                                   const std::string& text) {
    const std::vector<QuireAttribute>* lists[] = {
        &cls.connectorArguments(), &cls.constructorArguments(), &cls.selectorArguments()};
    return QuireAttributeValue::fromText(text, (*lists[list])[index]);
  }
  // An object that the library knows, made without asking it.
  static QuireObject Known(const QuireClass& cls, const std::string& identifier) {
    return QuireObject(std::make_unique<QuireRemoteObject>(cls, identifier));
  }
  static std::string IdOf(const QuireObject& object) {
    const auto* remote = object.as<QuireRemoteObject>();
    return remote == nullptr ? "<none>" : remote->identifier();
  }
  static std::string ClassOf(const QuireObject& object) {
    QuireStatus status;
    return object.isUndefined() ? "<undefined>" : object.getClass(status).name();
  }
  const QuireAttribute& Attribute(const QuireClass& cls, const std::string& name) {
    QuireStatus status;
    const QuireAttribute& attribute = cls.findAttribute(name, status);
    EXPECT_TRUE(status.IsOk()) << status.Text();
    return attribute;
  }
  const QuireRelationship& Relationship(const QuireClass& cls, const std::string& name,
                                        int32_t kind) {
    QuireStatus status;
    const QuireRelationship& relationship = cls.findRelationship(name, kind, status);
    EXPECT_TRUE(status.IsOk()) << status.Text();
    return relationship;
  }

  orchard::Installation installation_;
  QuireRemoteDomain* domain_ = nullptr;
  QuireClass tree_, fruit_, apple_;
};

// ---- construction --------------------------------------------------------------------------

TEST_F(RemoteObjectTest, EachArgumentListHasItsQueryAndTheObjectTakesItsActualClass) {
  QuireStatus status;
  const QuireObject connected =
      domain_->makeObject(tree_, {Value(tree_, 0, 0, "North"), Value(tree_, 0, 1, "1")}, status, 1);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(connected), "T1");
  // A value with a blank and a backslash travels encoded.
  const QuireObject constructed =
      domain_->makeObject(tree_, {Value(tree_, 1, 0, "Back\\slash tree")}, status, 2);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(constructed), "T2");
  // The values of the constructor2 list choose it, whatever the completeness.
  const QuireObject second = domain_->makeObject(tree_, {Value(tree_, 2, 0, "1")}, status, 3);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(second), "T1");
  // Asked for as a Fruit, the library's object is an Apple.
  const QuireObject apple = domain_->makeObject(
      fruit_, {Value(fruit_, 1, 0, "Red"), Value(fruit_, 1, 1, "0.25")}, status, 2);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(apple), "F1");
  EXPECT_EQ(ClassOf(apple), "Apple");

  EXPECT_EQ(Received(),
            "#Connect# Tree North 1.000\n#GetClass# T1 Tree\n"
            "#Construct# Tree Back\\x5Cslash\\x20tree\n#GetClass# T2 Tree\n"
            "#Construct2# Tree 1.000\n#GetClass# T1 Tree\n"
            "#Construct# Fruit Red 0.250\n#GetClass# F1 Fruit\n");
}

TEST_F(RemoteObjectTest, ArgumentsThatDoNotFitAreRefusedBeforeAnythingIsAsked) {
  QuireStatus status;
  const QuireRemoteObject unknownList(tree_, {Value(tree_, 1, 0, "Old oak")}, 4, status);
  EXPECT_EQ(status, QuireStatus(kProcessingError, host_message::kUnknownArgumentList));
  EXPECT_TRUE(unknownList.isUndefined());
  EXPECT_EQ(unknownList.identifier(), "undefined");

  // A Fruit's value given to a Tree, and a value more than the list declares.
  for (const QuireArgumentValues& values :
       {QuireArgumentValues{Value(fruit_, 1, 0, "Red")},
        QuireArgumentValues{Value(tree_, 1, 0, "Old oak"), Value(tree_, 1, 0, "again")}}) {
    const std::string lines = CapturedStderr(
        [&] { EXPECT_TRUE(domain_->makeObject(tree_, values, status, 2).isUndefined()); });
    EXPECT_EQ(status, QuireStatus(kArgumentMismatch, host_message::kArgumentNotOfDeclaredClass));
    EXPECT_EQ(lines, "***makeObject returning undefined object***\n");
  }
  EXPECT_EQ(Received(), "");
}

TEST_F(RemoteObjectTest, ConstructionFailuresWriteTheirLineAndGiveTheUndefinedObject) {
  const std::string prefix = "*** QuireRemoteObject::QuireRemoteObject: ";
  const std::string guard = "***makeObject returning undefined object***\n";
  QuireStatus status;
  QuireObject made;

  std::string lines = CapturedStderr(
      [&] { made = domain_->makeObject(tree_, {Value(tree_, 1, 0, "Failing")}, status, 2); });
  EXPECT_TRUE(made.isUndefined());
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, "the tree failed"));
  EXPECT_EQ(lines, prefix + "Bad status from query - " + status.Text() + "\n" + guard);

  lines = CapturedStderr(
      [&] { made = domain_->makeObject(tree_, {Value(tree_, 1, 0, "Nobody")}, status, 2); });
  EXPECT_TRUE(made.isUndefined());
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, host_message::kNothingReturned, "Tree",
                                "#Construct# Tree Nobody"));
  EXPECT_EQ(lines, prefix + "No argument returned\n" + guard);

  // G9 is of a class that the domain does not know.
  lines = CapturedStderr(
      [&] { made = domain_->makeObject(fruit_, {Value(fruit_, 1, 0, "Ghost")}, status, 2); });
  EXPECT_TRUE(made.isUndefined());
  EXPECT_EQ(status, QuireStatus(kEvaluationError, host_message::kNotDefined, "Banana"));
  EXPECT_EQ(lines, prefix + "Could not get object class - " + status.Text() + "\n" + guard);
  EXPECT_EQ(Received(),
            "#Construct# Tree Failing\n#Construct# Tree Nobody\n#Construct# Fruit Ghost\n"
            "#GetClass# G9 Fruit\n");

  // A domain without a library.
  QuireRemoteDomain& nowhere = orchard::RegisterDomain("Nowhere");
  QuireStatus lookup;
  const QuireClass lonely = nowhere.findClass("Tree", lookup);
  lines = CapturedStderr(
      [&] { made = nowhere.makeObject(lonely, {Value(lonely, 1, 0, "Old oak")}, status, 2); });
  EXPECT_TRUE(made.isUndefined());
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_NE(lines.find(prefix + "Bad status from query - " + status.Text() + "\n" + guard),
            std::string::npos)
      << lines;
}

// ---- class and arguments -------------------------------------------------------------------

TEST_F(RemoteObjectTest, TheDerivedClassIsAskedForAndEachFailureNamed) {
  const std::string prefix = "*** QuireRemoteObject::getDerivedClass: ";
  QuireStatus status;
  EXPECT_EQ(QuireRemoteObject(fruit_, "F2").getDerivedClass(status), apple_);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Received(), "#GetClass# F2 Fruit\n");

  QuireClass cls;
  std::string lines =
      CapturedStderr([&] { cls = QuireRemoteObject(tree_, "Z0").getDerivedClass(status); });
  EXPECT_TRUE(cls.isUndefined());
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, host_message::kNothingReturned, "Z0",
                                "#GetClass# Z0 Tree"));
  EXPECT_EQ(lines, prefix + "No argument returned\n");

  lines = CapturedStderr([&] { cls = QuireRemoteObject(fruit_, "G9").getDerivedClass(status); });
  EXPECT_TRUE(cls.isUndefined());
  EXPECT_EQ(lines, prefix + "Could not construct class - " + status.Text() + "\n");

  lines = CapturedStderr([&] { cls = QuireRemoteObject(tree_, "Q7").getDerivedClass(status); });
  EXPECT_TRUE(cls.isUndefined());
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, "unknown object Q7"));
  EXPECT_EQ(lines, prefix + "Bad status from query -> " + status.Text() + "\n");
}

TEST_F(RemoteObjectTest, DecomposedLinesAreDecodedTypedAndBuildTheReference) {
  QuireStatus status;
  QuireArgumentValues values;
  Known(apple_, "F2").getConstructorArguments(values, false, status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].type(), QuireType::STRING);
  EXPECT_EQ(values[0].textValue(), "Green");
  EXPECT_EQ(values[1].type(), QuireType::NUMBER);
  EXPECT_FLOAT_EQ(values[1].numberValue(), 0.5f);

  const QuireObject t2 = Known(tree_, "T2");
  t2.getConstructorArguments(values, false, status);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].textValue(), "Back\\slash tree");
  EXPECT_EQ(Received(), "#Decompose# F2 Apple\n#Decompose# T2 Tree\n");

  EXPECT_EQ(t2.referenceText(status), "Orchard:Tree:Name=Back\\x5Cslash\\x20tree");
  EXPECT_EQ(t2.identifierText(status), "Name=Back\\slash tree");
  // Objects are equal by class and arguments.
  EXPECT_TRUE(t2 == Known(tree_, "T2"));
  EXPECT_FALSE(t2 == Known(tree_, "T1"));
}

TEST_F(RemoteObjectTest, ALineMoreThanTheClassDeclaresOrAFailedQueryEmptiesTheArguments) {
  const std::string prefix = "*** QuireRemoteObject::getConstructorArguments: ";
  QuireStatus status;
  QuireArgumentValues values{Value(tree_, 1, 0, "stale")};
  std::string lines = CapturedStderr(
      [&] { QuireRemoteObject(tree_, "X1").getConstructorArguments(values, false, status); });
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(status, QuireStatus(kArgumentMismatch, host_message::kMoreArgumentsThanDeclared));
  EXPECT_EQ(lines, prefix + "Argument mismatch: " + status.Text() + "\n");

  values = {Value(tree_, 1, 0, "stale")};
  lines = CapturedStderr(
      [&] { QuireRemoteObject(tree_, "Q7").getConstructorArguments(values, false, status); });
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, "unknown object Q7"));
  EXPECT_EQ(lines, prefix + "Bad status from query: " + status.Text() + "\n");
  // The reference of an object without readable arguments.
  lines = CapturedStderr([&] { EXPECT_EQ(Known(tree_, "X1").referenceText(status), "Undefined"); });
  EXPECT_EQ(status.Kind(), kArgumentMismatch);
}

// An identifier text names the domain, class and arguments; the model rebuilds the object
// through the remote domain (completeness 3: the constructor list).
TEST_F(RemoteObjectTest, AnIdentifierTextBuildsTheRemoteObject) {
  QuireStatus status;
  const QuireObject t1 = QuireObject::makeObject("Orchard:Tree:Name=Old\\x20oak", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(t1), "T1");
  EXPECT_EQ(ClassOf(t1), "Tree");
  EXPECT_EQ(Received(), "#Construct# Tree Old\\x20oak\n#GetClass# T1 Tree\n");

  // What an object's reference says builds the same object again.
  const QuireObject apple = Known(apple_, "F1");
  const QuireObject rebuilt = QuireObject::makeObject(apple.referenceText(status), status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(rebuilt), "F1");
  EXPECT_TRUE(rebuilt == apple);

  // An identifier that the library does not know: both guards speak.
  QuireObject missing;
  const std::string lines = CapturedStderr(
      [&] { missing = QuireObject::makeObject("Orchard:Tree:Name=Nobody", status); });
  EXPECT_TRUE(missing.isUndefined());
  EXPECT_EQ(status.Kind(), kInformationSourceError);
  EXPECT_EQ(lines,
            "*** QuireRemoteObject::QuireRemoteObject: No argument returned\n"
            "***makeObject returning undefined object***\n"
            "***makeObject returning undefined object***\n");
}

// ---- values --------------------------------------------------------------------------------

TEST_F(RemoteObjectTest, AttributeValuesAreTypedByTheirAttribute) {
  QuireStatus status;
  const QuireObject t1 = Known(tree_, "T1");
  const QuireAttributeValue height = t1.getAttributeValue(Attribute(tree_, "Height"), status);
  EXPECT_EQ(height.type(), QuireType::NUMBER);
  EXPECT_FLOAT_EQ(height.numberValue(), 12.5f);
  const QuireAttributeValue bearing = t1.getAttributeValue(Attribute(tree_, "Bearing"), status);
  EXPECT_EQ(bearing.type(), QuireType::BOOLEAN);
  EXPECT_TRUE(bearing.booleanValue());
  EXPECT_FALSE(
      Known(tree_, "T2").getAttributeValue(Attribute(tree_, "Bearing"), status).booleanValue());
  const QuireAttributeValue name = t1.getAttributeValue(Attribute(tree_, "Name"), status);
  EXPECT_EQ(name.type(), QuireType::STRING);
  EXPECT_EQ(name.textValue(), "Old oak");
  // A formatted text is asked for as HTML.
  EXPECT_EQ(t1.getAttributeValue(Attribute(tree_, "Notes"), status).textValue(),
            "<p>Planted <b>1921</b></p>");
  // An inherited attribute is asked for with the word of the class that declares it.
  EXPECT_EQ(Known(apple_, "F2").getAttributeValue(Attribute(apple_, "Label"), status).textValue(),
            "Green");
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Received(),
            "Height T1\nBearing T1\nBearing T2\nName T1\nNotesFormattedText T1 wdFormatHTML\n"
            "Label F2\n");

  QuireAttributeValue withered;
  const std::string lines = CapturedStderr(
      [&] { withered = t1.getAttributeValue(Attribute(tree_, "Withered"), status); });
  EXPECT_TRUE(withered.isUndefined());
  EXPECT_EQ(status, QuireStatus(kProcessingError, host_message::kAttributeValueUnreadable));
  EXPECT_EQ(lines, "*** QuireRemoteObject::getAttributeValue: Bad status from query: " +
                       QuireStatus(kInformationSourceError, "no Withered for T1").Text() + "\n");
}

TEST_F(RemoteObjectTest, APictureReachesTheFileThatThePageAskedFor) {
  QuireStatus status;
  const QuireObject t1 = Known(tree_, "T1");
  // The page asks for a format and size but names no file: the domain chooses one.
  const QuireAttributeValue picture =
      t1.getGraphicAttributeValue(Attribute(tree_, "Picture"), PictureRequest().text(), status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  ASSERT_NE(picture.graphic(), nullptr);
  const QuireGraphic& graphic = *picture.graphic();
  const std::string chosen = PictureFolder("Orchard") + "/T1_Picture.png";
  EXPECT_EQ(graphic.path(), chosen);
  EXPECT_EQ(graphic.format(), QuireGraphic::kGif);
  EXPECT_FLOAT_EQ(graphic.width(), 2.0f);
  EXPECT_FLOAT_EQ(graphic.height(), 1.5f);
  EXPECT_EQ(graphic.unit(), 1);
  // The library's own picture file, copied to the chosen one.
  EXPECT_EQ(ReadFile(chosen).substr(0, 6), "GIF89a");
  EXPECT_EQ(ReadFile(chosen), ReadFile(installation_.Path("home/domains/picture_T1.gif")));

  // A request that names its file; a library that writes the picture there itself.
  PictureRequest request;
  request.path = installation_.Path("asked.gif");
  const QuireAttributeValue sketch =
      t1.getGraphicAttributeValue(Attribute(tree_, "Sketch"), request.text(), status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(sketch.graphic()->path(), request.path);
  EXPECT_EQ(ReadFile(request.path).substr(0, 6), "GIF89a");
  // A plain image name is the file.
  t1.getGraphicAttributeValue(Attribute(tree_, "Picture"), installation_.Path("plain.gif"), status);
  EXPECT_EQ(ReadFile(installation_.Path("plain.gif")).substr(0, 6), "GIF89a");
  EXPECT_EQ(Received(), "Picture T1 " + chosen + "\nSketch T1 " + request.path + "\nPicture T1 " +
                            installation_.Path("plain.gif") + "\n");
}

TEST_F(RemoteObjectTest, PictureFailuresNameTheirStep) {
  const std::string prefix = "*** QuireRemoteObject::getGraphicAttributeValue: ";
  QuireStatus status;
  const QuireObject t1 = Known(tree_, "T1");
  const auto ask = [&](const QuireObject& object, const std::string& name) {
    QuireAttributeValue value;
    const std::string lines = CapturedStderr([&] {
      value = object.getGraphicAttributeValue(Attribute(tree_, name),
                                              installation_.Path(name + ".png"), status);
    });
    EXPECT_TRUE(value.isUndefined()) << name;
    return lines;
  };
  std::string lines = ask(t1, "Blank");
  EXPECT_EQ(lines, prefix + "No argument returned\n");
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, host_message::kNoPictureReturned, "Blank",
                                "Orchard"));
  lines = ask(t1, "Smudge");
  EXPECT_EQ(status, QuireStatus(kSyntaxError, host_message::kUnknownPictureFormat, "xyz"));
  EXPECT_EQ(lines, prefix + "could not construct graphic object - " + status.Text() + "\n");
  lines = ask(t1, "Lost");
  EXPECT_EQ(status.Kind(), kFileNotFound);
  EXPECT_EQ(lines, prefix + "Bad status from QuireGraphic::writeImage(): " + status.Text() + "\n");
  EXPECT_FALSE(fs::exists(installation_.Path("Lost.png")));
  lines = ask(Known(tree_, "Q7"), "Picture");
  EXPECT_EQ(lines, prefix + "Bad status from query: " + status.Text() + "\n");
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, "unknown object Q7"));
}

// ---- navigation ----------------------------------------------------------------------------

TEST_F(RemoteObjectTest, UnaryNavigationMakesTheRelatedObjectOfItsActualClass) {
  const std::string prefix = "*** QuireRemoteObject::getUnaryRelatedObject: ";
  QuireStatus status;
  const QuireObject f3 = Known(fruit_, "F3");
  const QuireObject tree = f3.getUnaryRelatedObject(Relationship(fruit_, "Planted", 2), status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(tree), "T2");
  EXPECT_EQ(ClassOf(tree), "Tree");
  EXPECT_EQ(Received(), "Planted F3\n#GetClass# T2 Tree\n");

  // No related object is an empty result, without a line.
  QuireObject related;
  std::string lines = CapturedStderr(
      [&] { related = f3.getUnaryRelatedObject(Relationship(fruit_, "Grafted", 2), status); });
  EXPECT_TRUE(related.isUndefined());
  EXPECT_EQ(status, QuireStatus(kNoResult, host_message::kNoRelatedObject));
  EXPECT_EQ(lines, "");

  lines = CapturedStderr(
      [&] { related = f3.getUnaryRelatedObject(Relationship(fruit_, "Stray", 2), status); });
  EXPECT_TRUE(related.isUndefined());
  EXPECT_EQ(status, QuireStatus(kEvaluationError, host_message::kNotDefined, "Banana"));
  EXPECT_EQ(lines, prefix + "Could not get object class - " + status.Text() + "\n");

  // An Apple where a Tree belongs.
  lines = CapturedStderr(
      [&] { related = f3.getUnaryRelatedObject(Relationship(fruit_, "Misfit", 2), status); });
  EXPECT_TRUE(related.isUndefined());
  EXPECT_EQ(status,
            QuireStatus(kClassMismatch, host_message::kClassMismatchBetween, "Apple", "Tree"));
  EXPECT_EQ(lines, prefix + "Could not construct remote object - " + status.Text() + "\n");

  lines = CapturedStderr([&] {
    related = Known(fruit_, "Q7").getUnaryRelatedObject(Relationship(fruit_, "Planted", 2), status);
  });
  EXPECT_TRUE(related.isUndefined());
  EXPECT_EQ(lines, prefix + "Bad status from query: " + status.Text() + "\n");
}

TEST_F(RemoteObjectTest, NaryNavigationListsTheObjectsInTheLibrarysOrder) {
  QuireStatus status;
  const QuireRelationship& fruits = Relationship(tree_, "Fruits", 3);
  const QuireObjectList ofT1 = Known(tree_, "T1").getNaryRelatedObjects(fruits, status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  ASSERT_EQ(ofT1.size(), 2u);
  EXPECT_EQ(IdOf(ofT1[0]), "F1");
  EXPECT_EQ(ClassOf(ofT1[0]), "Apple");
  EXPECT_EQ(IdOf(ofT1[1]), "F2");
  const QuireObjectList ofT2 = Known(tree_, "T2").getNaryRelatedObjects(fruits, status);
  ASSERT_EQ(ofT2.size(), 1u);
  EXPECT_EQ(ClassOf(ofT2[0]), "Fruit");
  EXPECT_TRUE(Known(tree_, "X1").getNaryRelatedObjects(fruits, status).empty());
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Received(),
            "Fruits T1\n#GetClass# F1 Fruit\n#GetClass# F2 Fruit\nFruits T2\n"
            "#GetClass# F3 Fruit\nFruits X1\n");
}

TEST_F(RemoteObjectTest, NaryNavigationStopsAtTheFirstFailureAndOnePastTheRepeatLimit) {
  const std::string prefix = "*** QuireRemoteObject::getNaryRelatedObjects: ";
  QuireStatus status;
  const QuireObject t1 = Known(tree_, "T1");
  QuireObjectList objects;
  // An empty line is skipped; G9's class is unknown.
  std::string lines = CapturedStderr(
      [&] { objects = t1.getNaryRelatedObjects(Relationship(tree_, "Mixed", 3), status); });
  EXPECT_EQ(status, QuireStatus(kEvaluationError, host_message::kNotDefined, "Banana"));
  EXPECT_EQ(lines, prefix + "Could not get object class - " + status.Text() + "\n");
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(IdOf(objects[0]), "F1");
  EXPECT_EQ(Received(), "Mixed T1\n#GetClass# F1 Fruit\n#GetClass# G9 Fruit\n");

  lines = CapturedStderr([&] {
    objects = Known(tree_, "Q7").getNaryRelatedObjects(Relationship(tree_, "Fruits", 3), status);
  });
  EXPECT_TRUE(objects.empty());
  EXPECT_EQ(lines, prefix + "Bad status from query: " + status.Text() + "\n");
  Received();

  // 200,000 lines: three objects allowed, four made, and no other line is asked about.
  platform::BindInitParameter("MaxRepeatObjects", "3");
  objects = t1.getNaryRelatedObjects(Relationship(tree_, "Harvest", 3), status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(objects.size(), 4u);
  std::string expected = "Harvest T1\n";
  for (int i = 0; i < 4; ++i) expected += "#GetClass# F1 Fruit\n";
  EXPECT_EQ(Received(), expected);
}

// ---- display, selection, refresh and clean -------------------------------------------------

TEST_F(RemoteObjectTest, DisplayAsksTheLibraryToShowTheObject) {
  QuireStatus status;
  Known(tree_, "T1").display(status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  const std::string lines = CapturedStderr([&] { Known(tree_, "X1").display(status); });
  EXPECT_EQ(status, QuireStatus(kInformationSourceError, "X1 cannot be shown"));
  EXPECT_EQ(lines,
            "*** QuireRemoteObject::display: Bad status from query: " + status.Text() + "\n");
  EXPECT_EQ(Received(), "#Display# T1 Tree\n#Display# X1 Tree\n");
}

TEST_F(RemoteObjectTest, TheSelectedObjectComesFromTheLibrary) {
  QuireStatus status;
  const QuireObject selected = domain_->getSelectedObject(status, fruit_, "anything|1");
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(selected), "F2");
  EXPECT_EQ(ClassOf(selected), "Apple");
  EXPECT_EQ(Received(), "#GetSelected#\n");

  // An identifier with "|" of a class that takes selected identifiers asks for the selection.
  apple_.setTakesSelectedIdentifiers(true);
  const QuireObject fromText = QuireObject::makeObject("Orchard:Apple:picked|1", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(IdOf(fromText), "F2");
  EXPECT_EQ(Received(), "#GetSelected#\n");

  const std::vector<std::pair<std::string, std::string>> failures = {
      {"empty", "*** QuireRemoteObject::getSelected: empty object Id.\n"},
      {"stranger", "*** QuireRemoteObject::getSelected: Could not get object class - " +
                       QuireStatus(kEvaluationError, host_message::kNotDefined, "Banana").Text() +
                       "\n"},
      {"broken", "*** QuireRemoteDomain::getSelectedObject: Bad status from query - " +
                     QuireStatus(kInformationSourceError, "nothing can be selected").Text() +
                     "\n"}};
  for (const auto& [mode, line] : failures) {
    orchard::SetMode(mode);
    QuireObject object;
    EXPECT_EQ(CapturedStderr([&] { object = domain_->getSelectedObject(status, fruit_, ""); }),
              line);
    EXPECT_TRUE(object.isUndefined()) << mode;
    EXPECT_FALSE(status.IsOk()) << mode;
  }
}

TEST_F(RemoteObjectTest, RefreshAndCleanSendTheirQueriesAndReportAFailure) {
  EXPECT_EQ(CapturedStderr([&] {
              domain_->refreshRemote();
              domain_->clean();
            }),
            "--- Domain refresh: remote domain Orchard\n--- Domain clean: remote domain Orchard\n");
  // The registry's refresh reaches a remote domain through the default refresh only.
  EXPECT_EQ(CapturedStderr([] { DomainRegistry::instance().refreshAllDomains(); }),
            "QuireAbstractDomain: In default refresh for domain Orchard\n");
  EXPECT_EQ(Received(), "#Refresh#\n#Clean#\n");

  orchard::SetMode("broken");
  const std::string failure = QuireStatus(kInformationSourceError, "the orchard is closed").Text();
  EXPECT_EQ(CapturedStderr([&] {
              domain_->refreshRemote();
              DomainRegistry::instance().cleanAllDomains();
            }),
            "--- Domain refresh: remote domain Orchard\n"
            "--- QuireRemoteObject::refreshDomain: Status from domain Orchard for refresh: " +
                failure +
                "\n--- Domain clean: remote domain Orchard\n"
                "--- QuireRemoteObject::cleanDomain: Status from domain Orchard for clean: " +
                failure + "\n");
}

// ---- schema reload -------------------------------------------------------------------------

class SchemaReloadTest : public RemoteObjectTest {
 protected:
  void SetUp() override {
    RemoteObjectTest::SetUp();
    // The schema reader of these tests: checks the file the library wrote and registers the
    // domain anew, with one more class.
    InstalledDomainReaders().schemaFile = [this](const std::string& path, QuireStatus& status) {
      readPaths_.push_back(path);
      if (ReadFile(path).rfind("domain Orchard grove\n", 0) != 0) {
        status = QuireStatus(kProcessingError, "not a schema: " + path);
        return false;
      }
      if (failReading_) {
        status = QuireStatus(kSyntaxError, "the schema does not parse");
        return false;
      }
      orchard::RegisterDomain("Orchard", "Pear");
      return true;
    };
    InstalledDomainReaders().extensionFile = [this](const std::string&, QuireStatus&) {
      ++extensionReads_;
      return true;
    };
    fs::create_directories(installation_.Path("home/domains"));
    std::ofstream(installation_.Path("home/domains/DOMAIN.EXT")) << "\n";
  }

  std::vector<std::string> readPaths_;
  int extensionReads_ = 0;
  bool failReading_ = false;
};

TEST_F(SchemaReloadTest, TheDomainIsReadAgainWhileEverythingHeldOfTheOldOneStaysValid) {
  QuireAbstractDomain& old = *domain_;
  const QuireObject t1 = Known(tree_, "T1");
  const QuireAttribute& height = Attribute(tree_, "Height");

  QuireStatus status;
  EXPECT_TRUE(old.getSelectedObjects(status, "north field").empty());
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Received(), "#GetSchema# north\\x20field\n");
  const std::string path = installation_.Path("home/domains/Orchard-north_field.dom");
  EXPECT_EQ(readPaths_, std::vector<std::string>{path});
  EXPECT_EQ(extensionReads_, 1);

  // The name now finds the new domain, with the new schema; the old one is out of the list.
  QuireAbstractDomain& current = getDomain(status, "Orchard");
  ASSERT_TRUE(status.IsOk());
  EXPECT_NE(&current, &old);
  current.findClass("Pear", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  const auto registered = DomainRegistry::instance().domains();
  EXPECT_EQ(std::count(registered.begin(), registered.end(), &old), 0);

  // The old domain, its classes and objects made before still work (and under the address
  // sanitizer, nothing of them was freed).
  EXPECT_EQ(old.name(), "Orchard");
  EXPECT_EQ(tree_.name(), "Tree");
  EXPECT_EQ(&tree_.domain(), &old);
  old.findClass("Tree", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_FLOAT_EQ(t1.getAttributeValue(height, status).numberValue(), 12.5f);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Received(), "Height T1\n");
}

TEST_F(SchemaReloadTest, NoPathAFailingReaderOrTheInstallationsReaderEachEndTheReloadAsTheySay) {
  QuireStatus status;
  // No path: nothing is read, the domain stays.
  domain_->getSelectedObjects(status, "none");
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_TRUE(readPaths_.empty());
  EXPECT_EQ(&getDomain(status, "Orchard"), domain_);

  // The reader refuses the file: its status is written and returned, and the domain as it was
  // serves on, in its place in the list.
  const auto before = DomainRegistry::instance().domains();
  failReading_ = true;
  std::string lines = CapturedStderr([&] { domain_->getSelectedObjects(status, "west"); });
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "the schema does not parse"));
  EXPECT_EQ(lines, status.Text() + "\n");
  EXPECT_EQ(extensionReads_, 0);
  QuireStatus lookup;
  EXPECT_EQ(&getDomain(lookup, "Orchard"), domain_);
  EXPECT_TRUE(lookup.IsOk());
  EXPECT_EQ(DomainRegistry::instance().domains(), before);

  // Without a reader of its own the installation's schema reader reads the file (a domain
  // without classes here).
  InstalledDomainReaders().schemaFile = nullptr;
  lines = CapturedStderr([&] { domain_->getSelectedObjects(status, "east"); });
  EXPECT_TRUE(status.IsOk()) << status.Text() << lines;
  QuireAbstractDomain& reread = getDomain(lookup, "Orchard");
  EXPECT_NE(&reread, domain_);
  EXPECT_TRUE(reread.classList().empty());

  // A failed query is written as the status's kind and message.
  QuireRemoteDomain& nowhere = orchard::RegisterDomain("Nowhere");
  lines = CapturedStderr([&] { nowhere.getSelectedObjects(status, "x"); });
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_NE(lines.find(status.Text() + "\n"), std::string::npos) << lines;
  EXPECT_EQ(&getDomain(lookup, "Nowhere"), &nowhere);
}

}  // namespace
