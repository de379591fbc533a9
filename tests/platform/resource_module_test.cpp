#include "platform/resource_module.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/host_hooks.h"
#include "platform/own_strings.h"

namespace {

using platform::HostResources;
using platform::LoadHostString;
using platform::ResourceModule;

class ResourceFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "rsc_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    HostResources().Unload();
    std::filesystem::remove_all(folder_);
  }

  std::string Write(const std::string& text) {
    std::string path = (folder_ / "Vistafold.rsc").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::filesystem::path folder_;
};

TEST_F(ResourceFile, TextRunsToTheLineEndAsWrittenWithEscapes) {
  ResourceModule module;
  std::string error;
  ASSERT_TRUE(module.Load(Write("100=  padded = text  \n"
                                "101=line\\nbreak\\ttab\\\\slash\n"
                                "102=C:\\Program Files\\x\\\n"
                                "103=\n"
                                "104=crlf\r\n"),
                          error))
      << error;
  EXPECT_TRUE(module.IsLoaded());
  EXPECT_EQ(module.String(100), "  padded = text  ");
  EXPECT_EQ(module.String(101), "line\nbreak\ttab\\slash");
  EXPECT_EQ(module.String(102), "C:\\Program Files\\x\\");
  EXPECT_EQ(module.String(103), "");
  EXPECT_EQ(module.String(104), "crlf");
  EXPECT_EQ(module.IgnoredLineCount(), 0u);
}

TEST_F(ResourceFile, CommentsBlankAndBadLinesAreIgnored) {
  ResourceModule module;
  std::string error;
  ASSERT_TRUE(module.Load(Write("\xEF\xBB\xBF# 1=comment\n"
                                "; 2=comment\n"
                                "   \n"
                                "no equals sign\n"
                                "abc=not a number\n"
                                "-5=negative\n"
                                "99999999999=too large\n"
                                "=no number\n"
                                " 7 =blanks around the number\n"
                                "8=first\n"
                                "8=second\n"),
                          error));
  EXPECT_EQ(module.String(1), "");
  EXPECT_EQ(module.String(2), "");
  EXPECT_EQ(module.String(7), "blanks around the number");
  EXPECT_EQ(module.String(8), "first");
  EXPECT_EQ(module.IgnoredLineCount(), 5u);
}

TEST_F(ResourceFile, MissingFileFailsWithItsPathAndKeepsTheLoadedStrings) {
  ResourceModule module;
  std::string error;
  ASSERT_TRUE(module.Load(Write("5=kept\n"), error));
  std::string missing = (folder_ / "absent.rsc").string();
  EXPECT_FALSE(module.Load(missing, error));
  EXPECT_NE(error.find(missing), std::string::npos);
  EXPECT_FALSE(module.Load(folder_.string(), error));  // a folder is not a module
  EXPECT_TRUE(module.IsLoaded());
  EXPECT_EQ(module.String(5), "kept");
}

TEST_F(ResourceFile, StringsAreEmptyBeforeLoadAndAfterUnload) {
  ResourceModule module;
  EXPECT_FALSE(module.IsLoaded());
  EXPECT_EQ(module.String(40007), "");
  std::string error;
  ASSERT_TRUE(module.Load(Write("40007=text\n"), error));
  EXPECT_EQ(module.String(40007), "text");
  module.Unload();
  EXPECT_FALSE(module.IsLoaded());
  EXPECT_EQ(module.String(40007), "");
}

TEST_F(ResourceFile, OwnTableAnswersForItsNumbersAndTheModuleForTheRest) {
  std::string error;
  ASSERT_TRUE(
      HostResources().Load(Write("57000=HOST_HOME\n593=host wording\n40185=host text\n"), error));
  EXPECT_EQ(LoadHostString(57000), "VISTAFOLD_HOME");
  EXPECT_EQ(LoadHostString(593), "Cannot find registry entry for %1");
  EXPECT_EQ(LoadHostString(40185), "host text");
  HostResources().Unload();
  EXPECT_EQ(LoadHostString(40185), "");
  EXPECT_EQ(LoadHostString(57003), "SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD");
}

