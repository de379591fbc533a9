// Golden pages: every folder beside this file is a case (a template, the data folder the page is
// about, the expected page and Output.txt). The command-line host generates the page in a fresh
// folder through the library's entry points; page and Output.txt must equal the expected files
// once what varies from run to run is masked. GOLDEN_UPDATE=1 rewrites the expected files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = XMLAGENT_SOURCE_DIR "/tests/golden";
const char* const kNoOutput = "(no Output.txt written)\n";

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(kCases)) {
    if (fs::exists(entry.path() / "template.htm")) names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

std::string Quoted(const std::string& word) {
  std::string quoted = word;
  ReplaceAll(quoted, "'", "'\\''");
  return "'" + quoted + "'";
}

// One case run: <root>/case/data is the data folder, <root>/user the user-data folder.
struct CaseFolder {
  test_support::TempFolder root{"golden"};
  std::string data = root.Path("case/data");

  // The case's texts name the data folder and the temporary folder by placeholders.
  std::string Placed(std::string text) const {
    ReplaceAll(text, "@DATA@", data);
    ReplaceAll(text, "@TMP@", root.Path());
    return text;
  }

  // The one place that masks what varies from run to run: the folders, the outline entries'
  // time-based ids (and the getProxy calls that name them) and the date of generation. Then one
  // tag a line, so that a changed page gives a readable line diff.
  std::string Masked(std::string text) const {
    ReplaceAll(text, data, "@DATA@");
    ReplaceAll(text, root.Path(), "@TMP@");
    text = std::regex_replace(text, std::regex(R"(( id=")\d{8,}")"), "$1@ID@\"");
    text = std::regex_replace(text, std::regex(R"((getProxy\(')\d{8,}')"), "$1@ID@'");
    text = std::regex_replace(
        text,
        std::regex("(Mon|Tues|Wednes|Thurs|Fri|Satur|Sun)day, [A-Z][a-z]+ [0-9]{2}, [0-9]{4}"),
        "@DATE@");
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      const char next = i + 1 < text.size() ? text[i + 1] : '\0';
      if (text[i] == '<' && i > 0 &&
          (std::isalpha(static_cast<unsigned char>(next)) || next == '/' || next == '!' ||
           next == '?'))
        lines += '\n';
      lines += text[i];
    }
    if (!lines.empty() && lines.back() != '\n') lines += '\n';
    return lines;
  }
};

// The pictures and other files written beside the page, one "name size" a line.
std::string Listing(const fs::path& folder) {
  std::vector<std::string> lines;
  if (fs::is_directory(folder)) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      lines.push_back(fs::relative(entry.path(), folder.parent_path()).string() + " " +
                      std::to_string(entry.file_size()) + "\n");
    }
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

// `diff -u` of the expected and the generated text, for the failure message.
std::string Diff(const CaseFolder& run, const std::string& name, const std::string& expected,
                 const std::string& actual) {
  const std::string left = run.root.Write("expected_" + name, expected);
  const std::string right = run.root.Write("generated_" + name, actual);
  const std::string out = run.root.Path("diff_" + name);
  const std::string command = "diff -u --label expected/" + name + " --label generated/" + name +
                              " " + Quoted(left) + " " + Quoted(right) + " > " + Quoted(out);
  return std::system(command.c_str()) == -1 ? "(diff did not run)" : Read(out);
}

class GoldenPage : public testing::TestWithParam<std::string> {
 protected:
  // Compares `actual` with the case's file `name`, or rewrites the file under GOLDEN_UPDATE; an
  // optional file is left out when it would be empty.
  void Compare(const std::string& name, const std::string& actual, bool optional = false) {
    const fs::path expectedFile = kCases / GetParam() / name;
    const char* update = std::getenv("GOLDEN_UPDATE");
    if (update != nullptr && std::string(update) == "1") {
      if (optional && actual.empty()) {
        fs::remove(expectedFile);
      } else {
        Write(expectedFile, actual);
      }
      return;
    }
    const std::string expected = fs::exists(expectedFile) ? Read(expectedFile) : "";
    if (expected != actual) {
      ADD_FAILURE() << GetParam() << "/" << name << " differs from the generated one:\n"
                    << Diff(run, name, expected, actual);
    }
  }

  CaseFolder run;
};

TEST_P(GoldenPage, GeneratesTheExpectedPageAndOutline) {
  const fs::path source = kCases / GetParam();
  fs::create_directories(run.root.Path("case"));
  if (fs::exists(source / "data")) {
    fs::copy(source / "data", run.data, fs::copy_options::recursive);
  } else {
    fs::create_directory(run.data);
  }
  const std::string templateFile =
      run.root.Write("template.htm", run.Placed(Read(source / "template.htm")));

  std::string locator = "FileSys:Directory:FullName=@DATA@";
  if (fs::exists(source / "locator.txt")) locator = Read(source / "locator.txt");
  locator.erase(locator.find_last_not_of("\r\n") + 1);
  std::string command =
      "env -u VISTAFOLD_REGISTRY_FILE -u MaxRecursionLevel -u debugLevel "
      "-u ENABLELOGGING HOME=" +
      Quoted(run.root.Path()) + " " + Quoted(XMLAGENT_HOST) + " --user-data " +
      Quoted(run.root.Path("user")) + " --template " + Quoted(templateFile) + " --locator " +
      Quoted(run.Placed(locator));
  std::istringstream settings(fs::exists(source / "settings.txt") ? Read(source / "settings.txt")
                                                                  : "");
  for (std::string line; std::getline(settings, line);) {
    if (!line.empty()) command += " --set " + Quoted(run.Placed(line));
  }
  const std::string log = run.root.Path("host.log");
  const int status = std::system((command + " > " + Quoted(log) + " 2>&1").c_str());
  ASSERT_EQ(status, 0) << command << "\n" << Read(log);

  const fs::path generated = run.root.Path("user/generated");
  const std::string page = Read(generated / "template.htm");
  const std::string output = Read(generated / "Output.txt");
  // The masks hide the ids; a getProxy call must still name an entry of Output.txt.
  const std::regex proxy(R"(getProxy\('(\d+)'\))");
  for (std::sregex_iterator call(page.begin(), page.end(), proxy), end; call != end; ++call) {
    EXPECT_NE(output.find(" id=\"" + (*call)[1].str() + "\""), std::string::npos) << call->str();
  }
  Compare("expected.htm", run.Masked(page));
  Compare("expected-output.txt",
          fs::exists(generated / "Output.txt") ? run.Masked(output) : kNoOutput);
  Compare("expected-files.txt", Listing(generated / "template_files"), true);
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenPage, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& parameter) {
                           return parameter.param;
                         });

}  // namespace
