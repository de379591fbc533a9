// Times the DOM layer against plain pugixml: (a) load + save of a ~5 MB word-processor-like XHTML
// page, (b) 100,000 deep copies of a 40-node table row appended to a document (time, peak RSS).
// Run by hand: build/dom_bench [folder for the scratch files, default the system temp folder].
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/dom/dom_document.h"

namespace {

using platform::DomDocument;
using platform::DomNode;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double PeakRssMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

// One table row of the shape a word processor writes: 4 cells, each a paragraph of runs; 40 nodes.
std::string RowXml(int row) {
  std::string xml = "<tr style=\"height:12.0pt\">";
  for (int cell = 0; cell < 4; ++cell) {
    xml +=
        "<td width=\"148\" valign=\"top\" style=\"width:111.0pt;border:solid windowtext 1.0pt;"
        "padding:0in 5.4pt 0in 5.4pt\"><p class=\"MsoNormal\"><span style=\"font-size:10.0pt\">"
        "Caf\xC3\xA9 " +
        std::to_string(row) + "</span>&#160;<span lang=\"DE\">\xE2\x82\xAC " +
        std::to_string(cell * 17) + "</span><!--cell--><o:p></o:p>" +
        (cell == 0 ? "<b>total</b><br/>" : "") + "</p></td>";
  }
  return xml + "</tr>";
}

std::string WordLikePage(size_t targetBytes) {
  std::string page =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><html xmlns:v=\"urn:schemas-microsoft-com:vml\" "
      "xmlns:o=\"urn:schemas-microsoft-com:office:office\"><head><meta http-equiv=\"Content-Type\" "
      "content=\"text/html; charset=utf-8\"/><title>Report</title><style><!-- p.MsoNormal "
      "{margin:0in} --></style></head><body lang=\"EN-US\"><div class=\"Section1\">";
  for (int block = 0; page.size() < targetBytes; ++block) {
    page += "<p class=\"MsoNormal\"><span style=\"font-family:Arial\">Section " +
            std::to_string(block) +
            " of the report, with a few words of running text</span>"
            "<span class=\"MsoCommentReference\"><span style=\"mso-special-character:comment\">"
            "&#160;<a class=\"msocomanchor\" href=\"#_msocom_1\">[DISPLAY1]</a>&#160;</span></span>"
            "<span QuireQuery=\"F:Project.Name\">&lt;Name&gt;</span><o:p></o:p></p>"
            "<!--list=true--><table class=\"MsoTableGrid\" border=\"1\">";
    for (int row = 0; row < 4; ++row) page += RowXml(row);
    page += "</table>";
  }
  return page + "</div></body></html>";
}

size_t CountNodes(const DomNode& node) {
  size_t count = 1;
  for (const DomNode child : node.childNodes()) count += CountNodes(child);
  return count;
}

template <typename Step>
double BestOf(int runs, Step step) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    step();
    best = std::min(best, SecondsSince(start));
  }
  return best;
}

int CopyRows() {
  auto document = DomDocument::Create();
  if (!document->loadXML("<html><body><table>" + RowXml(0) + "</table></body></html>")) {
    std::printf("cannot load the row: %s\n", document->parseError().reason.c_str());
    return 1;
  }
  const DomNode table = document->selectSingleNode("html/body/table");
  const DomNode row = table.firstChild();
  const size_t nodes = CountNodes(row);
  constexpr int kCopies = 100000;
  const double rssBefore = PeakRssMegabytes();
  const auto start = Clock::now();
  for (int i = 0; i < kCopies; ++i) table.appendChild(row.cloneNode(true));
  const double seconds = SecondsSince(start);
  const double rssAfter = PeakRssMegabytes();
  const size_t rows = document->selectNodes("html/body/table/tr").length();
  std::printf(
      "(b) %d deep copies of a %zu-node row (cloneNode(true) + appendChild): %.3f s, "
      "peak RSS %.1f MB (%.1f MB before), %zu rows in the table\n",
      kCopies, nodes, seconds, rssAfter, rssBefore, rows);
  std::printf("    limits: under 1 s -> %s, under 1 GB -> %s\n", seconds < 1.0 ? "met" : "MISSED",
              rssAfter < 1024.0 ? "met" : "MISSED");
  return seconds < 1.0 && rssAfter < 1024.0 ? 0 : 1;
}

int LoadAndSave(const std::filesystem::path& folder) {
  const std::filesystem::path input =
      folder / ("dom_bench_page_" + std::to_string(getpid()) + ".htm");
  const std::filesystem::path ours =
      folder / ("dom_bench_ours_" + std::to_string(getpid()) + ".htm");
  const std::filesystem::path theirs =
      folder / ("dom_bench_pugixml_" + std::to_string(getpid()) + ".htm");
  const std::string page = WordLikePage(5u << 20);
  std::ofstream(input, std::ios::binary) << page;

  constexpr unsigned kOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                                pugi::parse_declaration | pugi::parse_doctype;
  constexpr int kRuns = 7;
  bool ok = true;
  const double ourSeconds = BestOf(kRuns, [&] {
    auto document = DomDocument::Create();
    ok = ok && document->load(input.string());
    document->save(ours.string());
  });
  const double pugiSeconds = BestOf(kRuns, [&] {
    pugi::xml_document document;
    ok = ok && document.load_file(input.c_str(), kOptions);
    ok = ok && document.save_file(theirs.c_str(), "", pugi::format_raw);
  });
  std::ifstream a(ours, std::ios::binary), b(theirs, std::ios::binary);
  const std::string ourBytes((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
  const std::string theirBytes((std::istreambuf_iterator<char>(b)),
                               std::istreambuf_iterator<char>());
  std::filesystem::remove(input);
  std::filesystem::remove(ours);
  std::filesystem::remove(theirs);
  if (!ok) {
    std::printf("(a) a load or save failed\n");
    return 1;
  }
  const double ratio = pugiSeconds / ourSeconds;  // our speed as a share of pugixml's
  std::printf(
      "(a) load + save of a %.2f MB page, best of %d: DomDocument %.1f ms, "
      "pugixml load_file + save_file %.1f ms; our speed = %.2f x pugixml's (%s)\n",
      static_cast<double>(page.size()) / (1 << 20), kRuns, ourSeconds * 1e3, pugiSeconds * 1e3,
      ratio, ratio >= 0.5 ? "at least half: met" : "MISSED");
  std::printf("    saved files identical: %s\n", ourBytes == theirBytes ? "yes" : "no");
  return ratio >= 0.5 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  const int copyResult = CopyRows();  // first, so that its peak RSS is its own
  const int loadResult = LoadAndSave(folder);
  return copyResult | loadResult;
}
