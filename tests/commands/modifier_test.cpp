// Modifiers: parsing and printing every form, the "S" modifier standing for the attribute's
// type, and how each one formats a value.
#include <gtest/gtest.h>

#include <string>
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

std::string Applied(const GeneralModifier& modifier, const QuireValue& value) {
  QuireStatus status;
  const QuireAttributeValue result = modifier.apply(ValueOf(value), status);
  EXPECT_TRUE(status.IsOk()) << status.Message();
  EXPECT_EQ(result.type(), STRING);
  return result.textValue();
}

GeneralModifier Made(std::unique_ptr<Modifier> modifier) {
  return GeneralModifier(std::move(modifier));
}

// ---- Parsing and printing ----

struct RoundTrip {
  const char* text;
  int32_t type;
  char letter;
};

TEST(ModifierParse, EveryFormPrintsBackAsWritten) {
  const std::vector<RoundTrip> cases = {{"BA", BOOLEAN, 'B'},
                                        {"BU", BOOLEAN, 'B'},
                                        {"NFA", NUMBER, 'N'},
                                        {"NIL", NUMBER, 'N'},
                                        {"NRC", NUMBER, 'N'},
                                        {"NWU", NUMBER, 'N'},
                                        {"SAA", STRING, 'S'},
                                        {"SCN", STRING, 'S'},
                                        {"SUNA", STRING, 'S'},
                                        {"SLAP", STRING, 'S'},
                                        {"GAA", GRAPHIC, 'G'},
                                        {"GSL", GRAPHIC, 'G'},
                                        {"LISAA", STRING, 'L'},
                                        {"LPNIA", NUMBER, 'L'},
                                        {"LSBU", BOOLEAN, 'L'},
                                        {"LILSSCN", STRING, 'L'},
                                        {"SAA01", STRING, 'S'},
                                        {"NFA10", NUMBER, 'N'},
                                        {"BLff", BOOLEAN, 'B'},
                                        {"SAA02", STRING, 'S'},
                                        {"SAA02see below", STRING, 'S'},
                                        {"SUNA0aa:b:c", STRING, 'S'},
                                        {"LISAA12http://x/y", STRING, 'L'},
                                        {"GAA", STRING, 'G'}};
  for (const RoundTrip& c : cases) {
    QuireStatus status;
    const GeneralModifier modifier = Parse(c.text, c.type, status);
    ASSERT_TRUE(status.IsOk()) << c.text << ": " << status.Message();
    ASSERT_FALSE(modifier.isEmpty()) << c.text;
    EXPECT_EQ(modifier.get()->letter(), c.letter) << c.text;
    EXPECT_EQ(Printed(modifier), c.text);
  }
}

TEST(ModifierParse, FieldEndsAtColonUnlessTheFlagsAskForText) {
  std::string rest;
  QuireStatus status;
  GeneralModifier plain = Parse("SUA:trailing:text", STRING, status, &rest);
  ASSERT_TRUE(status.IsOk());
  EXPECT_EQ(rest, "trailing:text");
  EXPECT_EQ(plain.flags(), 0);

  GeneralModifier flagged = Parse("SUA0c:trailing", STRING, status, &rest);
  ASSERT_TRUE(status.IsOk());
  EXPECT_EQ(flagged.flags(), 0x0c);
  EXPECT_EQ(flagged.get()->text(), "");
  EXPECT_EQ(rest, "trailing");

  GeneralModifier withText = Parse("SUA1a:trailing", STRING, status, &rest);
  ASSERT_TRUE(status.IsOk());
  EXPECT_EQ(withText.flags(), 0x1a);
  EXPECT_EQ(withText.get()->text(), ":trailing");
  EXPECT_EQ(rest, "");
}

