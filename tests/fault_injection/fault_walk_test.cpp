// Whole requests with one platform call failing: a clean request is run first and its calls of
// each seam (writes, renames, folder creation, library loading, process and thread starts,
// allocation) are counted; then the request is run again with its 1st, 2nd, ... call of each
// seam failing as the system would fail it. Every such request must end, report a failure when
// it could not make the page, leave the document either as it was or as the complete new page,
// leave Output.txt whole, and leave no temporary file behind; LeakSanitizer checks at exit that
// nothing leaked.
#include <gtest/gtest.h>
#include <jni.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "agent/agent_entry.h"
#include "platform/fault_injection.h"
#include "tests/agent/document_request.h"
#include "tests/kestrel/kestrel_test_support.h"

// The native methods as the JVM calls them; none of these three reads its arguments.
extern "C" {
JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_init(JNIEnv*, jobject);
JNIEXPORT jint JNICALL
Java_com_norvane_quill_tessel_gen_XmlAgent_generateFromLinkWithAParameterFile(JNIEnv*, jobject);
JNIEXPORT void JNICALL Java_com_norvane_quill_tessel_gen_XmlAgent_close(JNIEnv*, jobject);
}

namespace {

namespace fs = std::filesystem;
using platform::FaultInjection;
using platform::Seam;
using test_support::ReadFile;
using test_support::WriteFile;

constexpr Seam kSeams[] = {Seam::Write,       Seam::Rename,       Seam::MakeFolder,
                           Seam::LoadLibrary, Seam::StartProcess, Seam::StartThread,
                           Seam::Allocate};

// Output.txt as a previous request left it.
constexpr const char* kOldOutput = "<outline text=\"from an earlier request\"/>";

// Allocations are many: the first kAllocationHead calls are each made to fail, then a call at
// even steps, kAllocationTail calls in all.
constexpr std::uint64_t kAllocationHead = 80;
constexpr std::uint64_t kAllocationTail = 40;

// The outline ids and proxy numbers that differ from one request to the next.
std::string Normalised(const std::string& text) {
  static const std::regex id(R"(( id=")\d{6,}")");
  return std::regex_replace(text, id, "$1@ID@\"");
}

// The mark of a picture that could not be written into the page's folder.
constexpr const char* kPictureMissing = "<span>&lt;picture missing&gt;</span>";

