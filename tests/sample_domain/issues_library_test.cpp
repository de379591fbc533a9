// The sample domain library ISSUES.so, loaded as the agent loads it (dlopen, then its "Query"):
// the header and length of every answer, the argument encoding, each kind of query on the
// sample tracker, its failures, and that the module stands alone (no link to libxmlagent).
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "domains/domain_library_entry.h"

namespace fs = std::filesystem;

namespace {

const std::string kTrackerFile = XMLAGENT_SOURCE_DIR "/sample/data/issues/issues.csv";
const std::string kPictures = XMLAGENT_SOURCE_DIR "/sample/data/issues/";
// The first lines of a tracker's issue and people files.
const std::string kIssuesHeader =
    "Key,Title,Estimate,Votes,Open,Assignee,Related,Screenshot,Description\n";
const std::string kPeopleHeader = "Login,Name,Email,Avatar\n";

// A fresh folder under the temporary folder, removed at the end. (The program links nothing of
// the agent, so it keeps its own helper.)
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix) {
    std::string pattern = (fs::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make " << pattern;
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  // Writes `text` to the file `name` in the folder (making folders on the way); its path.
  std::string Write(const std::string& name, const std::string& text) const {
    fs::create_directories((path_ / name).parent_path());
    std::ofstream(path_ / name, std::ios::binary) << text;
    return (path_ / name).string();
  }

 private:
  fs::path path_;
};

struct Reply {
  bool success = false;
  std::string text;  // the response without its final newline
  std::vector<std::string> lines;
};

// Splits at newlines.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The argument encoding as the agent writes it, to build queries.
std::string Encode(const std::string& text) {
  std::string encoded;
  for (unsigned char c : text) {
    if (c == ' ' || c == '\\' || c == '\t' || c == '\n') {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      encoded += hex;
    } else {
      encoded += static_cast<char>(c);
    }
  }
  return encoded;
}

class IssuesLibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    handle_ = dlopen(XMLAGENT_ISSUES_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    query_ = reinterpret_cast<QuireQueryEntry>(dlsym(handle_, "Query"));
    ASSERT_NE(query_, nullptr) << dlerror();
  }

  // Sends one query (a newline is added, as the agent does) and checks the form of the answer:
  // "Success" or "Failure" in bytes 0-6, the length in decimal from byte 8, equal to the length
  // handed back and never 0, and a response of that many bytes ending in a newline.
  static Reply Ask(const std::string& query) {
    Reply reply;
    char header[16];
    std::memset(header, '?', sizeof header);
    const char* response = nullptr;
    unsigned long length = 0;
    query_((query + "\n").c_str(), header, &response, &length);
    const std::string flag(header, 7);
    EXPECT_TRUE(flag == "Success" || flag == "Failure") << query << ": header " << flag;
    EXPECT_EQ(std::memchr(header, '\0', sizeof header) != nullptr, true) << query;
    EXPECT_EQ(std::strtoul(header + 8, nullptr, 10), length) << query << ": header " << header;
    EXPECT_GT(length, 0u) << query;
    if (response == nullptr || length == 0) return reply;
    const std::string text(response, length);
    EXPECT_EQ(text.back(), '\n') << query;
    reply.success = flag == "Success";
    reply.text = text.substr(0, text.size() - 1);
    reply.lines = Lines(reply.text);
    return reply;
  }

  // The answer's text; fails the test unless it is a success.
  static std::string Value(const std::string& query) {
    const Reply reply = Ask(query);
    EXPECT_TRUE(reply.success) << query << " -> " << reply.text;
    return reply.text;
  }

  static std::string Tracker() { return Value("#Connect# Tracker " + Encode(kTrackerFile)); }
  static std::string IssueId(const std::string& key) {
    Tracker();
    return Value("#Construct# Issue " + Encode(key));
  }

  static void* handle_;
  static QuireQueryEntry query_;
};

void* IssuesLibraryTest::handle_ = nullptr;
QuireQueryEntry IssuesLibraryTest::query_ = nullptr;

