// The agent's log file stays below the size that "LogMaxBytes" sets, keeping one previous file,
// however much a request logs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document_request.h"
#include "platform/log.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;

class LogFileLimit : public test_support::DocumentRequestTest {};

TEST_F(LogFileLimit, DebugListingOfAFolderRotatesTheLogAtLogMaxBytes) {
  constexpr size_t kLimit = 3000;
  for (int i = 0; i < 300; ++i) WriteFile(data_ / ("entry" + std::to_string(i) + ".txt"), "x");
  platform::BindInitParameter("ENABLELOGGING", "TRUE");
  platform::BindInitParameter("debugLevel", "5");
  platform::BindInitParameter("LogMaxBytes", std::to_string(kLimit));
  const fs::path document = root_ / "folder.htm";
  WriteFile(document, ReadFile(XMLAGENT_SOURCE_DIR "/sample/templates/folder.htm"));
  EXPECT_EQ(GenerateDocument(document), 1);

  const fs::path log = user_ / "logs" / "xmlagent.log";
  const std::string current = ReadFile(log);
  const std::string previous = ReadFile(log.string() + ".1");
  EXPECT_FALSE(fs::exists(log.string() + ".2"));
  // A line is at most the time stamp, the level word, the cut message and its line end.
  constexpr size_t kLongestLine = 19 + 17 + platform::kMaxLogMessageBytes + 20;
  EXPECT_LE(current.size(), kLimit + kLongestLine);
  EXPECT_GT(previous.size(), kLimit - kLongestLine);
  EXPECT_LE(previous.size(), kLimit + kLongestLine);
  EXPECT_NE(current.find("Vistafold XML Agent Unloading"), std::string::npos) << current;
  EXPECT_NE((previous + current).find("FileSys evaluate: FullName = "), std::string::npos);
}

}  // namespace
