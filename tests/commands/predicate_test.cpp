// Predicates and primaries: parsing and printing, filtering candidates of the Library domain,
// and pushing predicates down into a query filter.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "commands/attribute_primary.h"
#include "commands/command_cursor.h"
#include "commands/constant_primary.h"
#include "commands/general_predicate.h"
#include "commands/general_primary.h"
#include "commands/logical_expression.h"
#include "commands/parse_limits.h"
#include "commands/quire_binding.h"
#include "commands/relational_expression.h"
#include "commands_test_support.h"
#include "foundation/host_hooks.h"
#include "model/quire_query_filter.h"

namespace {

using commands_test::LibraryDomain;

class PredicateTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { commands_test::LoadSampleHostStrings(); }
  void SetUp() override { library_ = &commands_test::RegisteredLibrary(); }

  static GeneralPredicate Parse(const std::string& text, QuireStatus& status) {
    CommandCursor cursor(text);
    return GeneralPredicate(cursor, status);
  }
  // Parses `text`, expecting success, and gives the parsed predicate.
  static GeneralPredicate Parsed(const std::string& text) {
    QuireStatus status;
    GeneralPredicate predicate = Parse(text, status);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Text();
    return predicate;
  }
  QuireObjectList Books(const std::vector<std::string>& keys) {
    QuireObjectList objects;
    for (const std::string& key : keys) objects.push_back(library_->ObjectOf(key));
    return objects;
  }
  // The keys of `objects`, in order.
  static std::vector<std::string> Keys(const QuireObjectList& objects) {
    std::vector<std::string> keys;
    for (const QuireObject& object : objects) {
      const auto* entry = object.as<commands_test::LibraryObject>();
      keys.push_back(entry ? entry->key() : "?");
    }
    return keys;
  }
  std::vector<std::string> Filter(const std::string& text, QuireStatus& status,
                                  const QuireBindingList& bindings = {}) {
    return Keys(Parsed(text).filter(Books({"B1", "B2", "B3", "B4"}), status, bindings));
  }

  LibraryDomain* library_ = nullptr;
};

const std::vector<std::string> kAllBooks = {"B1", "B2", "B3", "B4"};

// A command that bound a variable: only its variable and class matter here.
class BoundSource : public Source {
 public:
  BoundSource(const std::string& variable, const QuireClass& cls) {
    setKindLetter('C');
    setVariableName(variable);
    setClass(cls);
  }
  std::unique_ptr<Source> clone() const override { return std::make_unique<BoundSource>(*this); }
  std::string print(QuireStatus& status) const override {
    status = QuireStatus();
    return {};
  }
  QuireObjectList evaluate(QuireStatus& status, const QuireBindingList&, int) const override {
    status = QuireStatus();
    return {};
  }
};

QuireBindingList BindingOf(const std::string& variable, const QuireClass& cls,
                           const QuireObject& object) {
  QuireBindingList bindings;
  bindings.append(
      QuireBinding(GeneralSource(std::make_unique<BoundSource>(variable, cls)), object));
  return bindings;
}

// --- Parsing and printing -----------------------------------------------------------------

TEST_F(PredicateTest, EveryFormPrintsBackAsWritten) {
  const char* const texts[] = {
      "==A:Library:Book::title:SMoon",
      "!=A:Library:Book::title:SMoon",
      "<A:Library:Book::pages:N100.000",
      "<=A:Library:Book::pages:N-0.250",
      ">A:Library:Book::pages:N80.000",
      ">=A:Library:Book::pages:N80.000",
      "=~A:Library:Book::title:S\\x7BAa\\x7Dpple",
      "!~A:Library:Book::title:S",
      "==A:Library:Book::available:T",
      "==A:Library:Book::available:F",
      "==A:Library:Book::cover:Gb1.png",
      "==Ab:Library:Novel:S=Book.U=author:name:A:Library:Author::name",
      "IA:Library:Book::code:SB1,SB3",
      "IA:Library:Book::code:",
      "C:Library:Novel",
      "Cb,Library,Book:Library:Novel",
      "N==A:Library:Book::code:SB1",
      "P==A:Library:Book::code:SB1",
      "A==A:Library:Book::code:SB1:O>A:Library:Book::pages:N1.000:C:Library:Book",
      "OPIA:Library:Book::code:SB1,SB2:NC:Library:Novel",
      "==A:Library:Book::title:SZebra\\x20Tales",
  };
  for (const char* text : texts) {
    QuireStatus status;
    const std::string printed = Parsed(text).print(status);
    EXPECT_TRUE(status.IsOk()) << status.Text();
    EXPECT_EQ(printed, text);
  }
}

