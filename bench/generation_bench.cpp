// generation_bench: whole generate requests as the portal makes them, through the library's entry
// points (the command-line host `xmlagent` beside this program runs each request in a process of
// its own). The template is a MASTER/REPEAT table over a folder of N files with six DISPLAYs per
// row; printed per N: seconds per request, pages per second, the time the driver itself logged,
// and the peak resident set of the request's process.
// Usage: generation_bench [installation folder]   (default: the sample installation)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

constexpr int kDisplaysPerRow = 6;

std::string Span(const std::string& command, const std::string& content) {
  return "<span QuireQuery=\"" + command + "\">" + content + "</span>";
}

// The page: the folder from the locator, then one table row per file, in name order.
std::string TemplateText() {
  const char* const attributes[kDisplaysPerRow] = {"SimpleName", "NameMinusExtension", "Extension",
                                                   "FullName",   "NamePrefix",         "Text"};
  std::string cells;
  for (const char* attribute : attributes) {
    cells += "<td style=\"border:solid 1.0pt\"><p>" +
             Span(std::string("F:f:FileSys:File::") + attribute + ":SAA:",
                  std::string("&lt;") + attribute + "&gt;") +
             "</p></td>";
  }
  const std::string rows = Span(
      "R:f:FileSys:File:d:FileSys:Directory:N=Contents:::NF:FileSys:DirectoryObject::"
      "NameMinusExtension",
      "<tr>" + cells + "</tr>");
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<html><head><title>Files</title></head>"
         "<body><div>" +
         Span("C:d:FileSys:Directory:FullName=", "") + "<h1>" +
         Span("F:d:FileSys:Directory::SimpleName:SAA:", "&lt;Name&gt;") + "</h1>" +
         Span("M:files:TABLEINFO:A:1", "<table><tr><td>Name</td></tr>" + rows + "</table>") +
         "</div></body></html>\n";
}

void MakeFolder(const fs::path& folder, int files) {
  fs::create_directories(folder);
  for (int i = 0; i < files; ++i) {
    WriteText(folder / ("file" + std::to_string(i) + ".txt"), "line " + std::to_string(i));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const fs::path host = self.parent_path() / "xmlagent";
  const fs::path install = argc > 1 ? fs::path(argv[1]) : SourceRoot() / "sample" / "install";
  if (!fs::exists(host) || !fs::is_directory(install)) {
    std::fprintf(stderr, "generation_bench: needs %s (build the xmlagent_host target) and %s\n",
                 host.c_str(), install.c_str());
    return 1;
  }
  const fs::path work =
      fs::temp_directory_path() / ("generation_bench_" + std::to_string(getpid()));
  fs::create_directories(work);
  const fs::path templateFile = work / "files.htm";
  WriteText(templateFile, TemplateText());

  int exitStatus = 0;
  std::printf("%8s %6s %10s %10s %10s %12s\n", "files", "runs", "s/request", "pages/s", "driver s",
              "peak RSS MB");
  for (const int files : {1000, 10000}) {
    const fs::path folder = work / ("folder" + std::to_string(files));
    MakeFolder(folder, files);
    const int runs = files >= 10000 ? 3 : 10;
    const fs::path userData = work / ("user" + std::to_string(files));
    double total = 0;
    double driver = 0;
    long peakKb = 0;
    for (int run = 0; run < runs; ++run) {
      fs::remove_all(userData);
      const std::vector<std::string> arguments =
          bench::FolderRequest(install, userData, templateFile, folder);
      const auto started = std::chrono::steady_clock::now();
      const bool ok = RunHost(host, arguments, work / "host-output.txt");
      total += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
      if (!ok) {
        std::fprintf(stderr, "generation_bench: the request over %d files failed; see %s\n", files,
                     (work / "host-output.txt").c_str());
        exitStatus = 1;
        break;
      }
      driver += LoggedSeconds(userData / "logs" / "xmlagent.log");
      rusage usage{};
      getrusage(RUSAGE_CHILDREN, &usage);  // the largest child so far; sizes only grow here
      peakKb = usage.ru_maxrss;
    }
    if (exitStatus != 0) break;
    std::printf("%8d %6d %10.3f %10.2f %10.3f %12.1f\n", files, runs, total / runs, runs / total,
                driver / runs, static_cast<double>(peakKb) / 1024.0);
    std::fflush(stdout);
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return exitStatus;
}
