// Predicates and primaries: parsing and printing, filtering candidates of the Library domain,
// and pushing predicates down into a query filter.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "commands/command_cursor.h"
#include "commands/general_predicate.h"
#include "commands/general_primary.h"
#include "commands/general_source.h"
#include "commands/parse_limits.h"
#include "commands/quire_binding.h"
#include "commands_test_support.h"
#include "foundation/host_hooks.h"
#include "model/quire_query_filter.h"

namespace {

using commands_test::KeysOf;
using commands_test::RegisteredLibrary;
using Keys = std::vector<std::string>;

const Keys kAllBooks = {"B1", "B2", "B3", "B4"};

class PredicateTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    commands_test::LoadSampleHostStrings();
    RegisteredLibrary();  // commands name the domain before any object is asked for
  }

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
  static QuireObjectList Books(const Keys& keys) {
    QuireObjectList objects;
    for (const std::string& key : keys) objects.push_back(RegisteredLibrary().ObjectOf(key));
    return objects;
  }
  // The books B1 to B4 that `text` keeps.
  static Keys Filter(const std::string& text, QuireStatus& status,
                     const QuireBindingList& bindings = {}) {
    return KeysOf(Parsed(text).filter(Books(kAllBooks), status, bindings));
  }
  static QuireBindingList BindingOf(const std::string& variable, const std::string& className,
                                    const std::string& key) {
    QuireBindingList bindings;
    bindings.append(commands_test::LibraryBinding(variable, className, key));
    return bindings;
  }
};

TEST_F(PredicateTest, PrimariesPrintCanonicalTexts) {
  const std::pair<const char*, const char*> cases[] = {
      {"N5", "N5.000"},                                       // three-digit number text
      {"A:Unix:File::FullName", "A:FileSys:File::FullName"},  // domain alias
      {"A:Library:Book::Name", "A:Library:Book::title"},      // attribute alias
      {"A:Library:Novel:S=Book.U=writer:name", "A:Library:Novel:S=Book.U=author:name"},
  };
  commands_test::RegisteredFileSys();
  for (const auto& [text, printed] : cases) {
    CommandCursor cursor(text);
    QuireStatus status;
    const GeneralPrimary primary(cursor, status);
    ASSERT_TRUE(status.IsOk()) << text << ": " << status.Text();
    EXPECT_EQ(primary.print(status), printed);
  }
}

TEST_F(PredicateTest, BadTextsGiveTheElementsStatus) {
  const std::string tooBig(50, '9');
  const std::pair<std::string, QuireStatus> cases[] = {
      {"", QuireStatus(kSyntaxError, "GeneralPredicate")},
      {"A==SB1:SB1:", QuireStatus(kSyntaxError, "GeneralPredicate")},
      {"=xSa:Sb", QuireStatus(kSyntaxError, "RelationalExpression")},
      {"==Xa:Sb", QuireStatus(kSyntaxError, "GeneralPrimary")},
      {"==Nabc:Sb", QuireStatus(kSyntaxError, "ConstantPrimary")},
      {"==N" + tooBig + ":Sb", QuireStatus(kSyntaxError, "ConstantPrimary")},
      {"==A", QuireStatus(kSyntaxError, "AttributePrimary/1")},
      {"==Ab:Library", QuireStatus(kSyntaxError, "AttributePrimary/2")},
      {"==Ab:Library:Book", QuireStatus(kSyntaxError, "AttributePrimary/3")},
      {"==Ab:Library:Book:", QuireStatus(kSyntaxError, "AttributePrimary/4")},
      {"==Ab:Library:Book::", QuireStatus(kSyntaxError, "AttributePrimary/5")},
      {"==A:Library:Book:Uauthor:name:Sa", QuireStatus(kSyntaxError, "AttributePrimary/6")},
      {"==A:Library:Book:N=shelf:name:Sa", QuireStatus(kNavigationError, "AttributePrimary")},
      {"==A:Library:Book::nope:Sa",
       QuireStatus(kUnknownAttributeInExpression, "AttributePrimary: nope")},
      {"ISa", QuireStatus(kSyntaxError, "InExpression")},
      {"ISa:Sb,Av", QuireStatus(kSyntaxError, "AttributePrimary/1")},
      {"CLibrary", QuireStatus(kSyntaxError, "IsExpression")},
  };
  for (const auto& [text, expected] : cases) {
    QuireStatus status;
    Parse(text, status);
    EXPECT_EQ(status, expected) << text << " gave " << status.Text();
  }
}

