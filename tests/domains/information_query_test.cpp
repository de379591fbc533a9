// The query transport against real loaded libraries: the protocol library answers well and badly
// on command; other files in the library folder do not load or export no entry point.
#include "domains/information_query.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "domains/domain_library_table.h"
#include "tests/common/test_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::CapturedStderr;

TEST(QueryArgumentEncoding, EscapesWhiteSpaceAndBackslashesOnly) {
  EXPECT_EQ(EncodeQueryArgument("a b\\c"), "a\\x20b\\x5Cc");
  EXPECT_EQ(EncodeQueryArgument("line\none\ttab"), "line\\x0Aone\\x09tab");
  EXPECT_EQ(EncodeQueryArgument("M\xC3\xBCller-7"), "M\xC3\xBCller-7");
  for (const std::string text : {"a b\\c", " \t\r\n\\\\x20", "", "plain"}) {
    EXPECT_EQ(DecodeQueryArgument(EncodeQueryArgument(text)), text);
  }
}

TEST(QueryArgumentEncoding, DecodesHexOctalAndEscapedCharacters) {
  EXPECT_EQ(DecodeQueryArgument("a\\x20b\\x5cc"), "a b\\c");
  EXPECT_EQ(DecodeQueryArgument("a\\040b"), "a b");
  EXPECT_EQ(DecodeQueryArgument("\\q\\\\"), "q\\");
  // Incomplete escapes stand for the character after the backslash, or the backslash itself.
  EXPECT_EQ(DecodeQueryArgument("\\x4"), "x4");
  EXPECT_EQ(DecodeQueryArgument("end\\"), "end\\");
}

class InformationQueryTest : public testing::Test {
 protected:
  void SetUp() override {
    test_support::LoadSampleHostStrings();
    DomainLibraryTable::instance().ForgetForTesting();
    // The folder and the file are found without regard to case.
    fs::create_directories(home_.Path("domains"));
    fs::copy_file(XMLAGENT_PROTOCOL_LIBRARY, home_.Path("domains/Proto.SO"));
  }
  void TearDown() override { DomainLibraryTable::instance().ForgetForTesting(); }

  std::string Ask(const std::string& domain, const std::string& query, QuireStatus& status) {
    std::string response = "stale";
    QuireInformationQuery::makeQuery(domain, query, response, status);
    return response;
  }

  test_support::TempFolder home_{"remote_home"};
  test_support::ScopedVariable homeSetting_{"VISTAFOLD_HOME", home_.Path()};
};

TEST_F(InformationQueryTest, TheLibraryReceivesTheQueryWithOneClosingNewline) {
  QuireStatus status;
  EXPECT_EQ(Ask("Proto", "echo #GetClass# a b", status), "echo #GetClass# a b\n");
  EXPECT_TRUE(status.IsOk()) << status.Text();
  EXPECT_EQ(Ask("Proto", "echo x\n", status), "echo x\n");
  EXPECT_EQ(ResponseText(Ask("Proto", "echo a\\x20b", status)), "echo a\\x20b");
  EXPECT_EQ(ResponseLines(Ask("Proto", "lines 3", status)),
            (std::vector<std::string>{"id0", "id1", "id2"}));
  EXPECT_TRUE(ResponseLines("\n").empty());
}

TEST_F(InformationQueryTest, AQueryWithALineBreakBeforeItsEndIsNeverSent) {
  // An identifier that a library answered with a line break in it ends up in the next query.
  QuireStatus status;
  std::string response;
  const std::string log = CapturedStderr([&] { response = Ask("Proto", "echo a\nb", status); });
  EXPECT_EQ(status.Kind(), kInformationSourceError);
  EXPECT_EQ(status.Message(),
            "The query to the information source Proto holds a line break, which no query may: "
            "\"echo a|b\"");
  EXPECT_EQ(log, "*** QuireInformationQuery::makeQuery: " + status.Message() + "\n");
  EXPECT_TRUE(response.empty());
  // The next query of one line is served as ever.
  EXPECT_EQ(Ask("Proto", "echo c", status), "echo c\n");
}

TEST_F(InformationQueryTest, AFailureAnswerBecomesTheStatusMessage) {
  QuireStatus status;
  std::string response;
  CapturedStderr([&] { response = Ask("Proto", "fail now", status); });
  EXPECT_EQ(status.Kind(), kInformationSourceError);
  EXPECT_EQ(status.Message(), "Nothing is known about that");
  EXPECT_TRUE(response.empty());
}

TEST_F(InformationQueryTest, HeadersWithoutALengthAreIncorrect) {
  for (const auto& [query, header] :
       {std::pair{"zero", "Success 0"}, std::pair{"noise", "Loading?config.."}}) {
    QuireStatus status;
    const std::string log = CapturedStderr([&] { Ask("Proto", query, status); });
    const std::string message =
        "The information source Proto returned an incorrect response "
        "header - \"" +
        std::string(header) + "\", check domain executable for extraneous output";
    EXPECT_EQ(status.Kind(), kInformationSourceError) << query;
    EXPECT_EQ(status.Message(), message);
    EXPECT_EQ(log,
              "*** QuireInformationQuery::makeQuery: Error reading from domain Proto: "
              "query => \"" +
                  std::string(query) + "\", status => " + status.Text() + "\n");
  }
}