TEST(ModifierParse, SettingsAreReadIntoTheElements) {
  QuireStatus status;
  const GeneralModifier string = Parse("SCNP", STRING, status);
  const auto* s = dynamic_cast<const StringModifier*>(string.get());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->caseRule(), CaseRule::kCapitalise);
  EXPECT_TRUE(s->blanksPunctuation());
  EXPECT_EQ(s->thirdSetting(), 'P');

  const GeneralModifier number = Parse("NWL", NUMBER, status);
  const auto* n = dynamic_cast<const NumberModifier*>(number.get());
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->format(), NumberFormat::kW);
  EXPECT_EQ(n->caseRule(), CaseRule::kLower);

  const GeneralModifier link = Parse("LPGSU", GRAPHIC, status);
  const auto* l = dynamic_cast<const LinkModifier*>(link.get());
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->linkLetter(), 'P');
  const auto* g = dynamic_cast<const GraphicModifier*>(l->nested().get());
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->setting(), 'S');
  EXPECT_EQ(g->caseRule(), CaseRule::kUpper);
}

TEST(ModifierParse, UpperCaseFlagDigitsAreReadAndPrintInLowerCase) {
  QuireStatus status;
  const GeneralModifier modifier = Parse("SAN1F", STRING, status);
  ASSERT_TRUE(status.IsOk());
  EXPECT_EQ(modifier.flags(), 0x1f);
  EXPECT_EQ(Printed(modifier), "SAN1f");
}

TEST(ModifierParse, StringModifierStandsForTheAttributeType) {
  const std::vector<std::pair<int32_t, std::string>> cases = {
      {BOOLEAN, "BA"}, {NUMBER, "NIA"}, {GRAPHIC, "GAA"}, {STRING, "SUNA"}};
  for (const auto& [type, printed] : cases) {
    QuireStatus status;
    const GeneralModifier modifier = Parse("SUNA", type, status);
    ASSERT_TRUE(status.IsOk()) << type;
    EXPECT_EQ(Printed(modifier), printed) << type;
  }
  // Flags stay with the replacement; a link's nested "S" is replaced too.
  QuireStatus status;
  EXPECT_EQ(Printed(Parse("SUN03", NUMBER, status)), "NIA03");
  EXPECT_EQ(Printed(Parse("LISLA", BOOLEAN, status)), "LIBA");
}

TEST(ModifierParse, StringModifierOnFilenameOrOtherTypesFails) {
  for (const int32_t type : {FILENAME, WILDCARD, UNDEFINED, 99}) {
    QuireStatus status;
    const GeneralModifier modifier = Parse("SAA", type, status);
    EXPECT_EQ(status, QuireStatus(35, "GeneralModifier")) << type;
    EXPECT_TRUE(modifier.isEmpty());
  }
}

TEST(ModifierParse, MalformedTextsFailWithTheEnvelopeName) {
  const std::vector<std::string> texts = {
      "",      "X",     ":SAA",   "B",    "BX",    "NXA",   "NF",  "NFX",  "SA",
      "SAX",   "GXA",   "GA",     "L",    "LXSAA", "LI",    "LIX", "SAA1", "SAA1:",
      "SAAg1", "SAA0x", "SAA01x", "SAAz", "GAA01", "GAAx:", "BAA", "NFAA:"};
  for (const std::string& text : texts) {
    QuireStatus status;
    const GeneralModifier modifier = Parse(text, STRING, status);
    EXPECT_EQ(status, QuireStatus(35, "GeneralModifier")) << '"' << text << '"';
    EXPECT_TRUE(modifier.isEmpty()) << text;
  }
}

TEST(ModifierParse, DeepLinkNestingIsRefused) {
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "LI";
  text += "SAA";
  QuireStatus status;
  EXPECT_TRUE(Parse(text, STRING, status).isEmpty());
  EXPECT_EQ(status, QuireStatus(35, "GeneralModifier"));
  EXPECT_EQ(Printed(Parse("LILILISAA", STRING, status)), "LILILISAA");
}