TEST_F(PredicateTest, AnEndingColonIsTakenButNotPrinted) {
  CommandCursor cursor("A==A:Library:Book::code:SB1:==A:Library:Book::pages:N80.000:");
  QuireStatus status;
  const GeneralPredicate predicate(cursor, status);
  ASSERT_TRUE(status.IsOk()) << status.Text();
  EXPECT_TRUE(cursor.empty());
  EXPECT_EQ(predicate.print(status), "A==A:Library:Book::code:SB1:==A:Library:Book::pages:N80.000");

  CommandCursor withRest("C:Library:Novel:,rest");
  const GeneralPredicate is(withRest, status);
  EXPECT_EQ(withRest.rest(), ",rest");
}

TEST_F(PredicateTest, PrimariesPrintCanonicalTexts) {
  const struct {
    const char* text;
    const char* printed;
  } cases[] = {
      {"N5", "N5.000"},                                       // three-digit number text
      {"TRUE", "TRUE"},                                       // what follows "T" is kept
      {"S\\x41b", "SAb"},                                     // decoded, encoded again
      {"A:Unix:File::FullName", "A:FileSys:File::FullName"},  // domain alias
      {"A:Library:Book::Name", "A:Library:Book::title"},      // attribute alias
      {"A:Library:Novel:S=Book.U=writer:name", "A:Library:Novel:S=Book.U=author:name"},
  };
  commands_test::RegisteredFileSys();
  for (const auto& c : cases) {
    CommandCursor cursor(c.text);
    QuireStatus status;
    const GeneralPrimary primary(cursor, status);
    ASSERT_TRUE(status.IsOk()) << c.text << ": " << status.Text();
    EXPECT_EQ(primary.print(status), c.printed);
  }
}

TEST_F(PredicateTest, SConstantIsFilenameOnlyWhenAsked) {
  for (const int32_t type : {QuireType::STRING, QuireType::FILENAME}) {
    CommandCursor cursor("S\\x2Ftmp");
    QuireStatus status;
    const GeneralPrimary primary(cursor, status, type);
    const QuireAttributeValue value = primary.evaluate(status, QuireObject(), {});
    EXPECT_EQ(value.type(), type);
    EXPECT_EQ(value.textValue(), "/tmp");
    EXPECT_EQ(primary.print(status), "S\\x2Ftmp");
  }
}

