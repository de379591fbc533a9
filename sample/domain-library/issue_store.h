// The data behind the Issues domain: a tracker is an issue list (a CSV file) and the people
// file beside it (people.csv), read into memory whole.
#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

struct Person {
  std::string login;  // the key: unique within the tracker
  std::string name;
  std::string email;
  std::string avatar;  // full path of a PNG picture, or empty
};

struct Issue {
  std::string key;     // the key: unique within the tracker
  std::string number;  // the digits at the end of the key ("TK-12": "12"), "0" without any
  std::string title;
  std::string estimate;  // a decimal number, as the file writes it ("0" when left empty)
  std::string votes;     // a whole number ("0" when left empty)
  bool open = true;
  std::string assignee;              // a person's login, or empty
  std::vector<std::string> related;  // keys of other issues of the tracker
  std::string screenshot;            // full path of a PNG picture, or empty
  std::string description;           // an HTML fragment
};

struct Tracker {
  std::string file;                             // the issue file as it was named when connected
  std::string name;                             // the issue file's folder name
  std::time_t modified = 0;                     // the issue file's time when it was read
  std::vector<Issue> issues;                    // in file order
  std::vector<Person> people;                   // in file order
  std::map<std::string, size_t> issueByKey;     // key -> index in issues
  std::map<std::string, size_t> personByLogin;  // login -> index in people

  const Issue* findIssue(const std::string& key) const;
  const Person* findPerson(const std::string& login) const;
};

// Reads the tracker of the issue file `file`: its columns Key, Title, Estimate, Votes, Open,
// Assignee, Related, Screenshot and Description, and the people file "people.csv" in the same
// folder with the columns Login, Name, Email and Avatar. Picture paths are taken relative to
// that folder. Related keys are separated by ";". Returns false with `error` naming the file and
// line of the first problem (a missing column, a duplicate key, a number that is not one, an
// assignee or related issue that does not exist).
bool LoadTracker(const std::string& file, Tracker& tracker, std::string& error);

// The modification time of `file`; 0 when it cannot be read.
std::time_t FileTime(const std::string& file);
