// A domain library for the remote-domain tests: a small orchard of trees and fruit served
// through the "Query" entry point. It writes its pictures and schema files next to itself, keeps
// a log of the queries it received ("#Log#" hands it over) and answers badly on command
// ("#Mode# broken", "empty" or "stranger").
#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "domains/domain_library_entry.h"

namespace {

struct Item {
  std::string cls;
  std::vector<std::string> arguments;  // the lines of "#Decompose#", encoded
  std::map<std::string, std::string> values;
};

const std::map<std::string, Item>& Items() {
  static const std::map<std::string, Item> items = {
      {"T1",
       {"Tree",
        {"Old\\x20oak"},
        {{"Name", "Old oak"}, {"Height", "12.5"}, {"Bearing", "TRUE"}, {"Number", "1.000"}}}},
      {"T2",
       {"Tree",
        {"Back\\x5Cslash\\x20tree"},
        {{"Name", "Back\\slash tree"},
         {"Height", "3"},
         {"Bearing", "FALSE"},
         {"Number", "2.000"}}}},
      {"X1", {"Tree", {"Extra", "surplus"}, {{"Name", "Extra"}}}},
      {"F1", {"Apple", {"Red", "0.25"}, {{"Label", "Red"}}}},
      {"F2", {"Apple", {"Green", "0.5"}, {{"Label", "Green"}}}},
      {"F3", {"Fruit", {"Pear", "1.5"}, {{"Label", "Pear"}}}},
      {"G9", {"Banana", {"Ghost", "0"}, {{"Label", "Ghost"}}}},
      {"Z0", {"", {}, {}}},
  };
  return items;
}

// Where this library lies: its pictures and schema files go there.
std::string OwnFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Items), &info) == 0 || info.dli_fname == nullptr) return ".";
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string Decoded(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      plain += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

std::vector<std::string> Words(const std::string& text, size_t most) {
  std::vector<std::string> words;
  size_t start = 0;
  while (words.size() + 1 < most) {
    const size_t blank = text.find(' ', start);
    if (blank == std::string::npos) break;
    words.push_back(text.substr(start, blank - start));
    start = blank + 1;
  }
  words.push_back(text.substr(start));
  return words;
}

// A one-pixel GIF picture.
const std::string& PictureBytes() {
  static const std::string bytes(
      "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
      "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
      43);
  return bytes;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

struct Answer {
  bool success = true;
  std::string text;
};

Answer Ok(const std::string& text) { return {true, text + "\n"}; }
Answer Fail(const std::string& text) { return {false, text + "\n"}; }

std::string mode = "normal";
std::string queryLog;

const Item* Find(const std::string& id) {
  const auto found = Items().find(id);
  return found == Items().end() ? nullptr : &found->second;
}

Answer Construct(const std::vector<std::string>& words) {
  if (words.size() < 2) return Fail("no class");
  const std::string& cls = words[1];
  std::vector<std::string> values;
  for (size_t i = 2; i < words.size(); ++i) values.push_back(Decoded(words[i]));
  if (words[0] == "#Connect#") {
    return Ok(values == std::vector<std::string>{"North", "1.000"} ? "T1" : "");
  }
  if (values.empty()) return Ok("");
  const std::string key = words[0] == "#Construct2#" ? "Number" : cls == "Tree" ? "Name" : "Label";
  if (values[0] == "Failing") return Fail("the tree failed");
  for (const auto& [id, item] : Items()) {
    const auto value = item.values.find(key);
    if (value != item.values.end() && value->second == values[0]) return Ok(id);
  }
  return Ok("");
}

Answer Member(const std::string& word, const std::string& id, const std::string& rest) {
  const Item* item = Find(id);
  if (item == nullptr) return Fail("unknown object " + id);
  const std::string folder = OwnFolder();
  if (word == "NotesFormattedText") {
    return Ok(rest == "wdFormatHTML" ? "<p>Planted <b>1921</b></p>" : "Planted 1921");
  }
  if (word == "Picture") {
    const std::string path = folder + "/picture_" + id + ".gif";
    WriteFile(path, PictureBytes());
    return Ok(path + " gif 2.0 1.5 1:");
  }
  if (word == "Sketch") {
    WriteFile(rest, PictureBytes());
    return Ok(rest + " gif 1 1 1:");
  }
  if (word == "Blank") return Ok("");
  if (word == "Smudge") return Ok("smudge.xyz xyz 1 1 1:");
  if (word == "Lost") return Ok(folder + "/missing/lost.gif gif 1 1 1:");
  if (word == "Planted") return Ok(id == "F3" ? "T2" : "T1");
  if (word == "Grafted") return Ok("");
  if (word == "Stray") return Ok("G9");
  if (word == "Misfit") return Ok("F1");
  if (word == "Fruits") return Ok(id == "T1" ? "F1\nF2" : id == "T2" ? "F3" : "");
  if (word == "Mixed") return Ok("F1\n\nG9\nF2");
  if (word == "Harvest") {
    std::string lines;
    for (int i = 0; i < 200000; ++i) lines += "F1\n";
    lines.pop_back();
    return Ok(lines);
  }
  const auto value = item->values.find(word);
  if (value == item->values.end()) return Fail("no " + word + " for " + id);
  return Ok(value->second);
}

Answer Respond(const std::string& query) {
  const std::vector<std::string> words = Words(query, 64);
  const std::string& first = words[0];
  if (first == "#Log#") {
    const std::string log = queryLog;
    queryLog.clear();
    return {true, log.empty() ? "\n" : log};
  }
  queryLog += query + "\n";
  if (first == "#Mode#") {
    mode = words.size() > 1 ? words[1] : "normal";
    return Ok("ok");
  }
  if (first == "#Connect#" || first == "#Construct#" || first == "#Construct2#") {
    return Construct(words);
  }
  if (first == "#Refresh#" || first == "#Clean#") {
    return mode == "broken" ? Fail("the orchard is closed") : Ok("done");
  }
  if (first == "#GetSelected#") {
    if (mode == "broken") return Fail("nothing can be selected");
    if (mode == "empty") return Ok("\nApple");
    if (mode == "stranger") return Ok("G9\nBanana");
    return Ok("F2\nApple");
  }
  if (first == "#GetSchema#") {
    const std::string selection = words.size() > 1 ? Decoded(words[1]) : "";
    if (selection == "none") return Ok("");
    std::string name;
    for (const char c : selection) name += c == '/' || c == ' ' ? '_' : c;
    const std::string path = OwnFolder() + "/Orchard-" + name + ".dom";
    if (!WriteFile(path, "domain Orchard grove\n# made for " + selection + "\n")) {
      return Fail("cannot write " + path);
    }
    return Ok(path);
  }
  const std::vector<std::string> parts = Words(query, 3);
  if (first == "#GetClass#" || first == "#Decompose#" || first == "#Display#") {
    if (parts.size() < 3) return Fail("no class");
    const Item* item = Find(parts[1]);
    if (item == nullptr) return Fail("unknown object " + parts[1]);
    if (first == "#GetClass#") return Ok(item->cls);
    if (first == "#Display#") return parts[1] == "X1" ? Fail("X1 cannot be shown") : Ok("shown");
    std::string lines;
    for (const std::string& line : item->arguments) lines += (lines.empty() ? "" : "\n") + line;
    return Ok(lines);
  }
  if (parts.size() < 2) return Fail("unknown query " + query);
  return Member(parts[0], parts[1], parts.size() > 2 ? parts[2] : "");
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void Query(const char* query, char* header,
                                                             const char** response,
                                                             unsigned long* length) {
  static std::string answerText;
  std::string text = query;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  const Answer answer = Respond(text);
  answerText = answer.text;
  std::snprintf(header, 16, "%s %lu", answer.success ? "Success" : "Failure",
                static_cast<unsigned long>(answerText.size()));
  *response = answerText.c_str();
  *length = answerText.size();
}

static_assert(std::is_same_v<decltype(&Query), QuireQueryEntry>);