TEST_F(PredicateTest, BadTextsGiveTheElementsStatus) {
  const std::string tooBig(50, '9');
  const struct {
    std::string text;
    QuireStatus expected;
  } cases[] = {
      {"", QuireStatus(35, "GeneralPredicate")},
      {"X", QuireStatus(35, "GeneralPredicate")},
      {"N", QuireStatus(35, "GeneralPredicate")},
      {"P", QuireStatus(35, "GeneralPredicate")},
      {"A==SB1:SB1:", QuireStatus(35, "GeneralPredicate")},
      {"=xSa:Sb", QuireStatus(35, "RelationalExpression")},
      {"!Sa:Sb", QuireStatus(35, "RelationalExpression")},
      {"==Xa:Sb", QuireStatus(35, "GeneralPrimary")},
      {"==Sa:", QuireStatus(35, "GeneralPrimary")},
      {"==Nabc:Sb", QuireStatus(35, "ConstantPrimary")},
      {"==N" + tooBig + ":Sb", QuireStatus(35, "ConstantPrimary")},
      {"==G:Sb", QuireStatus(35, "ConstantPrimary")},
      {"==A", QuireStatus(35, "AttributePrimary/1")},
      {"==Ab:Library", QuireStatus(35, "AttributePrimary/2")},
      {"==Ab:Library:Book", QuireStatus(35, "AttributePrimary/3")},
      {"==Ab:Library:Book:", QuireStatus(35, "AttributePrimary/4")},
      {"==Ab:Library:Book::", QuireStatus(35, "AttributePrimary/5")},
      {"==A:Library:Book:Uauthor:name:Sa", QuireStatus(35, "AttributePrimary/6")},
      {"==A:Library:Book:N=shelf:name:Sa", QuireStatus(40, "AttributePrimary")},
      {"==A:Library:Book::nope:Sa", QuireStatus(38, "AttributePrimary: nope")},
      {"ISa", QuireStatus(35, "InExpression")},
      {"IXa:", QuireStatus(35, "GeneralPrimary")},
      {"ISa:Sb,Av", QuireStatus(35, "AttributePrimary/1")},
      {"C", QuireStatus(35, "IsExpression")},
      {"CLibrary", QuireStatus(35, "IsExpression")},
      {"Cb,Library:Library:Book", QuireStatus(35, "IsExpression")},
      {"Cb,Library,Book,x:Library:Book", QuireStatus(35, "IsExpression")},
  };
  for (const auto& c : cases) {
    QuireStatus status;
    Parse(c.text, status);
    EXPECT_EQ(status, c.expected) << c.text << " gave " << status.Text();
  }
}

TEST_F(PredicateTest, UnknownClassKeepsTheLookupStatus) {
  QuireStatus status;
  Parse("C:Library:Nothing", status);
  EXPECT_EQ(status.Kind(), 63u);
}

TEST_F(PredicateTest, NestingIsAllowedUpToTheLimitOnly) {
  const std::string leaf = "==A:Library:Book::code:SB1";
  const std::string atLimit = std::string(kMaxCommandNesting, 'N') + leaf;
  QuireStatus status;
  EXPECT_EQ(Parsed(atLimit).print(status), atLimit);

  Parse("N" + atLimit, status);
  EXPECT_EQ(status, QuireStatus(35, "GeneralPredicate"));
  Parse(std::string(100000, 'P'), status);
  EXPECT_EQ(status, QuireStatus(35, "GeneralPredicate"));
}

TEST_F(PredicateTest, UnencodableSettingsDoNotPrint) {
  QuireStatus status;
  const RelationalExpression noOperator(RelationalExpression::kNone, GeneralPrimary(),
                                        GeneralPrimary());
  EXPECT_EQ(noOperator.print(status), "");
  EXPECT_EQ(status, QuireStatus(36, "RelationalExpression"));
  const LogicalExpression noLogical(LogicalExpression::kNone, {}, {});
  EXPECT_EQ(noLogical.print(status), "");
  EXPECT_EQ(status, QuireStatus(36, "LogicalExpression"));
  EXPECT_EQ(ConstantPrimary(QuireValue()).print(status), "");
  EXPECT_EQ(status, QuireStatus(36, "ConstantPrimary"));
}