TEST_F(IssuesLibraryTest, ConnectsToATrackerAndListsItsIssuesAndPeople) {
  const std::string tracker = Tracker();
  EXPECT_EQ(tracker.find_first_of(" \n"), std::string::npos);
  EXPECT_EQ(Tracker(), tracker);  // the same file is the same tracker
  EXPECT_EQ(Value("#GetClass# " + tracker + " Tracker"), "Tracker");
  EXPECT_EQ(Value("Name " + tracker), "issues");
  EXPECT_EQ(Value("IssueCount " + tracker), "12");
  EXPECT_EQ(Value("#Decompose# " + tracker + " Tracker"), Encode(kTrackerFile));

  const Reply issues = Ask("Issues " + tracker);
  ASSERT_EQ(issues.lines.size(), 12u);
  for (const std::string& id : issues.lines)
    EXPECT_EQ(Value("#GetClass# " + id + " Issue"), "Issue");
  EXPECT_EQ(Value("Key " + issues.lines.front()), "TK-1");
  EXPECT_EQ(Value("Key " + issues.lines.back()), "TK-12");

  const Reply people = Ask("People " + tracker);
  ASSERT_EQ(people.lines.size(), 4u);
  EXPECT_EQ(Value("#GetClass# " + people.lines[0] + " Person"), "Person");
  EXPECT_EQ(Value("Name " + people.lines[0]), "Katrin Müller");
}

TEST_F(IssuesLibraryTest, AnswersTheAttributesOfAnIssueByType) {
  const std::string tk1 = IssueId("TK-1");
  EXPECT_EQ(Value("Title " + tk1), "Ticket printer jams on cold mornings");
  EXPECT_EQ(Value("Number " + tk1), "1");
  EXPECT_EQ(Value("Number " + IssueId("TK-12")), "12");
  EXPECT_EQ(Value("Estimate " + tk1), "3.5");
  EXPECT_EQ(Value("Votes " + tk1), "12");
  EXPECT_EQ(Value("Open " + tk1), "TRUE");
  EXPECT_EQ(Value("Open " + IssueId("TK-3")), "FALSE");
  EXPECT_EQ(Value("HasScreenshot " + tk1), "TRUE");
  EXPECT_EQ(Value("HasScreenshot " + IssueId("TK-2")), "FALSE");
  // Quotes doubled in the file, UTF-8 text as it is.
  EXPECT_EQ(Value("Title " + IssueId("TK-2")),
            "Refund screen says \"naïve\" instead of \"native\"");

  const std::string html = Value("DescriptionFormattedText " + tk1 + " wdFormatHTML");
  EXPECT_EQ(html.rfind("<p>Below 5 °C the printer's paper guide", 0), 0u) << html;
  EXPECT_NE(html.find("<ul><li>Heat the guide before printing</li>"), std::string::npos);
  const std::string plain = Value("Description " + tk1);
  EXPECT_EQ(plain.find('<'), std::string::npos) << plain;
  EXPECT_NE(plain.find("Seen at Nordplatz and Hafen."), std::string::npos) << plain;
}

TEST_F(IssuesLibraryTest, NavigatesUnaryAndNaryRelationships) {
  const std::string tk1 = IssueId("TK-1");
  const std::string assignee = Value("Assignee " + tk1);
  EXPECT_EQ(Value("#GetClass# " + assignee + " Person"), "Person");
  EXPECT_EQ(Value("Login " + assignee), "kmueller");
  EXPECT_EQ(Value("Email " + assignee), "katrin.mueller@example.org");
  // Nobody assigned: an empty answer, still one newline long.
  EXPECT_EQ(Value("Assignee " + IssueId("TK-10")), "");

  const Reply related = Ask("Related " + tk1);
  ASSERT_EQ(related.lines.size(), 2u);
  EXPECT_EQ(Value("Key " + related.lines[0]), "TK-4");
  EXPECT_EQ(Value("Key " + related.lines[1]), "TK-9");
  EXPECT_TRUE(Ask("Related " + IssueId("TK-2")).lines.empty());

  std::vector<std::string> assigned;
  for (const std::string& id : Ask("Assigned " + assignee).lines)
    assigned.push_back(Value("Key " + id));
  EXPECT_EQ(assigned, (std::vector<std::string>{"TK-1", "TK-4", "TK-11"}));
  EXPECT_EQ(Value("Tracker " + tk1), Tracker());
}

TEST_F(IssuesLibraryTest, DescribesPicturesByPathFormatAndSizeInInches) {
  // The agent's request (the image it will write) follows the identifier; it may hold blanks.
  const std::string tk1 = IssueId("TK-1");
  EXPECT_EQ(Value("Screenshot " + tk1 + " <UNDEFINED> png 1.5 1 1:"),
            kPictures + "screenshot-printer.png png 2.50 1.67 1:");
  const std::string assignee = Value("Assignee " + tk1);
  EXPECT_EQ(Value("Avatar " + assignee + " /tmp/avatar.png"),
            kPictures + "avatar-kmueller.png png 0.67 0.67 1:");
  const Reply none = Ask("Screenshot " + IssueId("TK-2") + " <UNDEFINED> png 0 0 1:");
  EXPECT_FALSE(none.success);
  EXPECT_EQ(none.text, "TK-2 has no picture");
}

