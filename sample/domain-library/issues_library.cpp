// ISSUES.so: the Issues domain library. It serves issue trackers kept as CSV files to the agent,
// which loads it as the library of the domain "Issues" (schema: domains/Issues.dom) and asks it
// short text queries through its one exported function, Query.
//
// Start your own domain library from a copy of this folder: keep query_protocol.* as it is,
// replace issue_store.* and csv_reader.* with access to your own data, and rewrite the answers
// below for your classes. The agent calls Query from one thread at a time, so the library keeps
// its state in plain static storage.
//
// Objects are named by identifiers that this library chooses and the agent hands back in later
// queries. They must not hold blanks or line breaks; here they are
//   T<n>                  the tracker connected as number n
//   T<n>/Issue/<key>      an issue of that tracker
//   T<n>/Person/<login>   a person of that tracker
// with key and login written in the argument encoding, so that blanks in them do no harm.
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "domains/domain_library_entry.h"
#include "issue_store.h"
#include "query_protocol.h"

namespace {

// Everything the library remembers between queries.
struct LibraryState {
  std::map<int, std::unique_ptr<Tracker>> trackers;  // by number
  std::map<std::string, int> trackerByFile;          // issue file -> number
  int nextNumber = 1;      // numbers are never reused, so an identifier never changes its meaning
  int currentTracker = 0;  // the tracker connected last: where "#Construct# Issue KEY" looks
  std::string selectedId;  // the object shown last by "#Display#"
  std::string selectedClass;
  Answer answer;  // owns the response text until the next query
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

// ---------------------------------------------------------------------------------------------
// Identifiers

// What an identifier names, once looked up.
struct Target {
  int number = 0;
  Tracker* tracker = nullptr;
  std::string className;  // "Tracker", "Issue" or "Person"
  const Issue* issue = nullptr;
  const Person* person = nullptr;
};

std::string TrackerId(int number) { return "T" + std::to_string(number); }
std::string IssueId(int number, const Issue& issue) {
  return TrackerId(number) + "/Issue/" + EncodeArgument(issue.key);
}
std::string PersonId(int number, const Person& person) {
  return TrackerId(number) + "/Person/" + EncodeArgument(person.login);
}

// Looks an identifier up; false with `error` when it names nothing (any more).
bool Resolve(const std::string& id, Target& target, std::string& error) {
  error = "Unknown object identifier \"" + id + "\"";
  if (id.size() < 2 || id[0] != 'T') return false;
  const size_t slash = id.find('/');
  const std::string digits =
      id.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  target.number = std::stoi(digits);
  const auto found = State().trackers.find(target.number);
  if (found == State().trackers.end()) {
    error = "The tracker of \"" + id + "\" is no longer open (the domain was cleaned)";
    return false;
  }
  target.tracker = found->second.get();
  if (slash == std::string::npos) {
    target.className = "Tracker";
    return true;
  }
  const std::string rest = id.substr(slash + 1);
  if (rest.rfind("Issue/", 0) == 0) {
    target.className = "Issue";
    target.issue = target.tracker->findIssue(DecodeArgument(rest.substr(6)));
    if (target.issue == nullptr) error = "No issue \"" + id + "\" in " + target.tracker->file;
    return target.issue != nullptr;
  }
  if (rest.rfind("Person/", 0) == 0) {
    target.className = "Person";
    target.person = target.tracker->findPerson(DecodeArgument(rest.substr(7)));
    if (target.person == nullptr) error = "No person \"" + id + "\" in " + target.tracker->file;
    return target.person != nullptr;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Trackers

// The tracker of an issue file: read on first use, read again when the file has changed since.
// Returns its number, or 0 with `error`.
int OpenTracker(const std::string& file, std::string& error) {
  LibraryState& state = State();
  const auto known = state.trackerByFile.find(file);
  if (known != state.trackerByFile.end()) {
    Tracker& tracker = *state.trackers[known->second];
    if (FileTime(file) != tracker.modified) {
      auto fresh = std::make_unique<Tracker>();
      if (!LoadTracker(file, *fresh, error)) return 0;
      tracker = std::move(*fresh);
    }
    state.currentTracker = known->second;
    return known->second;
  }
  auto tracker = std::make_unique<Tracker>();
  if (!LoadTracker(file, *tracker, error)) return 0;
  const int number = state.nextNumber++;
  state.trackers[number] = std::move(tracker);
  state.trackerByFile[file] = number;
  state.currentTracker = number;
  return number;
}

// The tracker connected last, or nullptr with `error`.
Tracker* CurrentTracker(std::string& error) {
  const auto found = State().trackers.find(State().currentTracker);
  if (found != State().trackers.end()) return found->second.get();
  error =
      "No tracker is open: open a Tracker by its File first, or use the two-argument form "
      "(File, then the key)";
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Answers to the fixed queries

// "#Connect# Tracker FILE", "#Construct# CLASS KEY" and "#Construct2# CLASS FILE KEY": the
// identifier of the object, or a failure when it does not exist.
void Construct(const QueryWords& words, Answer& answer) {
  const std::string& keyword = words[0];
  const std::string& className = words[1];
  std::string error;
  if (className == "Tracker") {
    if (words.size() != 3) return answer.Fail(keyword + " Tracker takes one argument, the File");
    const int number = OpenTracker(DecodeArgument(words[2]), error);
    if (number == 0) return answer.Fail(error);
    return answer.Succeed(TrackerId(number) + "\n");
  }
  if (className != "Issue" && className != "Person")
    return answer.Fail("The Issues domain has no class \"" + className + "\"");
  if (keyword == "#Connect#")
    return answer.Fail("Only a Tracker is connected to; an " + className + " is constructed");

  // The key is the last argument; "#Construct2#" names the issue file before it.
  const bool withFile = keyword == "#Construct2#";
  if (words.size() != (withFile ? 4u : 3u))
    return answer.Fail(
        keyword + " " + className + " takes " +
        (withFile ? "two arguments, the File and the key" : "one argument, the key"));
  int number = 0;
  if (withFile) {
    number = OpenTracker(DecodeArgument(words[2]), error);
    if (number == 0) return answer.Fail(error);
  } else if (CurrentTracker(error) == nullptr) {
    return answer.Fail(error);
  } else {
    number = State().currentTracker;
  }
  const Tracker& tracker = *State().trackers[number];
  const std::string key = DecodeArgument(words.size() == 4 ? words[3] : words[2]);
  if (className == "Issue") {
    const Issue* issue = tracker.findIssue(key);
    if (issue == nullptr) return answer.Fail("No issue \"" + key + "\" in " + tracker.file);
    return answer.Succeed(IssueId(number, *issue) + "\n");
  }
  const Person* person = tracker.findPerson(key);
  if (person == nullptr) return answer.Fail("No person \"" + key + "\" in " + tracker.file);
  answer.Succeed(PersonId(number, *person) + "\n");
}

// "#Decompose# ID CLASS": the values of the object's constructor arguments, one a line, encoded.
// Constructing the class with them again gives the same object.
void Decompose(const Target& target, Answer& answer) {
  if (target.issue != nullptr) return answer.Succeed(EncodeArgument(target.issue->key) + "\n");
  if (target.person != nullptr) return answer.Succeed(EncodeArgument(target.person->login) + "\n");
  answer.Succeed(EncodeArgument(target.tracker->file) + "\n");
}

// ---------------------------------------------------------------------------------------------
// Answers to the member words of the schema

// The text of a boolean attribute: the agent reads a value starting with "T" as true.
std::string BooleanText(bool value) { return value ? "TRUE\n" : "FALSE\n"; }

// The HTML of a description without its tags, for the plain "Description" attribute.
std::string PlainText(const std::string& html) {
  std::string text;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false;
  }
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, character] : entities) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
      text.replace(at, std::string(entity).size(), character);
  }
  return text;
}

// A picture attribute: its description, "<path> <format> <width> <height> <unit>:", with the
// size in inches (unit 1) at 96 pixels per inch. The agent copies the file from there into the
// page's folder at the size the template asks (the query's last words carry that request; this
// library does not need it). The fields are separated by blanks, so a path with blanks cannot be
// described.
void DescribePicture(const std::string& path, const std::string& what, Answer& answer) {
  if (path.empty()) return answer.Fail(what + " has no picture");
  if (path.find_first_of(" \t") != std::string::npos)
    return answer.Fail("The picture path \"" + path +
                       "\" holds a blank, which a picture "
                       "description cannot carry");
  if (path.size() < 4 || path.compare(path.size() - 4, 4, ".png") != 0)
    return answer.Fail("The picture " + path + " is not a .png file");
  // A PNG file starts with its 8-byte signature and the IHDR chunk, whose first fields are the
  // width and height in pixels, four bytes each, most significant first.
  unsigned char head[24] = {};
  FILE* file = std::fopen(path.c_str(), "rb");
  const size_t read = file == nullptr ? 0 : std::fread(head, 1, sizeof head, file);
  if (file != nullptr) std::fclose(file);
  if (read != sizeof head || head[1] != 'P' || head[2] != 'N' || head[3] != 'G')
    return answer.Fail("The picture " + path + " cannot be read as PNG");
  auto number = [&](int at) {
    return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3];
  };
  char size[64];
  std::snprintf(size, sizeof size, " png %.2f %.2f 1:\n", number(16) / 96.0, number(20) / 96.0);
  answer.Succeed(path + size);
}

