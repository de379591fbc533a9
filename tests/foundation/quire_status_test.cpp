#include "foundation/quire_status.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "foundation/cx_error_descriptor.h"
#include "foundation/host_hooks.h"

namespace {

// Copied while this file's statics are initialised: the shared statuses must be usable already.
const QuireStatus g_not_implemented_copy = QuireNotImplementedStatus;

std::string TestHostString(unsigned id) {
  switch (id) {
    case 40007:
      return "Error of kind %1:";
    case 54630:
      return "Document generation";
    case 58131:
      return "Cannot open %1 in %2.";
    case 40531:
      return "Keeps %1 when read plainly.";
    default:
      return "name" + std::to_string(id);
  }
}

std::string g_box_title;
std::string g_box_text;

void RecordMessageBox(const std::string& title, const std::string& text) {
  g_box_title = title;
  g_box_text = text;
}

// Installs the test host strings for the duration of a test.
class QuireStatusHost : public testing::Test {
 protected:
  void SetUp() override { SetHostStringLookup(TestHostString); }
  void TearDown() override {
    SetHostStringLookup(nullptr);
    SetMessageBoxHandler(nullptr);
  }
};

TEST(QuireStatusValue, DefaultIsSuccessWithAnEmptyMessage) {
  QuireStatus status;
  EXPECT_TRUE(status.IsOk());
  EXPECT_EQ(status.Kind(), 0u);
  EXPECT_EQ(status.Message(), "");
}

TEST(QuireStatusValue, TextPiecesAreAppendedInOrder) {
  EXPECT_EQ(QuireStatus(3, "a").Message(), "a");
  EXPECT_EQ(QuireStatus(3, "a", "b").Message(), "ab");
  EXPECT_EQ(QuireStatus(3, "a", "b", "c").Message(), "abc");
  QuireStatus status(7, "Object ", "K1", " not found in ", "repo");
  EXPECT_EQ(status.Message(), "Object K1 not found in repo");
  EXPECT_EQ(status.Kind(), 7u);
  EXPECT_FALSE(status.IsOk());
}

TEST(QuireStatusValue, EqualityNeedsTheSameKindAndExactlyTheSameMessage) {
  EXPECT_EQ(QuireStatus(5, "x"), QuireStatus(5, "x"));
  EXPECT_FALSE(QuireStatus(5, "x") == QuireStatus(5, "X"));
  EXPECT_FALSE(QuireStatus(5, "x") == QuireStatus(6, "x"));
  EXPECT_FALSE(QuireStatus(5, "x") == QuireStatus(5, "x "));
}

TEST(QuireStatusValue, CopiesAndAssignmentsCarryKindAndMessage) {
  QuireStatus status(9, "bad");
  QuireStatus copy(status);
  QuireStatus assigned;
  assigned = status;
  EXPECT_EQ(copy, status);
  EXPECT_EQ(assigned.Kind(), 9u);
  EXPECT_EQ(assigned.Message(), "bad");
}

TEST(QuireStatusValue, SharedStatusesHaveTheirFixedKindAndMessage) {
  EXPECT_TRUE(QuireSuccessStatus.IsOk());
  EXPECT_EQ(QuireSuccessStatus, QuireStatus());
  EXPECT_EQ(QuireNotImplementedStatus.Kind(), 61u);
  EXPECT_EQ(QuireNotImplementedStatus.Message(), "This method has not been implemented yet.");
  EXPECT_EQ(g_not_implemented_copy, QuireNotImplementedStatus);
  EXPECT_EQ(&QuireSuccessStatus, &QuireSuccessStatusInstance());
}

TEST(QuireStatusValue, ThrownByValueAndCaughtByReference) {
  try {
    throw QuireStatus(12, "thrown");
  } catch (const QuireStatus& caught) {
    EXPECT_EQ(caught.Kind(), 12u);
    EXPECT_EQ(caught.Message(), "thrown");
  }
}

TEST_F(QuireStatusHost, HostMessageFormsReadAndFormatTheHostString) {
  EXPECT_EQ(QuireStatus(4, HostMessageId{40531}).Message(), "Keeps %1 when read plainly.");
  EXPECT_EQ(QuireStatus(4, HostMessageId{40531}, "this").Message(),
            "Keeps this when read plainly.");
  EXPECT_EQ(QuireStatus(4, HostMessageId{58131}, "a.htm", "/tmp").Message(),
            "Cannot open a.htm in /tmp.");
  EXPECT_EQ(QuireStatus(4, HostMessageId{58131}, "a.htm").Message(), "Cannot open a.htm in .");
}

TEST_F(QuireStatusHost, KindNamesFollowTheKindTable) {
  EXPECT_EQ(QuireStatus(0, "").KindName(), "name40518");
  EXPECT_EQ(QuireStatus(1, "").KindName(), "name40498");
  EXPECT_EQ(QuireStatus(25, "").KindName(), "name40495");
  EXPECT_EQ(QuireStatus(27, "").KindName(), "name40501");
  EXPECT_EQ(QuireStatus(48, "").KindName(), "name40484");
  EXPECT_EQ(QuireStatus(51, "").KindName(), "name40511");
  EXPECT_EQ(QuireStatus(61, "").KindName(), "name40509");
  EXPECT_EQ(QuireStatus(64, "").KindName(), "name40624");
  EXPECT_EQ(QuireStatus(65, "").KindName(), "name57649");
  EXPECT_EQ(QuireStatus(66, "").KindName(), "name57650");
  for (uint32_t shared : {26u, 49u, 50u, 67u, 1000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(QuireStatusKindNameId(shared), 40524u) << shared;
  }
}

TEST_F(QuireStatusHost, EveryKindUpTo66HasADistinctNameExceptTheSharedOnes) {
  std::set<unsigned> ids;
  for (uint32_t kind = 0; kind <= 66; ++kind) {
    if (kind != 26 && kind != 49 && kind != 50) ids.insert(QuireStatusKindNameId(kind));
  }
  EXPECT_EQ(ids.size(), 64u);
  EXPECT_EQ(ids.count(40524), 0u);
}

TEST_F(QuireStatusHost, TextJoinsKindNameAndMessage) {
  EXPECT_EQ(QuireStatus(61, "later").Text(), "name40509: later");
}

TEST_F(QuireStatusHost, ShowTitlesTheBoxAndPutsTheKindNameBeforeTheMessage) {
  SetMessageBoxHandler(RecordMessageBox);
  QuireStatus(2, "Template missing").Show();
  EXPECT_EQ(g_box_title, "Document generation");
  EXPECT_EQ(g_box_text, "Error of kind name40514: Template missing");
}

TEST(CxErrorDescriptorText, FieldsLongerThan63CharactersAreCut) {
  const std::string long_text(80, 'w');
  CX_ErrorDescriptor descriptor("Range_Error", long_text.c_str(), "index is out of range");
  EXPECT_EQ(std::string(descriptor.who), long_text.substr(0, 63));
  EXPECT_EQ(descriptor.Text(),
            "Range_Error (who: " + long_text.substr(0, 63) + ", what: index is out of range)");
  CX_ErrorDescriptor exact("k", std::string(63, 'x').c_str(), "w");
  EXPECT_EQ(std::string(exact.who).size(), 63u);
}

}  // namespace