// A random predicate text in canonical form, nested at most `depth` levels.
std::string RandomPredicate(std::mt19937& random, int depth) {
  static const char* const primaries[] = {"SB1",
                                          "S",
                                          "S\\x3A",
                                          "N1.500",
                                          "T",
                                          "F",
                                          "Gx.png",
                                          "A:Library:Book::code",
                                          "Ab:Library:Book:U=author:name"};
  static const char* const operators[] = {"==", "!=", "<", "<=", ">", ">=", "=~", "!~"};
  const auto primary = [&] { return std::string(primaries[random() % 9]); };
  switch (depth <= 0 ? random() % 3 : random() % 7) {
    case 0:
      return operators[random() % 8] + primary() + ":" + primary();
    case 1:
      return random() % 2 ? "C:Library:Novel" : "Cb,Library,Book:Library:Book";
    case 2: {
      std::string text = "I" + primary() + ":";
      for (int i = static_cast<int>(random() % 3); i > 0; --i) {
        const std::string item = primary();  // attribute primaries cannot stand in the list
        text += item[0] == 'A' ? "SB2" : item;
        if (i > 1) text += ",";
      }
      return text;
    }
    case 3:
      return "N" + RandomPredicate(random, depth - 1);
    case 4:
      return "P" + RandomPredicate(random, depth - 1);
    default:
      return (random() % 2 ? "A" : "O") + RandomPredicate(random, depth - 1) + ":" +
             RandomPredicate(random, depth - 1);
  }
}

TEST_F(PredicateTest, GeneratedPredicatesPrintBackExactly) {
  std::mt19937 random(17);
  for (int round = 0; round < 500; ++round) {
    const std::string text = RandomPredicate(random, 4);
    QuireStatus status;
    EXPECT_EQ(Parsed(text).print(status), text);
  }
}

// Damaged texts (cut short, or one byte replaced) give a status or a predicate whose printed
// text parses again to the same text.
TEST_F(PredicateTest, DamagedTextsFailOrPrintStably) {
  const std::string bytes = "=!<>~AOCINPSTFGU:,.\\x";
  std::mt19937 random(29);
  int parsed = 0;
  for (int round = 0; round < 2000; ++round) {
    std::string text = RandomPredicate(random, 3);
    const std::size_t at = random() % text.size();
    if (round % 2) {
      text.resize(at);
    } else {
      text[at] = bytes[random() % bytes.size()];
    }
    QuireStatus status;
    const GeneralPredicate predicate = Parse(text, status);
    if (!status.IsOk()) continue;
    ++parsed;
    const std::string printed = predicate.print(status);
    ASSERT_TRUE(status.IsOk()) << text;
    EXPECT_EQ(Parsed(printed).print(status), printed) << text;
  }
  EXPECT_GT(parsed, 100);
}

// --- Filtering ------------------------------------------------------------------------------

TEST_F(PredicateTest, RelationalOperatorsKeepWhatTheComparisonHolds) {
  const struct {
    const char* text;
    std::vector<std::string> kept;
  } cases[] = {
      {"==A:Library:Book::pages:N80.000", {"B2", "B4"}},
      {"!=A:Library:Book::pages:N80.000", {"B1", "B3"}},
      {"<A:Library:Book::pages:N120.000", {"B2", "B4"}},
      {"<=A:Library:Book::pages:N120.000", {"B1", "B2", "B4"}},
      {">A:Library:Book::pages:N80.000", {"B1", "B3"}},
      {">=A:Library:Book::pages:N120.000", {"B1", "B3"}},
      {"==A:Library:Book::title:Sapple\\x20pie", {"B2"}},
      {"==A:Library:Book::title:SApple\\x20pie", {}},  // case-sensitive
      {"=~A:Library:Book::title:S\\x7BAa\\x7Dpple", {"B2", "B3"}},
      {"!~A:Library:Book::title:S\\x7BAa\\x7Dpple", {"B1", "B4"}},
      {"==A:Library:Book::available:F", {"B2"}},
  };
  for (const auto& c : cases) {
    QuireStatus status;
    EXPECT_EQ(Filter(c.text, status), c.kept) << c.text;
    EXPECT_TRUE(status.IsOk()) << c.text << ": " << status.Text();
  }
}

TEST_F(PredicateTest, ComparisonsOfDifferentTypesStopWithTheInputUnchanged) {
  const char* const texts[] = {
      "==A:Library:Book::pages:S80",         // NUMBER with STRING
      "==A:Library:Book::file:S\\x2Fbooks",  // FILENAME attribute with an "S" constant
      "==Ax:Library:Book::pages:N80.000",    // left UNDEFINED: x is not bound
  };
  for (const char* text : texts) {
    QuireStatus status;
    EXPECT_EQ(Filter(text, status), kAllBooks) << text;
    EXPECT_EQ(status, QuireStatus(41, "RelationalExpression")) << text;
  }
}

