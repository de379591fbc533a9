// A FILE_NAME that names a named pipe, a device or a folder, and an errreport.htm that is a named
// pipe: the request ends at once with the error page, and the file is left as it is.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>

#include "document_request.h"

namespace {

namespace fs = std::filesystem;
using test_support::OpenPipeForWriting;
using test_support::ReadFile;
using test_support::ReturnsInTime;

constexpr char kNotRegular[] = "Not a regular file (a device, pipe or socket)";

mode_t TypeOf(const fs::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & S_IFMT;
}

class DocumentFileKinds : public test_support::DocumentRequestTest {};

TEST_F(DocumentFileKinds, PipeDeviceAndFolderAreRefusedWithTheErrorPage) {
  const fs::path pipe = root_ / "pipe.htm", device = root_ / "device.htm",
                 folder = root_ / "folder.htm";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directory(folder);
  const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  struct Case {
    fs::path document;
    mode_t type;
    std::string reason;
  };
  std::vector<Case> cases = {{pipe, S_IFIFO, kNotRegular}, {folder, S_IFDIR, "Is a directory"}};
  if (haveDevice) cases.push_back({device, S_IFCHR, kNotRegular});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    int outcome = -2;
    ASSERT_TRUE(ReturnsInTime([&] { outcome = GenerateDocument(c.document); },
                              [&] { OpenPipeForWriting(c.document); }))
        << "the request blocked";
    EXPECT_EQ(outcome, 0);
    EXPECT_EQ(TypeOf(c.document), c.type);
    const fs::path errorPage = root_ / (c.document.stem().string() + "ERR.htm");
    ASSERT_TRUE(fs::exists(errorPage));
    EXPECT_NE(ReadFile(errorPage).find(c.reason), std::string::npos) << ReadFile(errorPage);
  }
}

TEST_F(DocumentFileKinds, ErrorPageTemplateThatIsAPipeGivesThePlainErrorPage) {
  const fs::path errreport = home_ / "errreport.htm";
  fs::remove(errreport);
  ASSERT_EQ(::mkfifo(errreport.c_str(), 0600), 0);
  const fs::path document = root_ / "missing.htm";
  int outcome = -2;
  ASSERT_TRUE(ReturnsInTime([&] { outcome = GenerateDocument(document); },
                            [&] { OpenPipeForWriting(errreport); }))
      << "reading errreport.htm blocked";
  EXPECT_EQ(outcome, 0);
  EXPECT_EQ(TypeOf(errreport), static_cast<mode_t>(S_IFIFO));
  const std::string page = ReadFile(root_ / "missingERR.htm");
  EXPECT_EQ(page.rfind("<html><body><div>", 0), 0u) << page;
  EXPECT_NE(page.find(document.string()), std::string::npos) << page;
}

}  // namespace
