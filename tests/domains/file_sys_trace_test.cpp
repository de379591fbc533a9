// The file-system domain's trace lines, one per object of a listing, are written only at the
// debug level: at the default level a listing of many files writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "domains/file_sys_domain.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/undefined_domain.h"
#include "platform/config.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

namespace {

using test_support::CapturedStderr;
using test_support::TempFolder;

FileSysDomain* tracedDomain = nullptr;

QuireAbstractDomain& FindTracedFileSys(QuireStatus& status, const std::string& name) {
  if (name == "FileSys" && tracedDomain != nullptr) return *tracedDomain;
  status = QuireStatus(kEvaluationError, host_message::kNotDefined, name);
  return UndefinedDomain();
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class FileSysTrace : public ::testing::Test {
 protected:
  static constexpr int kFiles = 200;

  void SetUp() override {
    test_support::LoadSampleHostStrings();
    tracedDomain = &domain_;
    SetDomainFinder(&FindTracedFileSys);
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
    for (int i = 0; i < kFiles; ++i) folder_.Write("file" + std::to_string(i) + ".txt", "x");
    ASSERT_EQ(::mkfifo(folder_.Path("pipe").c_str(), 0600), 0);
  }
  void TearDown() override {
    SetDomainFinder(nullptr);
    tracedDomain = nullptr;
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }

  // Lists the folder and reads the simple name of every entry twice; gives what was written.
  std::string ListFolder() {
    return CapturedStderr([&] {
      QuireStatus status;
      const QuireClass cls = domain_.findClass("Directory", status);
      const QuireObject folder = domain_.makeObject(
          cls, {QuireAttributeValue(cls.constructorArguments().at(0), folder_.Path())}, status, 3);
      ASSERT_TRUE(status.IsOk()) << status.Text();
      const QuireRelationship& contents =
          cls.findRelationship("Contents", QuireRelationship::kNary, status);
      const QuireObjectList entries = folder.getNaryRelatedObjects(contents, status);
      ASSERT_EQ(entries.size(), static_cast<size_t>(kFiles + 1));
      for (const QuireObject& entry : entries) {
        const QuireAttribute& name = entry.getClass(status).findAttribute("SimpleName", status);
        for (int pass = 0; pass < 2; ++pass) {
          EXPECT_FALSE(entry.getAttributeValue(name, status).displayText().empty());
        }
      }
    });
  }

  FileSysDomain domain_;
  TempFolder folder_{"file_sys_trace"};
};

TEST_F(FileSysTrace, DefaultLevelWritesNoLinePerObject) { EXPECT_EQ(ListFolder(), ""); }

TEST_F(FileSysTrace, DebugLevelTracesEachObjectOnce) {
  platform::BindInitParameter("debugLevel", "5");
  const std::string lines = ListFolder();
  EXPECT_EQ(Count(lines, " Debug: Inside contents, writeImage = 0\n"), 1u);
  EXPECT_EQ(Count(lines, " Debug: FileSys evaluate: FullName = "), static_cast<size_t>(kFiles + 1));
  EXPECT_EQ(
      Count(lines, " Debug: FileSys evaluate: FullName = " + folder_.Path("file7.txt") + "\n"), 1u);
  EXPECT_EQ(Count(lines, " Debug: it's a default\n"), 1u);
  EXPECT_EQ(Count(lines, " Debug: stat result mode = 4096\n"), 1u);
}

}  // namespace
