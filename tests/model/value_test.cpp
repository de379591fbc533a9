// Typed values, graphics and attribute values: texts, comparisons, LIKE, type checks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "foundation/quire_status.h"
#include "model/quire_attribute_value.h"
#include "model/quire_graphic.h"
#include "model/quire_value.h"
#include "platform/config.h"
#include "tests/common/test_support.h"

namespace {

using test_support::CapturedStderr;

class ValueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::LoadSampleHostStrings(); }
  void SetUp() override { platform::ClearInitParametersForTesting(); }
};

QuireAttribute Attribute(int32_t type) { return QuireAttribute("a", type, QuireClass()); }

TEST_F(ValueTest, NumbersWithinATenThousandthAreEqual) {
  const QuireValue zero(0.0f);
  EXPECT_TRUE(QuireValue(0.00005f).equals(zero));
  EXPECT_FALSE(QuireValue(0.0001f).equals(zero));
  EXPECT_FALSE(QuireValue(0.00005f).less(QuireValue(0.0001f)));
  EXPECT_TRUE(QuireValue(0.0f).less(QuireValue(0.0002f)));
}

TEST_F(ValueTest, NumberTextCutsToThreeDigits) {
  EXPECT_EQ(QuireNumberText(0.7f), "0.700");
  EXPECT_EQ(QuireNumberText(1.9999f), "1.999");
  EXPECT_EQ(QuireNumberText(-0.0f), "0.000");
  EXPECT_EQ(QuireNumberText(-0.0004f), "-0.000");
}

TEST_F(ValueTest, DisplayAndShortTextsByType) {
  QuireStatus status;
  const QuireValue graphic(QuireGraphic("pic.gif"));
  EXPECT_EQ(graphic.displayText(), "<ILLEGAL ATTRIBUTE TYPE>");
  EXPECT_EQ(graphic.shortText(status), "pic.gif");
  EXPECT_EQ(QuireValue().displayText(), "<UNDEFINED>");
  EXPECT_EQ(QuireValue(true).displayText(), "TRUE");
  EXPECT_EQ(QuireValue(false).shortText(status), "F");
  EXPECT_EQ(QuireValue("a b").shortText(status, true), "a\\x20b");
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(QuireValue::wildcard("x").shortText(status), "");
  EXPECT_EQ(status, QuireStatus(kNoTextForm, "Value"));
}

TEST_F(ValueTest, DifferentTypesNeverCompare) {
  EXPECT_FALSE(QuireValue("a").equals(QuireValue("a", true)));
  EXPECT_TRUE(QuireValue::wildcard("x").equals(QuireValue::wildcard("y")));
  EXPECT_TRUE(QuireValue("ABC").equals(QuireValue("abc"), true));
}

TEST_F(ValueTest, NumericAwareAndVersionComparisons) {
  const QuireValue nine("9");
  const QuireValue ten("10");
  EXPECT_TRUE(ten.less(nine));  // byte-wise
  EXPECT_FALSE(ten.numericLess(nine));
  EXPECT_TRUE(nine.numericLess(ten));
  EXPECT_TRUE(QuireValue("1.0").numericEquals(QuireValue("1")));
  EXPECT_TRUE(QuireValue("2.9").versionLess(QuireValue("2.10")));
  EXPECT_FALSE(QuireValue("2.10").versionLess(QuireValue("2.9")));
  EXPECT_TRUE(QuireValue("2").versionLess(QuireValue("2.0")));
}

TEST_F(ValueTest, SettingReferencesExpandWhenTextsDiffer) {
  test_support::ScopedVariable folder("QUIRE_VALUE_TEST_FOLDER", "/data/x");
  EXPECT_TRUE(QuireValue("${QUIRE_VALUE_TEST_FOLDER}/a").equals(QuireValue("/data/x/a")));
  EXPECT_FALSE(QuireValue("${QUIRE_VALUE_TEST_FOLDER}/a").equals(QuireValue("/data/x/b")));
  EXPECT_FALSE(QuireValue("${QUIRE_VALUE_TEST_UNSET}").equals(QuireValue("")));
}