TEST_F(PredicateTest, MissingOperatorsStopWithStatus39) {
  QuireStatus status;
  const RelationalExpression relational(RelationalExpression::kNone, GeneralPrimary(),
                                        GeneralPrimary());
  EXPECT_EQ(Keys(relational.filter(Books(kAllBooks), status, {})), kAllBooks);
  EXPECT_EQ(status, QuireStatus(39, "RelationalExpression: ", HostString(40449)));
  EXPECT_EQ(status.Message(), "RelationalExpression: This operator cannot be used in a predicate.");

  const LogicalExpression logical(LogicalExpression::kNone, Parsed("C:Library:Book"),
                                  Parsed("C:Library:Book"));
  EXPECT_EQ(Keys(logical.filter(Books(kAllBooks), status, {})), kAllBooks);
  EXPECT_EQ(status, QuireStatus(39, "LogicalExpression: ", HostString(40449)));
}

TEST_F(PredicateTest, InKeepsCandidatesWhoseValueIsListed) {
  QuireStatus status;
  EXPECT_EQ(Filter("IA:Library:Book::code:SB3,SB1", status),
            (std::vector<std::string>{"B1", "B3"}));
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Filter("IA:Library:Book::code:", status), std::vector<std::string>{});

  EXPECT_EQ(Filter("IAx:Library:Book::code:SB1", status), kAllBooks);
  EXPECT_EQ(status, QuireStatus(41, "InExpression: ", HostString(40450)));
  EXPECT_FALSE(HostString(40450).empty());

  // The list is tried in order up to the first equal value: B1 passes before the NUMBER.
  const GeneralPredicate mixed = Parsed("IA:Library:Book::code:SB1,N1.000");
  EXPECT_EQ(Keys(mixed.filter(Books({"B1"}), status, {})), std::vector<std::string>{"B1"});
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Keys(mixed.filter(Books({"B1", "B2"}), status, {})),
            (std::vector<std::string>{"B1", "B2"}));
  EXPECT_EQ(status, QuireStatus(41, "InExpression"));
}

TEST_F(PredicateTest, IsTestsTheCandidatesOrTheBoundObject) {
  QuireStatus status;
  EXPECT_EQ(Filter("C:Library:Novel", status), (std::vector<std::string>{"B1", "B4"}));
  EXPECT_EQ(Filter("C:Library:Book", status), kAllBooks);

  const QuireClass book = library_->classNamed("Book");
  const std::string withVariable = "Cb,Library,Book:Library:Novel";
  EXPECT_EQ(Filter(withVariable, status, BindingOf("b", book, library_->ObjectOf("B1"))),
            kAllBooks);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Filter(withVariable, status, BindingOf("b", book, library_->ObjectOf("B2"))),
            std::vector<std::string>{});
  EXPECT_TRUE(status.IsOk());

  EXPECT_EQ(Filter(withVariable, status), kAllBooks);
  EXPECT_EQ(status, QuireStatus(42, "b"));
  const QuireClass author = library_->classNamed("Author");
  EXPECT_EQ(Filter(withVariable, status, BindingOf("b", author, library_->ObjectOf("Ada"))),
            kAllBooks);
  EXPECT_EQ(status, QuireStatus(40, "Replicator: ", HostString(40209)));
}

TEST_F(PredicateTest, OrDoesNotRunItsRightSideForKeptCandidates) {
  // The right side would stop with 41 (NUMBER against STRING) for any candidate it sees.
  const std::string failing = "==A:Library:Book::pages:Sx";
  QuireStatus status;
  EXPECT_EQ(Filter("OC:Library:Book:" + failing, status), kAllBooks);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Filter("AC:Library:Author:" + failing, status), std::vector<std::string>{});
  EXPECT_TRUE(status.IsOk()) << status.Text();

  EXPECT_EQ(Filter("OC:Library:Novel:" + failing, status), kAllBooks);
  EXPECT_EQ(status, QuireStatus(41, "RelationalExpression"));
}