TEST(ModifierPrint, CodesWithoutALetterReportTheModifier) {
  const auto unknownCase = static_cast<CaseRule>(9);
  const std::vector<std::pair<std::unique_ptr<Modifier>, std::string>> cases = [&] {
    std::vector<std::pair<std::unique_ptr<Modifier>, std::string>> list;
    list.emplace_back(std::make_unique<BooleanModifier>(unknownCase), "BooleanModifier");
    list.emplace_back(std::make_unique<NumberModifier>(static_cast<NumberFormat>(7)),
                      "NumberModifier");
    list.emplace_back(std::make_unique<StringModifier>(unknownCase), "StringModifier");
    list.emplace_back(std::make_unique<GraphicModifier>('X'), "GraphicModifier");
    list.emplace_back(std::make_unique<LinkModifier>('X', GeneralModifier()), "LinkModifier");
    return list;
  }();
  for (const auto& [modifier, name] : cases) {
    QuireStatus status;
    modifier->print(status);
    EXPECT_EQ(status, QuireStatus(36, name));
  }
}

// ---- The envelope ----

TEST(GeneralModifierEnvelope, CopiesAreIndependent) {
  QuireStatus status;
  GeneralModifier original = Parse("SUA", STRING, status);
  GeneralModifier copy = original;
  copy.setFlags(1);
  EXPECT_EQ(Printed(copy), "SUA01");
  EXPECT_EQ(Printed(original), "SUA");
  copy = original;
  EXPECT_EQ(copy.flags(), 0);
}