TEST_F(InformationQueryTest, ResponsesThatBreakTheirHeaderAreRefused) {
  QuireStatus status;
  for (const char* query : {"nopointer", "cut"}) {
    std::string response;
    const std::string log = CapturedStderr([&] { response = Ask("Proto", query, status); });
    EXPECT_EQ(status.Kind(), kInformationSourceError) << query;
    EXPECT_TRUE(response.empty());
    EXPECT_NE(log.find("Error reading from domain Proto"), std::string::npos) << log;
  }
  EXPECT_EQ(status.Message(),
            "The information source Proto announced a response of 100 bytes but returned 4");
  // A zero byte ends a response early, whatever its header announced.
  EXPECT_EQ(Ask("Proto", "short", status), "abc\n");
  EXPECT_TRUE(status.IsOk()) << status.Text();
}

TEST_F(InformationQueryTest, LargeResponsesArriveWholeUpToTheDataLimit) {
  QuireStatus status;
  EXPECT_EQ(Ask("Proto", "huge 3000000", status).size(), 3000001u);
  EXPECT_TRUE(status.IsOk()) << status.Text();
  std::string response;
  CapturedStderr([&] { response = Ask("Proto", "huge 67108864", status); });
  EXPECT_EQ(status.Kind(), kInformationSourceError);
  EXPECT_NE(status.Message().find("more than MaxDataFileBytes (67108864)"), std::string::npos)
      << status.Message();
  EXPECT_TRUE(response.empty());
}

TEST_F(InformationQueryTest, AMissingLibraryIsNamedWithItsFolderAndTakesNoEntry) {
  QuireStatus status;
  const std::string log = CapturedStderr([&] { Ask("Nowhere", "echo", status); });
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_EQ(status.Message(),
            "The library of the domain Nowhere was not found in " + home_.Path("domains") + ".");
  EXPECT_EQ(log, "*** QuireInformationQuery::makeQuery: " + status.Message() + "\n");
  // Once the file is there, the same domain is served.
  fs::copy_file(XMLAGENT_PROTOCOL_LIBRARY, home_.Path("domains/NOWHERE.so"));
  EXPECT_EQ(Ask("Nowhere", "echo", status), "echo\n");
}

TEST_F(InformationQueryTest, ALibraryThatDoesNotLoadKeepsItsEntryWithoutEntryPoint) {
  home_.Write("domains/BROKEN.so", "not a shared object\n");
  test_support::ScopedVariable debugArea("DebugArea", "RSCHEMA");
  QuireStatus status;
  std::string log = CapturedStderr([&] { Ask("Broken", "echo", status); });
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_EQ(status.Message(), "The library of the domain Broken in " + home_.Path("domains") +
                                  " could not be loaded.");
  EXPECT_NE(
      log.find("The following library did not load: " + home_.Path("domains/BROKEN.so") + "."),
      std::string::npos)
      << log;
  EXPECT_NE(log.find("The error message: "), std::string::npos) << log;
  log = CapturedStderr([&] { Ask("Broken", "echo", status); });
  EXPECT_EQ(status.Message(), "The library of the domain Broken offers no query function.");
  EXPECT_EQ(log, "*** QuireInformationQuery::makeQuery: " + status.Message() + "\n");
}

TEST_F(InformationQueryTest, ALibraryWithoutQueryIsNotCalled) {
  fs::copy_file(XMLAGENT_NO_QUERY_LIBRARY, home_.Path("domains/EMPTY.so"));
  QuireStatus status;
  CapturedStderr([&] { Ask("Empty", "echo", status); });
  EXPECT_EQ(status.Kind(), kEvaluationError);
  EXPECT_EQ(status.Message(), "The library of the domain Empty offers no query function.");
}

TEST_F(InformationQueryTest, TheThirtyThirdDomainIsRefused) {
  for (int i = 1; i <= 33; ++i) home_.Write("domains/D" + std::to_string(i) + ".so", "text\n");
  QuireStatus status;
  CapturedStderr([&] {
    for (int i = 1; i <= 32; ++i) Ask("D" + std::to_string(i), "echo", status);
  });
  std::string log = CapturedStderr([&] { Ask("D33", "echo", status); });
  EXPECT_EQ(status.Message(),
            "Too many remote domains are in use; the domain D33 cannot be served.");
  EXPECT_EQ(log, "*** QuireInformationQuery::makeQuery: " + status.Message() + "\n");
  // Domains already in the table keep their entries; the name lookup is case-sensitive.
  CapturedStderr([&] { Ask("D1", "echo", status); });
  EXPECT_EQ(status.Message(), "The library of the domain D1 offers no query function.");
  CapturedStderr([&] { Ask("d1", "echo", status); });
  EXPECT_EQ(status.Message(),
            "Too many remote domains are in use; the domain d1 cannot be served.");
}

}  // namespace
