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
#include "platform/resource_module.h"
#include "tests/platform/test_support.h"

namespace {

using test_support::CapturedStderr;

class ValueTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(platform::HostResources().Load(
        XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", error))
        << error;
  }
  void SetUp() override { platform::ClearInitParametersForTesting(); }
};

QuireAttribute Attribute(int32_t type) { return QuireAttribute("a", type, QuireClass()); }

TEST_F(ValueTest, NumbersWithinATenThousandthAreEqual) {
  const QuireValue zero(0.0f);
  EXPECT_TRUE(QuireValue(0.00005f).equals(zero));
  EXPECT_FALSE(QuireValue(0.0001f).equals(zero));
  EXPECT_FALSE(QuireValue(0.00005f).less(QuireValue(0.0001f)));
  EXPECT_TRUE(QuireValue(0.0f).less(QuireValue(0.0002f)));
  EXPECT_TRUE(QuireValue(0.00005f).greaterOrEqual(QuireValue(0.0001f)));
}

TEST_F(ValueTest, NumberTextCutsToThreeDigits) {
  const struct {
    float value;
    const char* text;
  } rows[] = {{1.5f, "1.500"},    {-0.5f, "-0.500"},    {0.7f, "0.700"},
              {1.9999f, "1.999"}, {-12.25f, "-12.250"}, {2.0f, "2.000"},
              {-0.0f, "0.000"},   {-0.0004f, "-0.000"}, {123456.79f, "123456.790"}};
  for (const auto& row : rows) EXPECT_EQ(QuireNumberText(row.value), row.text) << row.value;
}

TEST_F(ValueTest, DisplayAndShortTextsByType) {
  QuireStatus status;
  const QuireValue graphic(QuireGraphic("pic.gif"));
  EXPECT_EQ(graphic.displayText(), "<ILLEGAL ATTRIBUTE TYPE>");
  EXPECT_EQ(graphic.shortText(status), "pic.gif");
  EXPECT_EQ(QuireValue().displayText(), "<UNDEFINED>");
  EXPECT_EQ(QuireValue(true).displayText(), "TRUE");
  EXPECT_EQ(QuireValue(false).shortText(status), "F");
  EXPECT_EQ(QuireValue(2.25f).shortText(status), "2.250");
  EXPECT_EQ(QuireValue::wildcard("*").displayText(), "*");
  EXPECT_EQ(QuireValue("a b").shortText(status, true), "a\\x20b");
  EXPECT_EQ(QuireValue("a b", true).shortText(status, false), "a b");
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(QuireValue::wildcard("x").shortText(status), "");
  EXPECT_EQ(status, QuireStatus(36, "Value"));
}

TEST_F(ValueTest, DifferentTypesNeverCompare) {
  EXPECT_FALSE(QuireValue("a").equals(QuireValue("a", true)));
  EXPECT_FALSE(QuireValue("a").lessOrEqual(QuireValue("a", true)));
  EXPECT_TRUE(QuireValue::wildcard("x").equals(QuireValue::wildcard("y")));
  EXPECT_TRUE(QuireValue("ABC").equals(QuireValue("abc"), true));
  EXPECT_FALSE(QuireValue("ABC").equals(QuireValue("abc")));
}

TEST_F(ValueTest, NumericAwareAndVersionComparisons) {
  const QuireValue nine("9");
  const QuireValue ten("10");
  EXPECT_TRUE(ten.less(nine));  // byte-wise
  EXPECT_FALSE(ten.numericLess(nine));
  EXPECT_TRUE(nine.numericLess(ten));
  EXPECT_TRUE(QuireValue("1.0").numericEquals(QuireValue("1")));
  EXPECT_TRUE(QuireValue("b").numericLess(QuireValue("c")));  // not numbers: plain order
  EXPECT_TRUE(QuireValue("2.9").versionLess(QuireValue("2.10")));
  EXPECT_FALSE(QuireValue("2.10").versionLess(QuireValue("2.9")));
  EXPECT_TRUE(QuireValue("2").versionLess(QuireValue("2.0")));
  EXPECT_FALSE(QuireValue("2.0").versionLess(QuireValue("2")));
  EXPECT_TRUE(QuireValue("1.99999999999999999999").versionLess(QuireValue("2")));
}

TEST_F(ValueTest, SettingReferencesExpandWhenTextsDiffer) {
  test_support::ScopedVariable folder("QUIRE_VALUE_TEST_FOLDER", "/data/x");
  EXPECT_TRUE(QuireValue("${QUIRE_VALUE_TEST_FOLDER}/a").equals(QuireValue("/data/x/a")));
  EXPECT_TRUE(QuireValue("/DATA/X/A").equals(QuireValue("${QUIRE_VALUE_TEST_FOLDER}/a"), true));
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
      {QuireValue("aaab"), QuireValue("ba*b"), false},
      {QuireValue("caaab"), QuireValue("ca*b"), true},
      {QuireValue("cb"), QuireValue("ca*b"), true},
      {QuireValue("abc"), QuireValue("*"), false},  // rejected pattern
      {QuireValue("abc"), QuireValue("{"), false},
      {QuireValue(""), QuireValue(""), true},
      {QuireValue(""), QuireValue("?*"), false},
      {QuireValue(1.5f), QuireValue("1\\.500"), true},
      {QuireValue(true), QuireValue("TRU"), true},
      {QuireValue(), QuireValue("UNDEF"), true},
      {QuireValue("a/b", true), QuireValue("a/", true), true},
      {QuireValue("abc"), QuireValue("a", true), false},
      {QuireValue(1.5f), QuireValue(1.50001f), false},
      {QuireValue(2.0f), QuireValue::wildcard("z"), true},
      {QuireValue::wildcard("z"), QuireValue(false), true},
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
      {[&] { QuireAttributeValue(text, 1.0f); }, "the value is not of type number"},
      {[&] { QuireAttributeValue(Attribute(QuireType::NUMBER), "x"); },
       "the value is not of type STRING or FILENAME"},
      {[&] { QuireAttributeValue(text, QuireGraphic("p")); }, "the value is not of type graphic"},
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
  EXPECT_EQ(QuireAttributeValue::fromText("-2.5", Attribute(QuireType::NUMBER)).numberValue(),
            -2.5f);
  QuireAttributeValue value;
  EXPECT_EQ(CapturedStderr(
                [&] { value = QuireAttributeValue::fromText("p", Attribute(QuireType::GRAPHIC)); }),
            "*** Error in QuireAttributeValue: Tried to set a graphic value using string "
            "constructor\n");
  EXPECT_TRUE(value.isUndefined());
  EXPECT_EQ(CapturedStderr([&] { QuireAttributeValue::fromText("p", QuireAttribute()); }),
            "*** Error in QuireAttributeValue: Tried to set an undefined value\n");
  QuireStatus status;
  EXPECT_EQ(QuireAttributeValue(Attribute(QuireType::STRING), "a,b").argumentText(status, true),
            "a=a\\x2Cb");
}

TEST_F(ValueTest, GraphicDescriptions) {
  QuireStatus status;
  const QuireGraphic read = QuireGraphic::fromDescription("pics/a.gif  GIF 2.5 4 3:map", status);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(read.path(), "pics/a.gif");
  EXPECT_EQ(read.format(), QuireGraphic::kGif);
  EXPECT_EQ(read.width(), 2.5f);
  EXPECT_EQ(read.height(), 4.0f);
  EXPECT_EQ(read.unit(), 3);

  const struct {
    const char* text;
    const char* message;
  } failures[] = {
      {"a.tif tif 1 1 0:", "The graphic description names an unknown picture format."},
      {"a.gif gif 1", "The graphic description has no picture size."},
      {"a.gif gif one 1 0:", "The graphic description has no picture size."},
      {"a.gif gif 1 1 :", "The graphic description has no size unit."},
      {"a.gif gif 1 1", "The graphic description has no size unit."},
      {"a.gif", "The graphic description has no path or no format."},
      {"", "The graphic description has no path or no format."},
  };
  for (const auto& row : failures) {
    QuireGraphic::fromDescription(row.text, status);
    EXPECT_EQ(status, QuireStatus(35, row.message)) << row.text;
  }
  EXPECT_EQ(QuireGraphic::fromDescription("a.tif tif 1 1 0:", status).path(), "a.tif");

  const QuireGraphic constant = QuireGraphic::fromConstant("x.wmf");
  EXPECT_EQ(constant.format(), QuireGraphic::kWmf);
  EXPECT_EQ(QuireGraphic("").path(), "<UNDEFINED>");
  EXPECT_TRUE(QuireValue(constant).equals(QuireValue(QuireGraphic::fromConstant("x.wmf"))));
  EXPECT_FALSE(QuireValue(constant).equals(QuireValue(QuireGraphic("x.wmf"))));
}

}  // namespace
