// Modifiers: parsing and printing every form, the "S" modifier standing for the attribute's
// type, and how each one formats a value.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "commands/boolean_modifier.h"
#include "commands/command_cursor.h"
#include "commands/general_modifier.h"
#include "commands/graphic_modifier.h"
#include "commands/link_modifier.h"
#include "commands/number_modifier.h"
#include "commands/string_modifier.h"
#include "foundation/quire_status.h"
#include "model/quire_attribute.h"

namespace {

using namespace QuireType;

GeneralModifier Parse(const std::string& text, int32_t type, QuireStatus& status,
                      std::string* rest = nullptr) {
  CommandCursor cursor(text);
  GeneralModifier modifier(cursor, type, status);
  if (rest != nullptr) *rest = std::string(cursor.rest());
  return modifier;
}

std::string Printed(const GeneralModifier& modifier) {
  QuireStatus status;
  std::string text = modifier.print(status);
  EXPECT_TRUE(status.IsOk()) << status.Message();
  return text;
}

QuireAttributeValue ValueOf(const QuireValue& value) {
  return QuireAttributeValue(QuireAttribute("shown", value.type(), QuireClass()), value);
}

// The text `modifier` makes of `value`, expecting success.
std::string Applied(const Modifier& modifier, const QuireValue& value) {
  QuireStatus status;
  const QuireAttributeValue result = modifier.apply(ValueOf(value), status);
  EXPECT_TRUE(status.IsOk()) << status.Message();
  EXPECT_EQ(result.type(), STRING);
  return result.textValue();
}

const auto kUnknownCase = static_cast<CaseRule>(9);

TEST(ModifierParse, EveryFormPrintsBackAsWritten) {
  // The command round trips cover one form of each letter; these are the other settings.
  const std::vector<std::pair<std::string, int32_t>> cases = {
      {"NIL", NUMBER},   {"NRC", NUMBER},     {"NWU", NUMBER},     {"GSL", GRAPHIC},
      {"LPNIA", NUMBER}, {"LSBU", BOOLEAN},   {"LILSSCN", STRING}, {"BLff", BOOLEAN},
      {"GAA", STRING},   {"SUNA0aab", STRING}};
  for (const auto& [text, type] : cases) {
    QuireStatus status;
    const GeneralModifier modifier = Parse(text, type, status);
    ASSERT_TRUE(status.IsOk()) << text << ": " << status.Message();
    ASSERT_FALSE(modifier.isEmpty()) << text;
    EXPECT_EQ(modifier.get()->letter(), text[0]) << text;
    EXPECT_EQ(Printed(modifier), text);
  }
}

TEST(ModifierParse, TheFieldAndItsTextEndAtTheClosingColon) {
  // text, the modifier's text, what is left after the modifier's field
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"SUA0c:trailing", "", "trailing"},  // no text asked for
      {"SUA1a:trailing", "", "trailing"},
      {"SAA02DetailTpl:", "DetailTpl", ""},
      {"SAA02DetailTpl:b:c", "DetailTpl", "b:c"},
      {"SAA02DetailTpl", "DetailTpl", ""},  // no closing ":": the text runs to the end
      {"SAA02a::", "a", ":"},               // only the first ":" closes the field
  };
  for (const auto& [text, modifierText, rest] : cases) {
    std::string left;
    QuireStatus status;
    const GeneralModifier modifier = Parse(text, STRING, status, &left);
    ASSERT_TRUE(status.IsOk()) << text << ": " << status.Message();
    EXPECT_EQ(modifier.get()->text(), modifierText) << text;
    EXPECT_EQ(left, rest) << text;
  }
}

TEST(ModifierParse, StringModifierStandsForTheAttributeType) {
  // Flags stay with the replacement; a link's nested "S" is replaced too.
  const std::vector<std::tuple<std::string, int32_t, std::string>> cases = {
      {"SUNA", BOOLEAN, "BA"},  {"SUNA", NUMBER, "NIA"},    {"SUNA", GRAPHIC, "GAA"},
      {"SUNA", STRING, "SUNA"}, {"SUN03", NUMBER, "NIA03"}, {"LISLA", BOOLEAN, "LIBA"}};
  for (const auto& [text, type, printed] : cases) {
    QuireStatus status;
    const GeneralModifier modifier = Parse(text, type, status);
    ASSERT_TRUE(status.IsOk()) << text << " " << type;
    EXPECT_EQ(Printed(modifier), printed) << text << " " << type;
  }
}

TEST(ModifierParse, MalformedTextsFailWithTheEnvelopeName) {
  const std::vector<std::string> texts = {"",      "X",      "BX",    "NXA", "NF",
                                          "SAX",   "GXA",    "LXSAA", "LI",  "SAA1",
                                          "SAAg1", "SAA01x", "GAA01", "BAA", "NFAA:"};
  for (const std::string& text : texts) {
    QuireStatus status;
    const GeneralModifier modifier = Parse(text, STRING, status);
    EXPECT_EQ(status, QuireStatus(kSyntaxError, "GeneralModifier")) << '"' << text << '"';
    EXPECT_TRUE(modifier.isEmpty()) << text;
  }
}

TEST(ModifierParse, DeepLinkNestingIsRefused) {
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "LI";
  text += "SAA";
  QuireStatus status;
  EXPECT_TRUE(Parse(text, STRING, status).isEmpty());
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "GeneralModifier"));
  EXPECT_EQ(Printed(Parse("LILILISAA", STRING, status)), "LILILISAA");
}