void AnswerTracker(int number, const Tracker& tracker, const std::string& word, Answer& answer) {
  if (word == "Name") return answer.Succeed(tracker.name + "\n");
  if (word == "File") return answer.Succeed(tracker.file + "\n");
  if (word == "IssueCount") return answer.Succeed(std::to_string(tracker.issues.size()) + "\n");
  if (word == "Issues") {  // n-ary: one identifier a line, in file order
    std::string lines;
    for (const Issue& issue : tracker.issues) lines += IssueId(number, issue) + "\n";
    return answer.Succeed(lines);
  }
  if (word == "People") {
    std::string lines;
    for (const Person& person : tracker.people) lines += PersonId(number, person) + "\n";
    return answer.Succeed(lines);
  }
  answer.Fail("A Tracker has no member \"" + word + "\"");
}

void AnswerIssue(int number, const Tracker& tracker, const Issue& issue, const QueryWords& words,
                 Answer& answer) {
  const std::string& word = words[0];
  if (word == "Key") return answer.Succeed(issue.key + "\n");
  if (word == "Number") return answer.Succeed(issue.number + "\n");
  if (word == "Title") return answer.Succeed(issue.title + "\n");
  if (word == "Estimate") return answer.Succeed(issue.estimate + "\n");
  if (word == "Votes") return answer.Succeed(issue.votes + "\n");
  if (word == "Open") return answer.Succeed(BooleanText(issue.open));
  if (word == "HasScreenshot") return answer.Succeed(BooleanText(!issue.screenshot.empty()));
  if (word == "Description") return answer.Succeed(PlainText(issue.description) + "\n");
  // A word containing "FormattedText" comes with " wdFormatHTML": the agent wants HTML, which
  // it writes into the page as it is.
  if (word == "DescriptionFormattedText") return answer.Succeed(issue.description + "\n");
  if (word == "Screenshot") return DescribePicture(issue.screenshot, issue.key, answer);
  if (word == "Assignee") {  // unary: one identifier, or an empty answer for nobody
    const Person* person = tracker.findPerson(issue.assignee);
    return answer.Succeed(person == nullptr ? "\n" : PersonId(number, *person) + "\n");
  }
  if (word == "Related") {
    std::string lines;
    for (const std::string& key : issue.related)
      lines += IssueId(number, *tracker.findIssue(key)) + "\n";
    return answer.Succeed(lines);
  }
  if (word == "Tracker") return answer.Succeed(TrackerId(number) + "\n");
  answer.Fail("An Issue has no member \"" + word + "\"");
}