TEST_F(PredicateTest, AndAndOrCombineCandidateByCandidate) {
  QuireStatus status;
  EXPECT_EQ(Filter("AC:Library:Novel:==A:Library:Book::pages:N80.000", status),
            std::vector<std::string>{"B4"});
  EXPECT_EQ(Filter("OC:Library:Novel:==A:Library:Book::pages:N80.000", status),
            (std::vector<std::string>{"B1", "B2", "B4"}));
  EXPECT_EQ(Filter("PC:Library:Novel", status), (std::vector<std::string>{"B1", "B4"}));
}

TEST_F(PredicateTest, NotKeepsWhatItsOperandDrops) {
  QuireStatus status;
  EXPECT_EQ(Filter("NC:Library:Author", status), kAllBooks);
  EXPECT_EQ(Filter("NC:Library:Novel", status), (std::vector<std::string>{"B2", "B3"}));
  const QuireObjectList twice = Books({"B1", "B2", "B1"});
  EXPECT_EQ(Keys(Parsed("N==A:Library:Book::code:SB1").filter(twice, status, {})),
            std::vector<std::string>{"B2"});
  EXPECT_EQ(Filter("N==A:Library:Book::pages:Sx", status), kAllBooks);
  EXPECT_EQ(status, QuireStatus(41, "RelationalExpression"));
  EXPECT_EQ(Keys(GeneralPredicate().filter(Books(kAllBooks), status, {})), kAllBooks);
}

TEST_F(PredicateTest, AttributePrimariesWalkFromTheCandidateOrTheVariable) {
  const auto evaluate = [](const std::string& text, const QuireObject& candidate,
                           const QuireBindingList& bindings, QuireStatus& status) {
    CommandCursor cursor(text);
    const GeneralPrimary primary(cursor, status);
    EXPECT_TRUE(status.IsOk()) << text << ": " << status.Text();
    return primary.evaluate(status, candidate, bindings);
  };
  QuireStatus status;
  const QuireObject b2 = library_->ObjectOf("B2");
  EXPECT_EQ(evaluate("A:Library:Book:U=author:name", b2, {}, status).textValue(), "Bea");
  EXPECT_EQ(evaluate("A:Library:Novel:S=Book.U=author.U=mentor:born", library_->ObjectOf("B4"), {},
                     status)
                .numberValue(),
            1815.0f);
  const QuireBindingList bound =
      BindingOf("a", library_->classNamed("Author"), library_->ObjectOf("Cy"));
  EXPECT_EQ(evaluate("Aa:Library:Author::born", b2, bound, status).numberValue(), 1990.0f);
  EXPECT_TRUE(status.IsOk());

  EXPECT_TRUE(evaluate("Az:Library:Author::born", b2, bound, status).isUndefined());
  EXPECT_EQ(status, QuireStatus(42, "z"));
  EXPECT_TRUE(
      evaluate("A:Library:Book:U=author.U=mentor:name", library_->ObjectOf("B1"), {}, status)
          .isUndefined());
  EXPECT_EQ(status, QuireStatus(63, HostMessageId{40448}));
}

TEST_F(PredicateTest, CopiesAreIndependentClones) {
  GeneralPredicate copy = Parsed("N==A:Library:Book::code:SB2");
  const GeneralPredicate original = copy;
  copy = Parsed("C:Library:Novel");
  QuireStatus status;
  EXPECT_EQ(original.print(status), "N==A:Library:Book::code:SB2");
  EXPECT_EQ(copy.print(status), "C:Library:Novel");
}

// --- Push-down ------------------------------------------------------------------------------