TEST_F(PredicateTest, NestingIsAllowedUpToTheLimitOnly) {
  const std::string leaf = "==A:Library:Book::code:SB1";
  const std::string atLimit = std::string(kMaxCommandNesting, 'N') + leaf;
  QuireStatus status;
  EXPECT_EQ(Parsed(atLimit).print(status), atLimit);

  Parse("N" + atLimit, status);
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "GeneralPredicate"));
  Parse(std::string(100000, 'P'), status);
  EXPECT_EQ(status, QuireStatus(kSyntaxError, "GeneralPredicate"));
}

// A random predicate text in canonical form, nested at most `depth` levels.
std::string RandomPredicate(std::mt19937& random, int depth) {
  static const char* const constants[] = {"SB1",     "S", "S\\x3A", "N1.500",
                                          "N-0.250", "T", "F",      "Gx.png"};
  static const char* const attributes[] = {"A:Library:Book::code", "Ab:Library:Book:U=author:name"};
  static const char* const operators[] = {"==", "!=", "<", "<=", ">", ">=", "=~", "!~"};
  const auto primary = [&]() -> std::string {
    const std::size_t pick = random() % 10;
    return pick < 8 ? constants[pick] : attributes[pick - 8];
  };
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

// What each predicate keeps of B1 to B4, and its status: one that stops keeps every candidate.
TEST_F(PredicateTest, FilterKeepsWhatThePredicateHoldsOrStopsWithTheInputUnchanged) {
  // Stops with 41 (NUMBER against STRING) for any candidate it sees: an "A" or "O" must not run
  // it for candidates that the left side already decides.
  const std::string failing = "==A:Library:Book::pages:Sx";
  const QuireStatus ok;
  const QuireStatus mismatch(kTypeMismatch, "RelationalExpression");
  const struct {
    std::string text;
    Keys kept;
    QuireStatus status;
  } cases[] = {
      {"==A:Library:Book::pages:N80.000", {"B2", "B4"}, ok},
      {"!=A:Library:Book::pages:N80.000", {"B1", "B3"}, ok},
      {"<A:Library:Book::pages:N120.000", {"B2", "B4"}, ok},
      {"<=A:Library:Book::pages:N120.000", {"B1", "B2", "B4"}, ok},
      {">A:Library:Book::pages:N80.000", {"B1", "B3"}, ok},
      {">=A:Library:Book::pages:N120.000", {"B1", "B3"}, ok},
      {"==A:Library:Book::title:SApple\\x20pie", {}, ok},  // case-sensitive
      {"=~A:Library:Book::title:S\\x7BAa\\x7Dpple", {"B2", "B3"}, ok},
      {"!~A:Library:Book::title:S\\x7BAa\\x7Dpple", {"B1", "B4"}, ok},
      {"==A:Library:Book::available:F", {"B2"}, ok},
      {"IA:Library:Book::code:SB3,SB1", {"B1", "B3"}, ok},
      {"C:Library:Novel", {"B1", "B4"}, ok},
      {"NC:Library:Novel", {"B2", "B3"}, ok},
      {"PC:Library:Novel", {"B1", "B4"}, ok},
      {"AC:Library:Novel:==A:Library:Book::pages:N80.000", {"B4"}, ok},
      {"OC:Library:Novel:==A:Library:Book::pages:N80.000", {"B1", "B2", "B4"}, ok},
      {"OC:Library:Book:" + failing, kAllBooks, ok},
      {"AC:Library:Author:" + failing, {}, ok},
      {"OC:Library:Novel:" + failing, kAllBooks, mismatch},
      {"N" + failing, kAllBooks, mismatch},
      {"==A:Library:Book::pages:S80", kAllBooks, mismatch},
      {"==A:Library:Book::file:S\\x2Fbooks", kAllBooks, mismatch},  // FILENAME and an "S"
      {"==Ax:Library:Book::pages:N80.000", kAllBooks, mismatch},    // x is not bound
      {"IAx:Library:Book::code:SB1", kAllBooks,
       QuireStatus(kTypeMismatch,
                   "InExpression: ", HostString(host_message::kInLeftSideWithoutValue))},
  };
  for (const auto& c : cases) {
    QuireStatus status;
    EXPECT_EQ(Filter(c.text, status), c.kept) << c.text;
    EXPECT_EQ(status, c.status) << c.text << " gave " << status.Text();
  }
}

// The list is tried in order up to the first equal value: B1 passes before the NUMBER.
TEST_F(PredicateTest, InStopsAtTheFirstValueOfAnotherType) {
  QuireStatus status;
  const GeneralPredicate mixed = Parsed("IA:Library:Book::code:SB1,N1.000");
  EXPECT_EQ(KeysOf(mixed.filter(Books({"B1"}), status, {})), Keys{"B1"});
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(KeysOf(mixed.filter(Books({"B1", "B2"}), status, {})), (Keys{"B1", "B2"}));
  EXPECT_EQ(status, QuireStatus(kTypeMismatch, "InExpression"));
}

TEST_F(PredicateTest, IsWithAVariableTestsTheBoundObject) {
  QuireStatus status;
  const std::string withVariable = "Cb,Library,Book:Library:Novel";
  EXPECT_EQ(Filter(withVariable, status, BindingOf("b", "Book", "B1")), kAllBooks);
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(Filter(withVariable, status, BindingOf("b", "Book", "B2")), Keys{});
  EXPECT_TRUE(status.IsOk());

  EXPECT_EQ(Filter(withVariable, status), kAllBooks);
  EXPECT_EQ(status, QuireStatus(kUnboundVariable, "b"));
  EXPECT_EQ(Filter(withVariable, status, BindingOf("b", "Author", "Ada")), kAllBooks);
  EXPECT_EQ(status, QuireStatus(kNavigationError,
                                "Replicator: ", HostString(host_message::kNotOfStartClass)));
}

TEST_F(PredicateTest, NotDropsEveryCopyOfACandidateItsOperandKeeps) {
  QuireStatus status;
  const QuireObjectList twice = Books({"B1", "B2", "B1"});
  EXPECT_EQ(KeysOf(Parsed("N==A:Library:Book::code:SB1").filter(twice, status, {})), Keys{"B2"});
}

// Records the calls it receives; answers conditions on the attribute named `refused` with
// `refusal`.
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
  QuireStatus refusal;
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
  const std::pair<const char*, QuireStatus> cases[] = {
      {"A==A:Library:Book::code:SB1:NC:Library:Novel",
       QuireStatus(kUnsupportedOperation, "NotExpression")},
      {"C:Library:Novel", QuireStatus(kUnsupportedOperation, "IsExpression")},
      {"==A:Library:Book:U=author:name:SAda", QuireStatus(kNotImplemented, "DomainExtensions")},
      {"==Ab:Library:Book::code:SB1", QuireStatus(kNotImplemented, "DomainExtensions")},
      {"==SB1:A:Library:Book::code", QuireStatus(kNotImplemented, "DomainExtensions")},
  };
  for (const auto& [text, expected] : cases) {
    RecordingFilter filter;
    QuireStatus status;
    EXPECT_EQ(Parsed(text).pushDown(filter, status), PushDownAnswer::kNotExpressible) << text;
    EXPECT_EQ(status, expected) << text << " gave " << status.Text();
    int depth = 0;
    for (const std::string& call : filter.calls) depth += call == "close" ? -1 : call[0] == 'o';
    EXPECT_EQ(depth, 0) << text << ": groups left open";
  }
}

TEST_F(PredicateTest, PushDownReportsConditionsTheFilterRefuses) {
  const GeneralPredicate predicate =
      Parsed("A==A:Library:Book::code:SB1:==A:Library:Book::title:SMoon");
  RecordingFilter filter;
  filter.refused = "code";
  filter.refusal = QuireStatus(kEvaluationError, "source gone");
  QuireStatus status;
  EXPECT_EQ(predicate.pushDown(filter, status), PushDownAnswer::kFailed);
  EXPECT_EQ(status, QuireStatus(kEvaluationError, "source gone"));
  // The right side is not offered once the left has failed.
  EXPECT_EQ(filter.calls, (std::vector<std::string>{"open 0", "close"}));
}

}  // namespace
