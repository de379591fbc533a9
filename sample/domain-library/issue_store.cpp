// Reading a tracker's issue and people files.
#include "issue_store.h"

#include <sys/stat.h>

#include <cstdlib>

#include "csv_reader.h"

namespace {

// The folder part of a path ("." for a bare file name).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The last part of a path.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A picture named in a data file: empty stays empty, an absolute path stays as it is, anything
// else is taken relative to the data file's folder.
std::string PicturePath(const std::string& folder, const std::string& name) {
  if (name.empty() || name[0] == '/') return name;
  return folder + "/" + name;
}

// Whether `text` is a decimal number ("12", "-0.5"); an empty text is not.
bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

// "yes", "true", "1" (any case) are true; "no", "false", "0" and an empty field are false.
bool ReadFlag(const std::string& text, bool& flag) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (lower == "yes" || lower == "true" || lower == "1") {
    flag = true;
    return true;
  }
  if (lower.empty() || lower == "no" || lower == "false" || lower == "0") {
    flag = false;
    return true;
  }
  return false;
}

// The indexes of the named columns; false with `error` when one is missing.
bool FindColumns(const CsvTable& table, const std::vector<std::string>& names,
                 std::vector<int>& indexes, const std::string& file, std::string& error) {
  indexes.clear();
  for (const std::string& name : names) {
    const int index = table.column(name);
    if (index < 0) {
      error = file + ": no column \"" + name + "\"";
      return false;
    }
    indexes.push_back(index);
  }
  return true;
}

// The digits at the end of a key, so that pages can sort keys such as "TK-2" and "TK-10" by
// number; "0" when the key does not end in a digit.
std::string KeyNumber(const std::string& key) {
  size_t start = key.size();
  while (start > 0 && key[start - 1] >= '0' && key[start - 1] <= '9') --start;
  const size_t first = key.find_first_not_of('0', start);
  return first == std::string::npos ? "0" : key.substr(first);
}

std::vector<std::string> SplitKeys(const std::string& text) {
  std::vector<std::string> keys;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string key = text.substr(start, end - start);
    const size_t first = key.find_first_not_of(' ');
    const size_t last = key.find_last_not_of(' ');
    if (first != std::string::npos) keys.push_back(key.substr(first, last - first + 1));
    start = end + 1;
  }
  return keys;
}

bool LoadPeople(const std::string& file, const std::string& folder, Tracker& tracker,
                std::string& error) {
  CsvTable table;
  if (!ReadCsvFile(file, table, error)) return false;
  std::vector<int> at;
  if (!FindColumns(table, {"Login", "Name", "Email", "Avatar"}, at, file, error)) return false;
  for (size_t r = 0; r < table.rows.size(); ++r) {
    const std::vector<std::string>& row = table.rows[r];
    const std::string where = file + ":" + std::to_string(table.lines[r]) + ": ";
    Person person{row[at[0]], row[at[1]], row[at[2]], PicturePath(folder, row[at[3]])};
    if (person.login.empty()) {
      error = where + "the Login is empty";
      return false;
    }
    if (!tracker.personByLogin.emplace(person.login, tracker.people.size()).second) {
      error = where + "the Login \"" + person.login + "\" is there twice";
      return false;
    }
    tracker.people.push_back(person);
  }
  return true;
}

bool LoadIssues(const std::string& file, const std::string& folder, Tracker& tracker,
                std::string& error) {
  CsvTable table;
  if (!ReadCsvFile(file, table, error)) return false;
  std::vector<int> at;
  if (!FindColumns(table,
                   {"Key", "Title", "Estimate", "Votes", "Open", "Assignee", "Related",
                    "Screenshot", "Description"},
                   at, file, error))
    return false;
  for (size_t r = 0; r < table.rows.size(); ++r) {
    const std::vector<std::string>& row = table.rows[r];
    const std::string where = file + ":" + std::to_string(table.lines[r]) + ": ";
    Issue issue;
    issue.key = row[at[0]];
    issue.number = KeyNumber(issue.key);
    issue.title = row[at[1]];
    issue.estimate = row[at[2]].empty() ? "0" : row[at[2]];
    issue.votes = row[at[3]].empty() ? "0" : row[at[3]];
    issue.assignee = row[at[5]];
    issue.related = SplitKeys(row[at[6]]);
    issue.screenshot = PicturePath(folder, row[at[7]]);
    issue.description = row[at[8]];
    if (issue.key.empty()) {
      error = where + "the Key is empty";
      return false;
    }
    if (!IsNumber(issue.estimate) || !IsNumber(issue.votes)) {
      error = where + "Estimate and Votes must be numbers";
      return false;
    }
    if (!ReadFlag(row[at[4]], issue.open)) {
      error = where + "Open must be yes or no, not \"" + row[at[4]] + "\"";
      return false;
    }
    if (!issue.assignee.empty() && tracker.findPerson(issue.assignee) == nullptr) {
      error = where + "the Assignee \"" + issue.assignee + "\" is not in people.csv";
      return false;
    }
    if (!tracker.issueByKey.emplace(issue.key, tracker.issues.size()).second) {
      error = where + "the Key \"" + issue.key + "\" is there twice";
      return false;
    }
    tracker.issues.push_back(issue);
  }
  // Related issues may come later in the file: checked once all are read.
  for (const Issue& issue : tracker.issues) {
    for (const std::string& key : issue.related) {
      if (tracker.findIssue(key) == nullptr) {
        error = file + ": " + issue.key + " is related to \"" + key + "\", which is not there";
        return false;
      }
    }
  }
  return true;
}

}  // namespace

const Issue* Tracker::findIssue(const std::string& key) const {
  const auto found = issueByKey.find(key);
  return found == issueByKey.end() ? nullptr : &issues[found->second];
}

const Person* Tracker::findPerson(const std::string& login) const {
  const auto found = personByLogin.find(login);
  return found == personByLogin.end() ? nullptr : &people[found->second];
}

std::time_t FileTime(const std::string& file) {
  struct stat info {};
  return stat(file.c_str(), &info) == 0 ? info.st_mtime : 0;
}

bool LoadTracker(const std::string& file, Tracker& tracker, std::string& error) {
  tracker = Tracker();
  tracker.file = file;
  const std::string folder = FolderOf(file);
  tracker.name = BaseName(folder == "." ? std::string(".") : folder);
  tracker.modified = FileTime(file);
  // People first: the issues name their assignees by login.
  return LoadPeople(folder + "/people.csv", folder, tracker, error) &&
         LoadIssues(file, folder, tracker, error);
}