// Records the calls it receives; refuses conditions on attributes named in `refused`.
class RecordingFilter : public QuireQueryFilter {
 public:
  void openGroup(int32_t op) override { calls.push_back("open " + std::to_string(op)); }
  void closeGroup() override { calls.push_back("close"); }
  bool addCondition(const QuireAttribute& attribute, int32_t op, const QuireValue& value,
                    QuireStatus& status) override {
    status = QuireStatus();
    if (attribute.name() == refused) {
      status = refusal;
      return false;
    }
    calls.push_back(attribute.name() + " " + std::to_string(op) + " " + value.displayText());
    return true;
  }
  std::vector<std::string> calls;
  std::string refused;
  QuireStatus refusal = QuireStatus(61, "DomainExtensions");
};

TEST_F(PredicateTest, PushDownBuildsGroupsAndConditions) {
  RecordingFilter filter;
  QuireStatus status;
  const PushDownAnswer answer =
      Parsed(
          "A==A:Library:Book::title:SMoon:OP>A:Library:Book::pages:N100.000:"
          "IA:Library:Book::code:SB1,SB2")
          .pushDown(filter, status);
  EXPECT_EQ(answer, PushDownAnswer::kExpressed);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(filter.calls, (std::vector<std::string>{"open 0", "title 0 Moon", "open 1",
                                                    "pages 4 100.000", "open 1", "code 0 B1",
                                                    "code 0 B2", "close", "close", "close"}));
}

TEST_F(PredicateTest, PushDownAnswersWhatCannotBeExpressed) {
  const struct {
    const char* text;
    PushDownAnswer answer;
    QuireStatus status;
  } cases[] = {
      {"N==A:Library:Book::code:SB1", PushDownAnswer::kNotExpressible,
       QuireStatus(39, "NotExpression")},
      {"A==A:Library:Book::code:SB1:NC:Library:Novel", PushDownAnswer::kNotExpressible,
       QuireStatus(39, "NotExpression")},
      {"C:Library:Novel", PushDownAnswer::kNotExpressible, QuireStatus(39, "IsExpression")},
      {"==A:Library:Book:U=author:name:SAda", PushDownAnswer::kNotExpressible,
       QuireStatus(61, "DomainExtensions")},
      {"==Ab:Library:Book::code:SB1", PushDownAnswer::kNotExpressible,
       QuireStatus(61, "DomainExtensions")},
      {"==SB1:A:Library:Book::code", PushDownAnswer::kNotExpressible,
       QuireStatus(61, "DomainExtensions")},
  };
  for (const auto& c : cases) {
    RecordingFilter filter;
    QuireStatus status;
    EXPECT_EQ(Parsed(c.text).pushDown(filter, status), c.answer) << c.text;
    EXPECT_EQ(status, c.status) << c.text << " gave " << status.Text();
    int depth = 0;
    for (const std::string& call : filter.calls) depth += call == "close" ? -1 : call[0] == 'o';
    EXPECT_EQ(depth, 0) << c.text << ": groups left open";
  }
}

TEST_F(PredicateTest, PushDownReportsConditionsTheFilterRefuses) {
  RecordingFilter filter;
  filter.refused = "code";
  QuireStatus status;
  const GeneralPredicate predicate =
      Parsed("A==A:Library:Book::code:SB1:==A:Library:Book::title:SMoon");
  EXPECT_EQ(predicate.pushDown(filter, status), PushDownAnswer::kNotExpressible);
  EXPECT_EQ(status, QuireStatus(61, "DomainExtensions"));

  RecordingFilter failing;
  failing.refused = "code";
  failing.refusal = QuireStatus(63, "source gone");
  EXPECT_EQ(predicate.pushDown(failing, status), PushDownAnswer::kFailed);
  EXPECT_EQ(status, QuireStatus(63, "source gone"));
  // The right side is not offered once the left has failed.
  EXPECT_EQ(failing.calls, (std::vector<std::string>{"open 0", "close"}));
}

}  // namespace