void AnswerPerson(int number, const Tracker& tracker, const Person& person, const QueryWords& words,
                  Answer& answer) {
  const std::string& word = words[0];
  if (word == "Login") return answer.Succeed(person.login + "\n");
  if (word == "Name") return answer.Succeed(person.name + "\n");
  if (word == "Email") return answer.Succeed(person.email + "\n");
  if (word == "Avatar") return DescribePicture(person.avatar, person.login, answer);
  if (word == "Assigned") {  // the issues assigned to the person, in file order
    std::string lines;
    for (const Issue& issue : tracker.issues) {
      if (issue.assignee == person.login) lines += IssueId(number, issue) + "\n";
    }
    return answer.Succeed(lines);
  }
  answer.Fail("A Person has no member \"" + word + "\"");
}

// ---------------------------------------------------------------------------------------------
// The query dispatcher

void Respond(const QueryWords& words, Answer& answer) {
  const std::string& first = words[0];
  LibraryState& state = State();
  if (first == "#Connect#" || first == "#Construct#" || first == "#Construct2#")
    return Construct(words, answer);

  if (first == "#Refresh#") {
    // Read every open tracker again; identifiers stay valid. A tracker that cannot be read any
    // more keeps what it had, and the answer names it.
    std::string errors;
    for (auto& [number, tracker] : state.trackers) {
      std::string error;
      auto fresh = std::make_unique<Tracker>();
      if (LoadTracker(tracker->file, *fresh, error))
        tracker = std::move(fresh);
      else
        errors += (errors.empty() ? "" : "; ") + error;
    }
    if (!errors.empty()) return answer.Fail("Refresh failed: " + errors);
    return answer.Succeed(std::to_string(state.trackers.size()) + " trackers read again\n");
  }
  if (first == "#Clean#") {  // forget everything; earlier identifiers name nothing any more
    const size_t count = state.trackers.size();
    state.trackers.clear();
    state.trackerByFile.clear();
    state.currentTracker = 0;
    state.selectedId.clear();
    state.selectedClass.clear();
    return answer.Succeed(std::to_string(count) + " trackers closed\n");
  }
  if (first == "#GetSelected#") {
    if (state.selectedId.empty())
      return answer.Fail("Nothing is selected: no object was displayed");
    return answer.Succeed(state.selectedId + "\n" + state.selectedClass + "\n");
  }
  if (first == "#GetSchema#")
    return answer.Fail("The Issues domain has one fixed schema, domains/Issues.dom");
  if (first.empty()) return answer.Fail("An empty query");

  // Every other query names an object second: "#GetClass#", "#Decompose#", "#Display#" or a
  // member word of the schema.
  Target target;
  std::string error;
  if (words.size() < 2) return answer.Fail("The query \"" + first + "\" names no object");
  if (!Resolve(words[1], target, error)) return answer.Fail(error);

  if (first == "#GetClass#") return answer.Succeed(target.className + "\n");
  if (first == "#Decompose#") return Decompose(target, answer);
  if (first == "#Display#") {  // a viewer would show the object; here it becomes the selection
    state.selectedId = words[1];
    state.selectedClass = target.className;
    return answer.Succeed(words[1] + " is selected\n");
  }
  if (first[0] == '#') return answer.Fail("Unknown query " + first);
  if (target.issue != nullptr)
    return AnswerIssue(target.number, *target.tracker, *target.issue, words, answer);
  if (target.person != nullptr)
    return AnswerPerson(target.number, *target.tracker, *target.person, words, answer);
  AnswerTracker(target.number, *target.tracker, first, answer);
}

}  // namespace

// The entry point, exported under its plain C name. The static_assert below keeps its signature
// equal to the one the agent calls (QuireQueryEntry).
extern "C" __attribute__((visibility("default"))) void Query(const char* query, char* header,
                                                             const char** response,
                                                             unsigned long* length) {
  LibraryState& state = State();
  try {
    Respond(QueryWords(query), state.answer);
  } catch (const std::exception& e) {  // nothing may escape into the agent
    state.answer.Fail(std::string("The Issues library failed: ") + e.what());
  }
  state.answer.Deliver(header, response, length);
}

static_assert(std::is_same_v<decltype(&Query), QuireQueryEntry>,
              "Query must have the signature of QuireQueryEntry");