// The page with every picture written into its folder, and every mark of a missing one, as
// "@PICTURE@".
std::string WithoutPictures(const std::string& page) {
  static const std::regex picture(R"(<img src="\./[^"/]*_files/newimage\d+\.\w+"[^>]*/>)");
  static const std::regex missing("<span>&lt;picture missing&gt;</span>");
  return std::regex_replace(std::regex_replace(Normalised(page), picture, "@PICTURE@"), missing,
                            "@PICTURE@");
}

// Whether the text ends with the closing html tag (and white space): a page written whole.
bool EndsWithHtml(const std::string& text) {
  const size_t end = text.find_last_not_of(" \t\r\n");
  constexpr std::string_view kClose = "</html>";
  return end != std::string::npos && end + 1 >= kClose.size() &&
         text.compare(end + 1 - kClose.size(), kClose.size(), kClose) == 0;
}

// Ends the program when one request does not end in time: a hung request would otherwise hold
// the walk until CTest's timeout, without saying which fault hung it.
class Watchdog {
 public:
  Watchdog()
      : thread_([this] {
          std::unique_lock<std::mutex> lock(mutex_);
          while (!stop_) {
            if (armed_ && std::chrono::steady_clock::now() >= deadline_) {
              std::printf("FAILED: the request with %s did not end; the walk ends here\n",
                          label_.c_str());
              std::fflush(stdout);
              std::_Exit(1);
            }
            changed_.wait_for(lock, std::chrono::milliseconds(500));
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  void Expect(const std::string& label, std::chrono::seconds limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    label_ = label;
    deadline_ = std::chrono::steady_clock::now() + limit;
    armed_ = true;
  }
  void Done() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string label_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
  bool stop_ = false;
  std::thread thread_;
};

// What one request left behind.
struct Result {
  std::string oldDocument;  // what the document held before the request
  int outcome = -3;
  bool fired = false;
  std::string document, output, errorPage, log;
  std::vector<std::string> leftovers;  // temporary files of the library's writers
};

// One request of the walk: the template written as the document before each run, the artifact,
// and what else the run needs in place (run before each request, outside the fault).
struct Request {
  std::string templateText;
  std::string locator;
  std::function<void()> prepare;
};

class FaultWalk : public test_support::DocumentRequestTest,
                  public testing::WithParamInterface<const char*> {
 protected:
  FaultWalk() { timeout_ = GetParam(); }
  void SetUp() override {
    DocumentRequestTest::SetUp();
    fs::create_directories(emptyStore_);
    // No data sources unless a walk brings its own: the sample ones would be loaded by every
    // request.
    extraParameters_ = {{"KESTREL_STORE", emptyStore_.string()}, {"ENABLELOGGING", "TRUE"}};
    BindInitParameters();
  }

  // Runs the request with the nth call of `seam` failing (n = 0: none).
  Result Run(const Request& request, Seam seam, std::uint64_t n) {
    fs::remove_all(root_ / "data-folder");
    fs::remove_all(user_ / "logs");
    fs::remove_all(root_ / "page_files");
    fs::remove(root_ / "pageERR.htm");
    WriteFile(document_, request.templateText);
    test_support::WriteParameterFile(user_, "FILE_NAME=" + document_.string() +
                                                "\nARTIFACT_LOCATOR=" + request.locator +
                                                "\nTEMPLATE_ID=walk\n");
    WriteFile(output_, kOldOutput);
    if (request.prepare) request.prepare();
    BindInitParameters();
    const std::string label = std::string(platform::SeamName(seam)) + " call " + std::to_string(n) +
                              " (timeout " + timeout_ + ")";
    if (std::getenv("FAULT_WALK_SHOW") != nullptr) std::printf("[ request  ] %s\n", label.c_str());
    Result result;
    result.oldDocument = request.templateText;
    {
      // FAULT_WALK_SHOW=1 leaves the standard error stream alone, so that the words of a request
      // that ends the program are seen.
      std::optional<test_support::StderrToFile> capture;
      if (std::getenv("FAULT_WALK_SHOW") == nullptr)
        capture.emplace((root_ / "stderr.txt").string());
      watchdog_.Expect(label, std::chrono::seconds(60));
      FaultInjection::arm(seam, n);
      Java_com_norvane_quill_tessel_gen_XmlAgent_init(nullptr, nullptr);
      Java_com_norvane_quill_tessel_gen_XmlAgent_generateFromLinkWithAParameterFile(nullptr,
                                                                                    nullptr);
      result.outcome = XmlAgentLastGenerateOutcome();
      Java_com_norvane_quill_tessel_gen_XmlAgent_close(nullptr, nullptr);
      FaultInjection::disarm();
      watchdog_.Done();
      result.fired = FaultInjection::fired();
      if (capture) result.log = capture->Since(0);
    }
    result.log += ReadFile(user_ / "logs" / "xmlagent.log");
    result.document = ReadFile(document_);
    result.output = ReadFile(output_);
    result.errorPage = ReadFile(root_ / "pageERR.htm");
    for (const fs::path& folder : {root_, user_ / "generated", root_ / "page_files", store_}) {
      std::error_code error;
      for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        for (const char* mark : {".~", ".copy-", ".tmp", ".building"}) {
          if (name.find(mark) == std::string::npos) continue;
          result.leftovers.push_back(name);
          fs::remove(entry.path(), error);  // so that the next request is not blamed for it
        }
      }
    }
    return result;
  }

  // Runs the request clean, then with each call of each seam failing in turn; gives the number
  // of requests walked.
  int Walk(const Request& request) {
    const Result clean = Run(request, Seam::Write, 0);
    if (clean.outcome != 1) {
      ADD_FAILURE() << "the clean request failed:\n" << clean.errorPage << clean.log;
      return 0;
    }
    std::uint64_t counts[platform::kSeamCount];
    for (const Seam seam : kSeams) counts[static_cast<int>(seam)] = FaultInjection::calls(seam);
    int walked = 0;
    for (const Seam seam : kSeams) {
      const std::uint64_t count = counts[static_cast<int>(seam)];
      std::vector<std::uint64_t> calls;
      const std::uint64_t head = seam == Seam::Allocate ? kAllocationHead : count;
      for (std::uint64_t n = 1; n <= std::min(head, count); ++n) calls.push_back(n);
      if (count > head) {
        const std::uint64_t stride = std::max<std::uint64_t>(1, (count - head) / kAllocationTail);
        for (std::uint64_t n = head + stride; n <= count; n += stride) calls.push_back(n);
      }
      std::printf("[ walk     ] timeout %s: %s, %llu calls, %zu walked\n", timeout_.c_str(),
                  platform::SeamName(seam), static_cast<unsigned long long>(count), calls.size());
      std::fflush(stdout);
      // FAULT_WALK_ONLY=SEAM (a seam's name as printed) walks that seam only, SEAM:N its nth
      // call only.
      if (const char* only = std::getenv("FAULT_WALK_ONLY")) {
        const std::string text = only;
        const size_t colon = text.rfind(':');
        if (text.substr(0, colon) != platform::SeamName(seam)) continue;
        if (colon != std::string::npos) calls = {std::stoull(text.substr(colon + 1))};
      }
      for (const std::uint64_t n : calls) {
        Check(Run(request, seam, n), clean, seam,
              std::string(platform::SeamName(seam)) + " call " + std::to_string(n));
        ++walked;
        if (HasFatalFailure()) return walked;
      }
      // What a fault may have left behind must not spoil the next request.
      const Result after = Run(request, seam, 0);
      EXPECT_EQ(after.outcome, 1) << "a clean request after the " << platform::SeamName(seam)
                                  << " faults:\n"
                                  << after.errorPage << after.log;
      EXPECT_EQ(Normalised(after.document), Normalised(clean.document));
    }
    return walked;
  }

  static void Check(const Result& result, const Result& clean, Seam seam,
                    const std::string& label) {
    SCOPED_TRACE(label + ": outcome " + std::to_string(result.outcome) +
                 (result.fired ? "" : " (the fault was not reached)"));
    EXPECT_TRUE(result.leftovers.empty()) << "temporary files left: " << result.leftovers[0];
    const bool wholeOutput = result.output == kOldOutput || result.output.empty() ||
                             Normalised(result.output) == Normalised(clean.output);
    EXPECT_TRUE(wholeOutput) << "Output.txt is half-written:\n" << result.output;
    if (result.outcome == 1) {
      // Reported as generated: the page is the clean request's page, byte for byte, except that
      // a picture that could not be written is marked missing in its place (and logged).
      const bool pictureLost =
          (seam == Seam::Write || seam == Seam::Rename || seam == Seam::MakeFolder) &&
          result.document.find(kPictureMissing) != std::string::npos;
      // A script of the file-system domain that cannot be started leaves its objects or value
      // out, says so on the diagnostic stream, and the generation goes on.
      if (seam == Seam::StartProcess &&
          result.log.find("syscall failure: 11, call: Fork") != std::string::npos) {
        return;
      }
      // Likewise a query that the remote domain's library answers with a failure (its own
      // allocation failed: it runs in this process): logged, and the value stays out.
      if (seam == Seam::Allocate &&
          result.log.find("Bad status from query: Information source error: The Issues library "
                          "failed: std::bad_alloc") != std::string::npos) {
        return;
      }
      EXPECT_EQ(pictureLost ? WithoutPictures(result.document) : Normalised(result.document),
                pictureLost ? WithoutPictures(clean.document) : Normalised(clean.document))
          << result.log;
      EXPECT_EQ(Normalised(result.output), Normalised(clean.output));
      return;
    }
    EXPECT_TRUE(result.outcome == 0 || result.outcome == -1 || result.outcome == -2)
        << result.outcome;
    // A failed request may still write its document whole: the page as far as it was generated
    // (at once) or the error page (queued). Never a file cut short.
    const bool whole = result.document == result.oldDocument ||
                       Normalised(result.document) == Normalised(clean.document) ||
                       (!result.errorPage.empty() && result.document == result.errorPage) ||
                       EndsWithHtml(result.document);
    EXPECT_TRUE(whole) << "the document is neither the old file nor a whole page:\n"
                       << result.document;
    // A failed request says why: on its error page or in the log at the default level.
    const bool reported =
        !result.errorPage.empty() || result.log.find("Critical error: ") != std::string::npos;
    // (Unless FAULT_WALK_SHOW sent the log to the terminal.)
    EXPECT_TRUE(reported || std::getenv("FAULT_WALK_SHOW") != nullptr)
        << "failed without a reason:\n"
        << result.log;
  }

  Watchdog watchdog_;
  fs::path document_ = root_ / "page.htm";
  fs::path output_ = user_ / "generated" / "Output.txt";
  fs::path emptyStore_ = root_ / "no-stores";
  fs::path store_ = root_ / "store";
};

// A picture, a portal link (an outline entry in Output.txt), a script run for each record file
// and the file table: the folder page of the file-system domain.
TEST_P(FaultWalk, FolderPageOfTheFileSystemDomain) {
  fs::copy_file(XMLAGENT_SOURCE_DIR "/sample/data/logo.png", data_ / "logo.png");
  WriteFile(data_ / "team.csv", "#FIELD_DELIMITER ,\nada,engineer\nbob,tester\n");
  const Request request{
      "<html xmlns:v=\"urn:schemas-microsoft-com:vml\"><head><title>Walk</title></head><body>"
      "<span QuireQuery=\"C:d:FileSys:Directory:FullName=\">x</span>"
      "<h1><span QuireQuery=\"F:d:FileSys:Directory::SimpleName:SAA:\">name</span></h1>"
      "<span QuireQuery=\"M:files\"><span QuireQuery=\"R:f:FileSys:File:d:FileSys:Directory:"
      "N=Contents:::A:FileSys:DirectoryObject::SimpleName\"><p><span "
      "QuireQuery=\"F:f:FileSys:File::SimpleName:LISAA02plain\">file</span></p></span></span>"
      "<span QuireQuery=\"M:logo\"><span QuireQuery=\"R:g:FileSys:File:d:FileSys:Directory:"
      "N=Contents:==A:FileSys:File::SimpleName:Slogo\\x2Epng:\"><p><span "
      "QuireQuery=\"F:g:FileSys:File::Graphic:GAA:\"><img src=\"old.gif\" width=\"50\" "
      "height=\"50\"/></span></p></span></span>"
      "<span QuireQuery=\"M:csv\"><span QuireQuery=\"R:c:FileSys:CsvFile:d:FileSys:Directory:"
      "N=CsvFile:::A:FileSys:DirectoryObject::SimpleName\"><p><span "
      "QuireQuery=\"F:c:FileSys:CsvFile::SimpleName:SAA:\">csv</span> <span "
      "QuireQuery=\"F:c:FileSys:CsvFile::RecordCount:SAA:\">n</span></p></span></span>"
      "</body></html>",
      "FileSys:Directory:FullName=" + data_.string(),
      {}};
  EXPECT_GT(Walk(request), 0);
}

// The requirements of a small data source built from its SQL text by the first request (the
// database is removed before each), with a picture column exported into the page's folder.
TEST_P(FaultWalk, ReportOverADataSource) {
  fs::create_directories(store_);
  const std::string hex = kestrel_test::Hex(kestrel_test::MakePng(4, 2));
  WriteFile(store_ / "plant.sql",
            "CREATE TABLE site (id INTEGER PRIMARY KEY, name TEXT, photo BLOB);\n"
            "CREATE TABLE module (id INTEGER PRIMARY KEY, name TEXT, "
            "site INTEGER REFERENCES site(id));\n"
            "INSERT INTO site VALUES (1, 'north', x'" +
                hex +
                "');\n"
                "INSERT INTO module VALUES (1, 'pump', 1), (2, 'valve', 1), (3, 'seal', 1);\n");
  extraParameters_ = {{"KESTREL_STORE", store_.string()}};
  const Request request{
      "<html xmlns:v=\"urn:schemas-microsoft-com:vml\"><body>"
      "<span QuireQuery=\"C:s:plant:site:id=\">x</span>"
      "<h1><span QuireQuery=\"F:s:plant:site::name:SAA:\">site</span></h1>"
      "<p><span QuireQuery=\"F:s:plant:site::Image:GAA:\"><img src=\"old.gif\"/></span></p>"
      "<span QuireQuery=\"M:all\"><span QuireQuery=\"R:m:plant:module:s:plant:site:N=module:::"
      "A:plant:module::name\"><p><span QuireQuery=\"F:m:plant:module::name:SAA:\">name</span>"
      "</p></span></span></body></html>",
      "plant:site:id=1", [this] { fs::remove(store_ / "plant.db"); }};
  EXPECT_GT(Walk(request), 0);
}

// The issue tracker of the sample domain library, loaded from the installation's domains folder.
TEST_P(FaultWalk, PageOverARemoteDomain) {
  fs::copy_file(XMLAGENT_ISSUES_LIBRARY, home_ / "domains" / "ISSUES.so");
  fs::copy(XMLAGENT_SOURCE_DIR "/sample/data/issues", root_ / "issues");
  const Request request{
      "<html><body><span QuireQuery=\"C:t:Issues:Tracker:File=\">x</span>"
      "<h1><span QuireQuery=\"F:t:Issues:Tracker::Name:SAA:\">name</span> "
      "<span QuireQuery=\"F:t:Issues:Tracker::IssueCount:NIA:\">n</span></h1>"
      "<span QuireQuery=\"M:issues\"><span QuireQuery=\"R:i:Issues:Issue:t:Issues:Tracker:"
      "N=Issues:::A:Issues:Issue::Number\"><p><span QuireQuery=\"F:i:Issues:Issue::Key:SAA:\">"
      "key</span> <span QuireQuery=\"F:i:Issues:Issue::Title:SAA:\">title</span></p>"
      "</span></span></body></html>",
      "Issues:Tracker:File=" + (root_ / "issues" / "issues.csv").string(),
      {}};
  EXPECT_GT(Walk(request), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, FaultWalk, testing::Values("0", "8000"), test_support::ModeName);

}  // namespace