TEST(OwnStrings, HoldExactlyTheLibrarysTexts) {
  EXPECT_EQ(platform::OwnString(57000), "VISTAFOLD_HOME");
  EXPECT_EQ(platform::OwnString(57001), "VISTAFOLD_RESOURCE");
  EXPECT_EQ(platform::OwnString(57003), "SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD");
  EXPECT_EQ(platform::OwnString(57103), "Vistafold.rsc");
  EXPECT_EQ(platform::OwnString(590), "%1 does not exist or can not be loaded.");
  EXPECT_EQ(platform::OwnString(593), "Cannot find registry entry for %1");
  EXPECT_EQ(platform::OwnString(57002), std::nullopt);
  EXPECT_EQ(platform::OwnString(40007), std::nullopt);
}

TEST_F(ResourceFile, InstalledLookupFeedsFoundationHostStrings) {
  // Load-time installation already happened; a test elsewhere may have reset the hook.
  platform::InstallHostStrings();
  std::string error;
  ASSERT_TRUE(HostResources().Load(Write("40531=no document\n"), error));
  EXPECT_EQ(HostString(40531), "no document");
  EXPECT_EQ(HostString(57103), "Vistafold.rsc");
  EXPECT_EQ(FormatHostMessage(HostString(590), {"/x/Vistafold.rsc"}),
            "/x/Vistafold.rsc does not exist or can not be loaded.");
}

TEST_F(ResourceFile, LookupsRunConcurrentlyWithReloads) {
  std::string path = Write("1=one\n2=two\n");
  std::string error;
  ASSERT_TRUE(HostResources().Load(path, error));
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
    ASSERT_TRUE(HostResources().Load(path, error));
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
      40469, 40470, 40471, 40472, 40473, 40474, 40475, 40476, 40477, 40478, 40479, 40480, 40481,
      40482, 40483, 40484, 40485, 40486, 40487, 40488, 40489, 40490, 40491, 40492, 40493, 40494,
      40495, 40496, 40497, 40498, 40499, 40500, 40501, 40502, 40503, 40504, 40505, 40506, 40507,
      40508, 40509, 40510, 40511, 40512, 40513, 40514, 40515, 40516, 40517, 40518, 40519, 40520,
      40521, 40522, 40523, 40524, 40525, 40528, 40529, 40530, 40531, 40532, 40536, 40624, 40625,
      40700, 54630, 57000, 57001, 57002, 57003, 57004, 57100, 57103, 57649, 57650, 58131, 58138};
  ResourceModule module;
  std::string error;
  ASSERT_TRUE(module.Load(XMLAGENT_SOURCE_DIR "/sample/install/domains/Vistafold.rsc", error))
      << error;
  EXPECT_EQ(module.IgnoredLineCount(), 0u);
  for (unsigned id : kUsedNumbers) {
    EXPECT_FALSE(module.String(id).empty()) << "no text for " << id;
  }
  // The entries that name settings and files are fixed by the installation layout.
  EXPECT_EQ(module.String(57002), "VISTAFOLD_DATA");
  EXPECT_EQ(module.String(57004), "Settings");
  EXPECT_EQ(module.String(57100), "vistafold.ini");
  EXPECT_EQ(module.String(54630), "Vistafold");
  for (unsigned id : {57000u, 57001u, 57003u, 57103u}) {
    EXPECT_EQ(module.String(id), *platform::OwnString(id)) << id;
  }
  // Texts meant to have a name appended keep their trailing blank.
  EXPECT_EQ(module.String(40532).back(), ' ');
  EXPECT_EQ(FormatHostMessage(module.String(40007), {"Syntax error"}),
            "An error occurred (Syntax error):");
}

}  // namespace