TEST(GeneralModifierEnvelope, EmptyEnvelopeKeepsTheValue) {
  const GeneralModifier empty;
  QuireStatus status(1, "stale");
  const QuireAttributeValue result = empty.apply(ValueOf(QuireValue(2.5f)), status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(result.type(), NUMBER);
  EXPECT_EQ(Printed(empty), "");
}

// ---- Applying ----

TEST(BooleanModifierApply, WritesTrueOrFalseInTheCaseAsked) {
  EXPECT_EQ(Applied(Made(std::make_unique<BooleanModifier>(CaseRule::kUpper)), QuireValue(true)),
            "TRUE");
  EXPECT_EQ(Applied(Made(std::make_unique<BooleanModifier>()), QuireValue(false)), "false");
  EXPECT_EQ(
      Applied(Made(std::make_unique<BooleanModifier>(CaseRule::kCapitalise)), QuireValue(true)),
      "True");
}

TEST(BooleanModifierApply, OtherTypesAreReturnedUnchanged) {
  QuireStatus status;
  const QuireAttributeValue result =
      BooleanModifier(CaseRule::kUpper).apply(ValueOf(QuireValue("yes")), status);
  EXPECT_EQ(status, QuireStatus(44, "BooleanModifier"));
  EXPECT_EQ(result.type(), STRING);
  EXPECT_EQ(result.textValue(), "yes");
}

TEST(NumberModifierApply, FormatsTruncateTowardZero) {
  struct Case {
    float value;
    NumberFormat format;
    const char* expected;
  };
  const std::vector<Case> cases = {{3.75f, NumberFormat::kFraction, "3.750"},
                                   {3.75f, NumberFormat::kInteger, "3"},
                                   {3.75f, NumberFormat::kR, "3.000"},
                                   {3.75f, NumberFormat::kW, "3.000"},
                                   {-3.75f, NumberFormat::kFraction, "-3.750"},
                                   {-3.75f, NumberFormat::kInteger, "-3"},
                                   {-3.75f, NumberFormat::kR, "-3.000"},
                                   {-3.75f, NumberFormat::kW, "-3.000"},
                                   {-0.5f, NumberFormat::kInteger, "0"},
                                   {-0.5f, NumberFormat::kR, "0.000"},
                                   {-0.5f, NumberFormat::kFraction, "-0.500"},
                                   {1e20f, NumberFormat::kInteger, "100000002004087734272"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Applied(Made(std::make_unique<NumberModifier>(c.format)), QuireValue(c.value)),
              c.expected)
        << c.value << " format " << static_cast<int>(c.format);
  }
}

TEST(NumberModifierApply, OtherTypesAreReturnedUnchanged) {
  QuireStatus status;
  const QuireAttributeValue result = NumberModifier().apply(ValueOf(QuireValue(true)), status);
  EXPECT_EQ(status, QuireStatus(44, "NumberModifier"));
  EXPECT_EQ(result.type(), BOOLEAN);
}

TEST(StringModifierApply, LineFeedsGetCarriageReturns) {
  EXPECT_EQ(Applied(Made(std::make_unique<StringModifier>()), QuireValue("\na\nb\r\nc\r\n\n")),
            "\r\na\r\nb\r\nc\r\n\r\n");
}

TEST(StringModifierApply, PunctuationSettingBlanksTheListedMarks) {
  EXPECT_EQ(Applied(Made(std::make_unique<StringModifier>(CaseRule::kAsIs, true)),
                    QuireValue("a.b,c_d;e:f?g!h$i(j)k-l'm/n")),
            "a b c d e f g h i j k-l'm/n");
  EXPECT_EQ(
      Applied(Made(std::make_unique<StringModifier>(CaseRule::kAsIs, false)), QuireValue("a.b,c")),
      "a.b,c");
}

TEST(StringModifierApply, CaseRules) {
  const QuireValue text("hello wORLD, it's x-ray 2nd \xc3\xa9t\xc3\xa9");
  EXPECT_EQ(Applied(Made(std::make_unique<StringModifier>(CaseRule::kAsIs)), text),
            "hello wORLD, it's x-ray 2nd \xc3\xa9t\xc3\xa9");
  EXPECT_EQ(Applied(Made(std::make_unique<StringModifier>(CaseRule::kCapitalise)), text),
            "Hello WORLD, It's X-Ray 2nd \xc3\xa9t\xc3\xa9");
  EXPECT_EQ(Applied(Made(std::make_unique<StringModifier>(CaseRule::kUpper)), text),
            "HELLO WORLD, IT'S X-RAY 2ND \xc3\xa9T\xc3\xa9");
  EXPECT_EQ(Applied(Made(std::make_unique<StringModifier>(CaseRule::kLower)), text),
            "hello world, it's x-ray 2nd \xc3\xa9t\xc3\xa9");
}

TEST(StringModifierApply, NonStringValuesAreReturnedUnchanged) {
  for (const QuireValue& value : {QuireValue("/a/b", true), QuireValue(1.0f), QuireValue()}) {
    QuireStatus status;
    const QuireAttributeValue result =
        StringModifier(CaseRule::kUpper).apply(ValueOf(value), status);
    EXPECT_EQ(status, QuireStatus(63, "StringModifier"));
    EXPECT_EQ(result.type(), value.type());
    EXPECT_EQ(result.textValue(), value.textValue());
  }
}

TEST(ModifierApply, UnknownCaseCodeFailsAsAStringModifier) {
  const auto unknown = static_cast<CaseRule>(9);
  const std::vector<std::pair<std::unique_ptr<Modifier>, QuireValue>> cases = [&] {
    std::vector<std::pair<std::unique_ptr<Modifier>, QuireValue>> list;
    list.emplace_back(std::make_unique<BooleanModifier>(unknown), QuireValue(true));
    list.emplace_back(std::make_unique<NumberModifier>(NumberFormat::kFraction, unknown),
                      QuireValue(2.0f));
    list.emplace_back(std::make_unique<StringModifier>(unknown), QuireValue("x"));
    return list;
  }();
  for (const auto& [modifier, value] : cases) {
    QuireStatus status;
    const QuireAttributeValue result = modifier->apply(ValueOf(value), status);
    EXPECT_EQ(status, QuireStatus(63, "StringModifier")) << modifier->letter();
    EXPECT_EQ(result.type(), value.type());
  }
}

TEST(ModifierApply, GraphicAndLinkPassTheValueThrough) {
  QuireStatus status;
  const GeneralModifier graphic = Parse("GSU", GRAPHIC, status);
  const GeneralModifier link = Parse("LIBU", BOOLEAN, status);
  const QuireAttributeValue picture =
      graphic.apply(ValueOf(QuireValue(QuireGraphic("a.png"))), status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(picture.type(), GRAPHIC);
  const QuireAttributeValue flag = link.apply(ValueOf(QuireValue(true)), status);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(flag.type(), BOOLEAN);
}

}  // namespace