TEST_F(ValueTest, LikeMatchesPatternsAnywhere) {
  const struct {
    QuireValue left;
    QuireValue pattern;
    bool matches;
  } rows[] = {
      {QuireValue("report.doc"), QuireValue("r?p"), true},
      {QuireValue("cb"), QuireValue("ca*b"), true},
      {QuireValue("abc"), QuireValue("*"), false},  // rejected pattern
      {QuireValue(1.5f), QuireValue("1\\.500"), true},
      {QuireValue(true), QuireValue("TRU"), true},
      {QuireValue(), QuireValue("UNDEF"), true},
      {QuireValue("abc"), QuireValue("a", true), false},
      {QuireValue(1.5f), QuireValue(1.50001f), false},
      {QuireValue(2.0f), QuireValue::wildcard("z"), true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.left.matches(row.pattern), row.matches)
        << row.left.displayText() << " =~ " << row.pattern.displayText();
  }
}

TEST_F(ValueTest, AttributeValueRetypesStringForFilenameWithWarning) {
  QuireAttributeValue value;
  const std::string lines = CapturedStderr(
      [&] { value = QuireAttributeValue(Attribute(QuireType::FILENAME), QuireValue("c/d")); });
  EXPECT_EQ(value.type(), QuireType::FILENAME);
  EXPECT_EQ(value.textValue(), "c/d");
  EXPECT_EQ(lines,
            "*** Warning in QuireAttributeValue: the attribute is of type FILENAME and the value "
            "is of type STRING\n");
}

TEST_F(ValueTest, AttributeValueReportsTypeMismatchesButKeepsTheValue) {
  const QuireAttribute text = Attribute(QuireType::STRING);
  QuireAttributeValue value;
  const std::pair<std::function<void()>, std::string> rows[] = {
      {[&] { value = QuireAttributeValue(text, QuireValue(1.0f)); },
       "the attribute and value are of different types"},
      {[&] { QuireAttributeValue(text, true); }, "the value is not of type boolean"},
      {[&] { QuireAttributeValue(Attribute(QuireType::NUMBER), "x"); },
       "the value is not of type STRING or FILENAME"},
  };
  for (const auto& [make, line] : rows) {
    EXPECT_EQ(CapturedStderr(make), "*** Error in QuireAttributeValue: " + line + "\n");
  }
  EXPECT_EQ(value.type(), QuireType::NUMBER);
  EXPECT_EQ(CapturedStderr([&] { QuireAttributeValue(text, "fine"); }), "");
}

TEST_F(ValueTest, FromTextConvertsByAttributeType) {
  EXPECT_TRUE(QuireAttributeValue::fromText("Tx", Attribute(QuireType::BOOLEAN)).booleanValue());
  EXPECT_FALSE(QuireAttributeValue::fromText("t", Attribute(QuireType::BOOLEAN)).booleanValue());
  QuireAttributeValue value;
  EXPECT_EQ(CapturedStderr(
                [&] { value = QuireAttributeValue::fromText("p", Attribute(QuireType::GRAPHIC)); }),
            "*** Error in QuireAttributeValue: Tried to set a graphic value using string "
            "constructor\n");
  EXPECT_TRUE(value.isUndefined());
  EXPECT_EQ(CapturedStderr([&] { QuireAttributeValue::fromText("p", QuireAttribute()); }),
            "*** Error in QuireAttributeValue: Tried to set an undefined value\n");
}

TEST_F(ValueTest, GraphicDescriptions) {
  QuireStatus status;
  const QuireGraphic read = QuireGraphic::fromDescription("pics/a.gif  GIF 2.5 4 3:map", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(read.path(), "pics/a.gif");
  EXPECT_EQ(read.format(), QuireGraphic::kGif);
  EXPECT_EQ(read.width(), 2.5f);
  EXPECT_EQ(read.unit(), 3);

  QuireGraphic::fromDescription("a.tif tif 1 1 0:", status);
  EXPECT_EQ(status,
            QuireStatus(kSyntaxError, "The graphic description names an unknown picture format."));
  QuireGraphic::fromDescription("a.gif gif 1", status);
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "The graphic description has no picture size."));

  const QuireGraphic constant = QuireGraphic::fromConstant("x.wmf");
  EXPECT_EQ(constant.format(), QuireGraphic::kWmf);
  EXPECT_TRUE(QuireValue(constant).equals(QuireValue(QuireGraphic::fromConstant("x.wmf"))));
  EXPECT_FALSE(QuireValue(constant).equals(QuireValue(QuireGraphic("x.wmf"))));
}

}  // namespace