TEST_F(IssuesLibraryTest, EncodesBlanksAndBackslashesInArgumentsBothWays) {
  TempFolder folder("issues library");  // a blank in the tracker's path too
  folder.Write("people.csv", kPeopleHeader + "me,Me,,\n");
  const std::string file =
      folder.Write("list.csv", kIssuesHeader + "a b\\c,Odd key,1,1,yes,me,,,<p>x</p>\n");

  // Sent as a, "\x20", b, "\x5C", c; the identifier and "#Decompose#" keep that form.
  const std::string id = Value("#Construct2# Issue " + Encode(file) + " a\\x20b\\x5Cc");
  EXPECT_EQ(id.find(' '), std::string::npos) << id;
  EXPECT_EQ(Value("Key " + id), "a b\\c");
  EXPECT_EQ(Value("#Decompose# " + id + " Issue"), "a\\x20b\\x5Cc");
  // The tracker opened last answers the one-argument form; octal and plain escapes decode too.
  EXPECT_EQ(Value("#Construct# Issue a\\040b\\\\c"), id);
  EXPECT_EQ(Value("#Connect# Tracker " + Encode(file)), id.substr(0, id.find('/')));
  EXPECT_EQ(Value("#Decompose# " + id.substr(0, id.find('/')) + " Tracker"), Encode(file));
}

TEST_F(IssuesLibraryTest, DisplayedObjectBecomesTheSelection) {
  const std::string tk5 = IssueId("TK-5");
  EXPECT_TRUE(Ask("#Display# " + tk5 + " Issue").success);
  const Reply selected = Ask("#GetSelected#");
  ASSERT_TRUE(selected.success);
  EXPECT_EQ(selected.lines, (std::vector<std::string>{tk5, "Issue"}));
}

TEST_F(IssuesLibraryTest, RefreshRereadsTheFilesAndCleanForgetsEveryObject) {
  ASSERT_TRUE(Ask("#Clean#").success);  // trackers of other tests may be gone from the disk
  TempFolder folder("issues_refresh");
  folder.Write("people.csv", kPeopleHeader);
  const std::string file = folder.Write("issues.csv", kIssuesHeader + "X-1,Before,1,0,yes,,,,\n");
  const std::string tracker = Value("#Connect# Tracker " + Encode(file));
  const std::string x1 = Value("#Construct# Issue X-1");

  std::ofstream(file, std::ios::trunc) << kIssuesHeader << "X-1,After,1,0,yes,,,,\n";
  EXPECT_TRUE(Ask("#Refresh#").success);
  EXPECT_EQ(Value("Title " + x1), "After");  // the identifier still names the issue

  // A file that cannot be read any more: the refresh says which, the tracker keeps its data.
  fs::remove(file);
  const Reply failed = Ask("#Refresh#");
  EXPECT_FALSE(failed.success);
  EXPECT_EQ(failed.text, "Refresh failed: " + file + ": cannot be opened");
  EXPECT_EQ(Value("Title " + x1), "After");

  EXPECT_TRUE(Ask("#Clean#").success);
  const Reply gone = Ask("Title " + x1);
  EXPECT_FALSE(gone.success);
  EXPECT_NE(gone.text.find("no longer open"), std::string::npos) << gone.text;
  std::ofstream(file) << kIssuesHeader;
  EXPECT_NE(Value("#Connect# Tracker " + Encode(file)), tracker);  // numbers are not reused
}

TEST_F(IssuesLibraryTest, FailsWithAReasonForWhatItDoesNotKnow) {
  const std::string tk1 = IssueId("TK-1");
  struct Case {
    std::string query;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"#Connect# Tracker /no/such/issues.csv", "/no/such/people.csv: cannot be opened"},
      {"#Construct# Issue TK-99", "No issue \"TK-99\" in "},
      {"#Construct# Project X", "The Issues domain has no class \"Project\""},
      {"#Construct2# Issue onlyone", "takes two arguments"},
      {"Colour " + tk1, "An Issue has no member \"Colour\""},
      {"Title T999/Issue/TK-1", "is no longer open"},
      {"Title nonsense", "Unknown object identifier \"nonsense\""},
      {"Title T99999999999999999999", "Unknown object identifier"},
      {"#Bogus# " + tk1, "Unknown query #Bogus#"},
      {"#GetSchema# x", "one fixed schema"},
      {"", "An empty query"},
  };
  for (const Case& c : cases) {
    const Reply reply = Ask(c.query);
    EXPECT_FALSE(reply.success) << c.query;
    EXPECT_NE(reply.text.find(c.reason), std::string::npos) << c.query << " -> " << reply.text;
  }
}

