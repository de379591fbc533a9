#include "foundation/quire_status.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "foundation/cx_error_descriptor.h"
#include "foundation/host_hooks.h"

namespace {

// Copied while this file's statics are initialised: the shared statuses must be usable already.
const QuireStatus g_not_implemented_copy = QuireNotImplementedStatus;

// The host strings that the statuses read; any other id reads as "name<id>".
std::string TestHostString(unsigned id) {
  static const std::map<unsigned, std::string> strings = {
      {host_message::kErrorOccurred.id, "Error of kind %1:"},
      {host_message::kProductName.id, "Document generation"},
      {host_message::kDataSourceNotLoaded.id, "Cannot open %1 in %2."},
      {host_message::kDocumentObjectNotCreated.id, "Keeps %1 when read plainly."}};
  const auto found = strings.find(id);
  return found != strings.end() ? found->second : "name" + std::to_string(id);
}

std::string g_box_title;
std::string g_box_text;

// Installs the test host strings for the duration of a test.
class QuireStatusHost : public testing::Test {
 protected:
  void SetUp() override { SetHostStringLookup(TestHostString); }
  void TearDown() override {
    SetHostStringLookup(nullptr);
    SetMessageBoxHandler(nullptr);
  }
};

TEST(QuireStatusValue, TextPiecesAreAppendedInOrderAndEqualityNeedsKindAndExactMessage) {
  EXPECT_TRUE(QuireStatus().IsOk());
  const QuireStatus status(7, "Object ", "K1", " not found in ", "repo");
  EXPECT_FALSE(status.IsOk());
  EXPECT_EQ(status.Message(), "Object K1 not found in repo");
  EXPECT_FALSE(QuireStatus(5, "x") == QuireStatus(5, "x "));
  EXPECT_FALSE(QuireStatus(5, "x") == QuireStatus(6, "x"));
}

TEST(QuireStatusValue, SharedStatusesHaveTheirFixedKindAndMessage) {
  EXPECT_EQ(QuireSuccessStatus, QuireStatus());
  EXPECT_EQ(QuireNotImplementedStatus.Kind(), 61u);
  EXPECT_EQ(QuireNotImplementedStatus.Message(), "This method has not been implemented yet.");
  EXPECT_EQ(g_not_implemented_copy, QuireNotImplementedStatus);
}

TEST_F(QuireStatusHost, HostMessageFormsReadAndFormatTheHostString) {
  EXPECT_EQ(QuireStatus(kFileNotFound, host_message::kDocumentObjectNotCreated).Message(),
            "Keeps %1 when read plainly.");
  EXPECT_EQ(
      QuireStatus(kFileNotFound, host_message::kDataSourceNotLoaded, "a.htm", "/tmp").Message(),
      "Cannot open a.htm in /tmp.");
  EXPECT_EQ(QuireStatus(kFileNotFound, host_message::kDataSourceNotLoaded, "a.htm").Message(),
            "Cannot open a.htm in .");
}

// The rows from kind 26 on are kinds without a name of their own, which share one.
TEST_F(QuireStatusHost, KindNamesFollowTheKindTable) {
  const struct {
    uint32_t kind;
    const char* name;
  } rows[] = {{0, "name40518"},  {25, "name40495"}, {27, "name40501"}, {48, "name40484"},
              {51, "name40511"}, {64, "name40624"}, {66, "name57650"}, {26, "name40524"},
              {49, "name40524"}, {50, "name40524"}, {67, "name40524"}, {0xFFFFFFFF, "name40524"}};
  for (const auto& row : rows) EXPECT_EQ(QuireStatus(row.kind, "").KindName(), row.name);
}

TEST_F(QuireStatusHost, TextAndShowPutTheKindNameBeforeTheMessage) {
  EXPECT_EQ(QuireStatus(61, "later").Text(), "name40509: later");
  SetMessageBoxHandler([](const std::string& title, const std::string& text) {
    g_box_title = title;
    g_box_text = text;
  });
  QuireStatus(2, "Template missing").Show();
  EXPECT_EQ(g_box_title, "Document generation");
  EXPECT_EQ(g_box_text, "Error of kind name40514: Template missing");
}

TEST(CxErrorDescriptorText, FieldsLongerThan63CharactersAreCut) {
  const std::string long_text(80, 'w');
  CX_ErrorDescriptor descriptor("Range_Error", long_text.c_str(), "index is out of range");
  EXPECT_EQ(descriptor.Text(),
            "Range_Error (who: " + long_text.substr(0, 63) + ", what: index is out of range)");
}

}  // namespace
