// portal_bench: the demo page as the portal shows it, at scale: a folder of 1,000 files of which
// 100 are pictures, and a page with the folder's file table, a link to the portal page of every
// file (1,000 getPage links, each registered as an outline entry) and every picture drawn with
// its VML shape and fallback image (100 pictures copied into the page's companion folder). Each
// request runs end to end through the command-line host `xmlagent` beside this program, in a
// process of its own. Printed: seconds per request, pages per second, the time the driver itself
// logged, and the links and the written pictures that the page shows (they must be 1,000 and 100).
// Usage: portal_bench [installation folder]   (default: the sample installation)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/host_requests.h"

namespace fs = std::filesystem;

namespace {

using bench::LoggedSeconds;
using bench::RunHost;
using bench::SourceRoot;
using bench::WriteText;

constexpr int kFiles = 1000;
constexpr int kPictures = 100;
constexpr int kRuns = 10;
constexpr const char* kPageName = "portal.htm";

std::string Span(const std::string& command, const std::string& content) {
  return "<span QuireQuery=\"" + command + "\">" + content + "</span>";
}

// The page: the folder's name, its file table, one portal link per file and every picture.
std::string TemplateText() {
  const std::string files =
      "R:f:FileSys:File:d:FileSys:Directory:N=Contents:::NF:FileSys:DirectoryObject::"
      "NameMinusExtension";
  const std::string cells =
      "<td><p>" + Span("F:f:FileSys:File::SimpleName:SAA:", "&lt;SimpleName&gt;") + "</p></td>" +
      "<td><p>" + Span("F:f:FileSys:File::Extension:SAA:", "&lt;Extension&gt;") + "</p></td>";
  const std::string table =
      Span("M:files:TABLEINFO:A:1", "<table><tr><td>Name</td><td>Extension</td></tr>" +
                                        Span(files, "<tr>" + cells + "</tr>") + "</table>");
  const std::string pageLinks =
      Span("M:pages",
           Span("R:p:FileSys:File:d:FileSys:Directory:N=Contents:::NF:FileSys:DirectoryObject::"
                "NameMinusExtension",
                Span("F:p:FileSys:File::SimpleName:LISAA02portal", "&lt;SimpleName&gt;") + "; "));
  const std::string picture =
      "<v:shape id=\"picture\" style=\"width:48pt;height:48pt\">"
      "<v:imagedata src=\"portal_files/image001.png\"/></v:shape>"
      "<img width=\"64\" height=\"64\" src=\"portal_files/image002.png\" v:shapes=\"picture\"/>";
  const std::string pictures =
      Span("M:pictures",
           Span("R:g:FileSys:File:d:FileSys:Directory:N=Contents:==A:FileSys:File::Extension:Spng:",
                "<p>" + Span("F:g:FileSys:File::Graphic:GAA:", picture) + "</p>"));
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<html xmlns:v=\"urn:schemas-microsoft-com:vml\"><head><title>Portal</title></head>"
         "<body><div>" +
         Span("C:d:FileSys:Directory:FullName=", "") + "<h1>" +
         Span("F:d:FileSys:Directory::SimpleName:SAA:", "&lt;Name&gt;") + "</h1>" + table +
         "<p>Pages: " + pageLinks + "</p>" + pictures + "</div></body></html>\n";
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return text.str();
}

// kFiles files, every tenth of them a copy of the sample's logo.
void MakeFolder(const fs::path& folder, const std::string& picture) {
  fs::create_directories(folder);
  for (int i = 0; i < kFiles; ++i) {
    const bool isPicture = i % (kFiles / kPictures) == 0;
    const std::string name = "file" + std::to_string(i) + (isPicture ? ".png" : ".txt");
    WriteText(folder / name, isPicture ? picture : "line " + std::to_string(i));
  }
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The pictures of `folder` that the page names.
size_t PicturesShown(const fs::path& folder, const std::string& page) {
  std::error_code error;
  size_t count = 0;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (page.find("/" + it->path().filename().string()) != std::string::npos) ++count;
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const fs::path host = self.parent_path() / "xmlagent";
  const fs::path install = argc > 1 ? fs::path(argv[1]) : SourceRoot() / "sample" / "install";
  const fs::path logo = SourceRoot() / "sample" / "data" / "logo.png";
  if (!fs::exists(host) || !fs::is_directory(install) || !fs::exists(logo)) {
    std::fprintf(stderr, "portal_bench: needs %s (build the xmlagent_host target), %s and %s\n",
                 host.c_str(), install.c_str(), logo.c_str());
    return 1;
  }
  const fs::path work = fs::temp_directory_path() / ("portal_bench_" + std::to_string(getpid()));
  int exitStatus = 0;
  try {
    fs::create_directories(work);
    const fs::path templateFile = work / kPageName;
    WriteText(templateFile, TemplateText());
    const fs::path folder = work / "folder";
    MakeFolder(folder, ReadText(logo));
    const fs::path userData = work / "user";
    const fs::path page = userData / "generated" / kPageName;
    const fs::path pictures = userData / "generated" / "portal_files";

    double total = 0;
    double driver = 0;
    size_t links = 0;
    size_t written = 0;  // pictures in the companion folder that the page names
    for (int run = 0; run < kRuns && exitStatus == 0; ++run) {
      fs::remove_all(userData);
      const std::vector<std::string> arguments =
          bench::FolderRequest(install, userData, templateFile, folder);
      const auto started = std::chrono::steady_clock::now();
      const bool ok = RunHost(host, arguments, work / "host-output.txt");
      total += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      if (!ok) {
        std::fprintf(stderr, "portal_bench: the request failed; see %s\n",
                     (work / "host-output.txt").c_str());
        exitStatus = 1;
        break;
      }
      driver += LoggedSeconds(userData / "logs" / "xmlagent.log");
      const std::string text = ReadText(page);
      links = Occurrences(text, "javascript:getPage(");
      written = PicturesShown(pictures, text);
      if (links != static_cast<size_t>(kFiles) || written != static_cast<size_t>(kPictures)) {
        std::fprintf(stderr,
                     "portal_bench: the page has %zu portal links and %zu pictures, "
                     "expected %d and %d; see %s\n",
                     links, written, kFiles, kPictures, page.c_str());
        exitStatus = 1;
      }
    }
    if (exitStatus == 0) {
      std::printf("%8s %8s %6s %10s %10s %10s\n", "links", "pictures", "runs", "s/request",
                  "pages/s", "driver s");
      std::printf("%8zu %8zu %6d %10.3f %10.2f %10.3f\n", links, written, kRuns, total / kRuns,
                  kRuns / total, driver / kRuns);
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "portal_bench: %s\n", failure.what());
    exitStatus = 1;
  }
  if (exitStatus == 0) {
    std::error_code ignored;
    fs::remove_all(work, ignored);
  }
  return exitStatus;
}