TEST_F(IssuesLibraryTest, ReportsTheFileAndLineOfBadData) {
  TempFolder folder("issues_bad");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"A,t,1,1,yes,,,,\nA,u,1,1,yes,,,,\n", "issues.csv:3: the Key \"A\" is there twice"},
      {"A,t,lots,1,yes,,,,\n", "issues.csv:2: Estimate and Votes must be numbers"},
      {"A,t,1,1,maybe,,,,\n", "issues.csv:2: Open must be yes or no"},
      {"A,t,1,1,yes,nobody,,,\n", "issues.csv:2: the Assignee \"nobody\" is not in people.csv"},
      {"A,t,1,1,yes,,B,,\n", "A is related to \"B\", which is not there"},
      {"A,\"t,1,1,yes,,,,\n", "issues.csv:2: a quoted field is not closed"},
      {"A,t,1\n", "issues.csv:2: 3 fields where the first line names 9"},
  };
  int round = 0;
  for (const auto& [rows, reason] : cases) {
    // A new folder each time: a file already read would be read again only when its time moves.
    const std::string file =
        folder.Write("r" + std::to_string(round) + "/issues.csv", kIssuesHeader + rows);
    folder.Write("r" + std::to_string(round++) + "/people.csv", kPeopleHeader + "me,Me,,\n");
    const Reply reply = Ask("#Connect# Tracker " + Encode(file));
    EXPECT_FALSE(reply.success) << rows;
    EXPECT_NE(reply.text.find(reason), std::string::npos) << rows << " -> " << reply.text;
  }
}

// The DT_NEEDED entries of an ELF64 shared object, read from its dynamic section.
std::vector<std::string> NeededLibraries(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> needed;
  if (image.size() < sizeof(Elf64_Ehdr) || image.compare(0, 4, ELFMAG) != 0) return needed;
  Elf64_Ehdr elf;
  std::memcpy(&elf, image.data(), sizeof elf);
  std::vector<Elf64_Shdr> sections(elf.e_shnum);
  if (elf.e_shoff + elf.e_shnum * sizeof(Elf64_Shdr) > image.size()) return needed;
  std::memcpy(sections.data(), image.data() + elf.e_shoff, elf.e_shnum * sizeof(Elf64_Shdr));
  for (const Elf64_Shdr& section : sections) {
    if (section.sh_type != SHT_DYNAMIC || section.sh_link >= sections.size()) continue;
    const Elf64_Shdr& strings = sections[section.sh_link];
    for (size_t at = section.sh_offset;
         at + sizeof(Elf64_Dyn) <= section.sh_offset + section.sh_size; at += sizeof(Elf64_Dyn)) {
      Elf64_Dyn entry;
      std::memcpy(&entry, image.data() + at, sizeof entry);
      if (entry.d_tag == DT_NULL) break;
      if (entry.d_tag == DT_NEEDED)
        needed.emplace_back(image.c_str() + strings.sh_offset + entry.d_un.d_val);
    }
  }
  return needed;
}

TEST(IssuesLibraryFile, StandsAloneAndSitsInTheSampleInstallation) {
  const std::vector<std::string> needed = NeededLibraries(XMLAGENT_ISSUES_LIBRARY);
  ASSERT_FALSE(needed.empty()) << "no dynamic section read from " << XMLAGENT_ISSUES_LIBRARY;
  bool libc = false;
  for (const std::string& name : needed) {
    EXPECT_EQ(name.find("xmlagent"), std::string::npos) << "ISSUES.so needs " << name;
    libc = libc || name.rfind("libc.so", 0) == 0;
  }
  EXPECT_TRUE(libc);  // the list was really read
  EXPECT_EQ(fs::path(XMLAGENT_ISSUES_LIBRARY).filename(), "ISSUES.so");

  // The runnable sample installation carries the built module and the schema.
  const fs::path home = XMLAGENT_SAMPLE_HOME;
  ASSERT_TRUE(fs::exists(home / "domains" / "ISSUES.so"));
  EXPECT_EQ(fs::file_size(home / "domains" / "ISSUES.so"), fs::file_size(XMLAGENT_ISSUES_LIBRARY));
  EXPECT_TRUE(fs::exists(home / "domains" / "Issues.dom"));
  EXPECT_TRUE(fs::exists(home / "domains" / "Vistafold.rsc"));
}

}  // namespace
