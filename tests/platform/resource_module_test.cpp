#include "platform/resource_module.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "test_support.h"

namespace {

using platform::HostResources;
using platform::LoadHostString;
using platform::ResourceModule;

class ResourceFile : public ::testing::Test {
 protected:
  void TearDown() override { HostResources().Unload(); }

  // Loads text as a module file into module, which must succeed.
  void Load(ResourceModule& module, const std::string& text) {
    std::string error;
    ASSERT_TRUE(module.Load(folder_.Write("Vistafold.rsc", text), error)) << error;
  }

  test_support::TempFolder folder_;
};

// Text runs to the line end as written, with escapes; comments, blank and bad lines are ignored.
TEST_F(ResourceFile, ReadsNumberedTextsAndCountsTheBadLines) {
  ResourceModule module;
  Load(module,
       "\xEF\xBB\xBF# 1=comment\n   \nno equals sign\nabc=not a number\n=no number\n"
       " 7 =blanks around the number\n8=first\n8=second\n100=  padded = text  \n"
       "101=line\\nbreak\\ttab\\\\slash\n102=C:\\Program Files\\x\\\n104=crlf\r\n");
  EXPECT_EQ(module.String(1), "");
  EXPECT_EQ(module.String(7), "blanks around the number");
  EXPECT_EQ(module.String(8), "first");
  EXPECT_EQ(module.String(100), "  padded = text  ");
  EXPECT_EQ(module.String(101), "line\nbreak\ttab\\slash");
  EXPECT_EQ(module.String(102), "C:\\Program Files\\x\\");
  EXPECT_EQ(module.String(104), "crlf");
  EXPECT_EQ(module.IgnoredLineCount(), 3u);
}

TEST_F(ResourceFile, FailedLoadNamesThePathAndKeepsTheStrings) {
  ResourceModule module;
  Load(module, "5=kept\n");
  std::string error;
  EXPECT_FALSE(module.Load(folder_.Path("absent.rsc"), error));
  EXPECT_NE(error.find(folder_.Path("absent.rsc")), std::string::npos) << error;
  EXPECT_EQ(module.String(5), "kept");
}

// The library's own texts answer for their numbers whatever the host module says.
TEST_F(ResourceFile, OwnTableAnswersForItsNumbersAndTheHostModuleForTheRest) {
  Load(HostResources(), "593=host wording\n40185=host text\n");
  EXPECT_EQ(LoadHostString(593), "Cannot find registry entry for %1");
  EXPECT_EQ(LoadHostString(40185), "host text");
  // The installed lookup feeds the foundation's host strings (a test elsewhere may reset it).
  platform::InstallHostStrings();
  EXPECT_EQ(HostString(40185), "host text");
  HostResources().Unload();
  EXPECT_EQ(LoadHostString(40185), "");
}

TEST_F(ResourceFile, LookupsRunConcurrentlyWithReloads) {
  std::string path = folder_.Write("Vistafold.rsc", "1=one\n2=two\n");
  std::string error;
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop.load()) {
        std::string text = LoadHostString(1);
        if (text != "one" && !text.empty()) ++wrong;
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    HostResources().Unload();
    EXPECT_TRUE(HostResources().Load(path, error)) << error;
  }
  stop.store(true);
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong.load(), 0);
}

// Every host-string number that the library uses must have a text in the sample installation.
TEST(SampleResourceFile, HasATextForEveryNumberTheLibraryUses) {
  constexpr unsigned kUsedNumbers[] = {
      40007, 40076, 40090, 40095, 40127, 40129, 40134, 40167, 40168, 40170, 40185, 40188, 40196,
      40205, 40209, 40210, 40211, 40213, 40215, 40239, 40246, 40249, 40250, 40260, 40262, 40271,
      40272, 40274, 40275, 40276, 40277, 40278, 40279, 40280, 40281, 40282, 40297, 40302, 40334,
      40352, 40355, 40356, 40357, 40389, 40394, 40398, 40399, 40400, 40404, 40405, 40406, 40407,
      40417, 40419, 40423, 40424, 40425, 40426, 40430, 40431, 40433, 40435, 40440, 40441, 40443,
      40444, 40446, 40448, 40449, 40450, 40453, 40456, 40461, 40464, 40465, 40466, 40467, 40468,
      40624, 40625, 40700, 54630, 57000, 57001, 57002, 57003, 57004, 57100, 57103, 57649, 57650,
      58131, 58138, 40528, 40529, 40530, 40531, 40532, 40536};
  ResourceModule module;
  std::string error;
  ASSERT_TRUE(module.Load(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", error))
      << error;
  EXPECT_EQ(module.IgnoredLineCount(), 0u);
  for (unsigned id : kUsedNumbers) EXPECT_FALSE(module.String(id).empty()) << "no text for " << id;
  for (unsigned id = 40469; id <= 40525; ++id) EXPECT_FALSE(module.String(id).empty()) << id;
  // The entries that name settings and files are fixed by the installation layout.
  EXPECT_EQ(module.String(platform::kDataFolderKeyStringId), "VISTAFOLD_DATA");
  EXPECT_EQ(module.String(platform::kSettingsSectionStringId), "Settings");
  // Texts meant to have a name appended keep their trailing blank.
  EXPECT_EQ(module.String(host_message::kErrorsWhileGenerating.id).back(), ' ');
  EXPECT_EQ(FormatHostMessage(module.String(host_message::kErrorOccurred.id), {"Syntax error"}),
            "An error occurred (Syntax error):");
}

// Each named status kind has the number the host's kind-name table expects, and the sample
// installation names it with the text its name stands for.
TEST(SampleResourceFile, NamesEveryNamedStatusKindWithItsText) {
  const struct {
    QuireStatusKind kind;
    uint32_t number;
    const char* text;
  } rows[] = {{kSuccess, 0, "Success"},
              {kFileNotFound, 4, "File not found"},
              {kSyntaxError, 35, "Syntax error"},
              {kNoTextForm, 36, "No text form"},
              {kUnknownAttribute, 37, "Unknown attribute"},
              {kUnknownAttributeInExpression, 38, "Unknown attribute in expression"},
              {kUnsupportedOperation, 39, "Unsupported operation"},
              {kNavigationError, 40, "Navigation error"},
              {kTypeMismatch, 41, "Type mismatch"},
              {kUnboundVariable, 42, "Unbound variable"},
              {kNotABooleanValue, 44, "Not a boolean value"},
              {kUndefinedSetting, 45, "Undefined setting"},
              {kDuplicateDomain, 48, "Duplicate domain"},
              {kNoArgumentToAssign, 49, "Failure"},
              {kUnreadableArgument, 50, "Failure"},
              {kClassMismatch, 51, "Class mismatch"},
              {kArgumentMismatch, 52, "Argument mismatch"},
              {kInformationSourceError, 53, "Information source error"},
              {kNoResult, 54, "No result"},
              {kNotImplemented, 61, "Not implemented"},
              {kProcessingError, 62, "Processing error"},
              {kEvaluationError, 63, "Evaluation error"},
              {kUnloggedFailure, 64, "Unlogged failure"}};
  ResourceModule module;
  std::string error;
  ASSERT_TRUE(module.Load(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", error))
      << error;
  for (const auto& row : rows) {
    EXPECT_EQ(static_cast<uint32_t>(row.kind), row.number) << row.text;
    EXPECT_EQ(module.String(QuireStatusKindNameId(row.kind)), row.text) << row.number;
  }
}

}  // namespace