TEST(ModifierPrint, CodesWithoutALetterReportTheModifier) {
  QuireStatus status;
  NumberModifier(static_cast<NumberFormat>(7)).print(status);
  EXPECT_EQ(status, QuireStatus(kNoTextForm, "NumberModifier"));
  StringModifier(kUnknownCase).print(status);
  EXPECT_EQ(status, QuireStatus(kNoTextForm, "StringModifier"));
  LinkModifier('X', GeneralModifier()).print(status);
  EXPECT_EQ(status, QuireStatus(kNoTextForm, "LinkModifier"));
}

TEST(GeneralModifierEnvelope, CopiesAreIndependent) {
  QuireStatus status;
  const GeneralModifier original = Parse("SUA", STRING, status);
  GeneralModifier copy = original;
  copy.setFlags(1);
  EXPECT_EQ(Printed(copy), "SUA01");
  EXPECT_EQ(Printed(original), "SUA");
}

TEST(ModifierApply, FormatsTheValueAsItsSettingsSay) {
  const QuireValue text("hello wORLD, it's x-ray 2nd \xc3\xa9t\xc3\xa9");
  struct Case {
    std::unique_ptr<Modifier> modifier;
    QuireValue value;
    std::string expected;
  };
  const Case cases[] = {
      {std::make_unique<BooleanModifier>(CaseRule::kUpper), QuireValue(true), "TRUE"},
      {std::make_unique<BooleanModifier>(), QuireValue(false), "false"},
      {std::make_unique<BooleanModifier>(CaseRule::kCapitalise), QuireValue(true), "True"},
      // Numbers are cut toward zero.
      {std::make_unique<NumberModifier>(NumberFormat::kFraction), QuireValue(3.75f), "3.750"},
      {std::make_unique<NumberModifier>(NumberFormat::kInteger), QuireValue(3.75f), "3"},
      {std::make_unique<NumberModifier>(NumberFormat::kW), QuireValue(-3.75f), "-3.000"},
      {std::make_unique<NumberModifier>(NumberFormat::kInteger), QuireValue(-3.75f), "-3"},
      {std::make_unique<NumberModifier>(NumberFormat::kInteger), QuireValue(-0.5f), "0"},
      {std::make_unique<NumberModifier>(NumberFormat::kR), QuireValue(-0.5f), "0.000"},
      {std::make_unique<NumberModifier>(NumberFormat::kInteger), QuireValue(1e20f),
       "100000002004087734272"},
      // Line feeds get carriage returns; the punctuation setting blanks the listed marks.
      {std::make_unique<StringModifier>(), QuireValue("\na\nb\r\nc\r\n\n"),
       "\r\na\r\nb\r\nc\r\n\r\n"},
      {std::make_unique<StringModifier>(), QuireValue("a\r\nb\n"), "a\r\nb\r\n"},
      {std::make_unique<StringModifier>(), QuireValue("a\r\nb\r"), "a\r\nb\r"},
      {std::make_unique<StringModifier>(CaseRule::kAsIs, true),
       QuireValue("a.b,c_d;e:f?g!h$i(j)k-l'm/n"), "a b c d e f g h i j k-l'm/n"},
      // Case rules change ASCII letters only.
      {std::make_unique<StringModifier>(CaseRule::kCapitalise), text,
       "Hello WORLD, It's X-Ray 2nd \xc3\xa9t\xc3\xa9"},
      {std::make_unique<StringModifier>(CaseRule::kUpper), text,
       "HELLO WORLD, IT'S X-RAY 2ND \xc3\xa9T\xc3\xa9"},
      {std::make_unique<StringModifier>(CaseRule::kLower), text,
       "hello world, it's x-ray 2nd \xc3\xa9t\xc3\xa9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Applied(*c.modifier, c.value), c.expected) << c.value.displayText();
  }
}

// An empty envelope and a link hand the value on unformatted.
TEST(ModifierApply, EmptyEnvelopeAndLinkKeepTheValue) {
  QuireStatus status(1, "stale");
  EXPECT_EQ(GeneralModifier().apply(ValueOf(QuireValue(2.5f)), status).type(), NUMBER);
  EXPECT_TRUE(status.IsOk());
  const GeneralModifier link = Parse("LIBU", BOOLEAN, status);
  EXPECT_EQ(link.apply(ValueOf(QuireValue(true)), status).type(), BOOLEAN);
  EXPECT_TRUE(status.IsOk());
}

TEST(ModifierApply, ValuesItCannotFormatAreReturnedUnchangedWithTheStatus) {
  struct Case {
    std::unique_ptr<Modifier> modifier;
    QuireValue value;
    QuireStatus expected;
  };
  const Case cases[] = {
      {std::make_unique<BooleanModifier>(), QuireValue("yes"),
       QuireStatus(kNotABooleanValue, "BooleanModifier")},
      {std::make_unique<NumberModifier>(), QuireValue(true),
       QuireStatus(kNotABooleanValue, "NumberModifier")},
      {std::make_unique<StringModifier>(), QuireValue("/a/b", true),
       QuireStatus(kEvaluationError, "StringModifier")},
      // An unknown case code fails as a string modifier, whichever modifier holds it.
      {std::make_unique<BooleanModifier>(kUnknownCase), QuireValue(true),
       QuireStatus(kEvaluationError, "StringModifier")},
      {std::make_unique<NumberModifier>(NumberFormat::kFraction, kUnknownCase), QuireValue(2.0f),
       QuireStatus(kEvaluationError, "StringModifier")},
  };
  for (const Case& c : cases) {
    QuireStatus status;
    const QuireAttributeValue result = c.modifier->apply(ValueOf(c.value), status);
    EXPECT_EQ(status, c.expected) << c.modifier->letter();
    EXPECT_EQ(result.type(), c.value.type());
    EXPECT_EQ(result.textValue(), c.value.textValue());
  }
}

}  // namespace
