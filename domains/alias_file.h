// AliasFile: the ".als" table of a data-source domain: aliases, AKAs and hidden entries of the
// domain, its classes and their members, read lazily one section at a time.
#pragma once

#include <map>
#include <string>
#include <vector>

class AliasFile {
 public:
  // The file "<domain>.als" in "<install folder>/domains/<folder>" ("kestrel" or "cda"). Reads
  // the section names at once; a missing file is an empty table.
  AliasFile(const std::string& domainName, const std::string& folder = "kestrel");
  // The table of the file at `path` (tests and other folders).
  static AliasFile AtPath(const std::string& path);

  const std::string& path() const { return path_; }
  // The value of `key` in `section` (names compared in lower case); "" when absent.
  std::string value(const std::string& section, const std::string& key);
  // True when `key` is present in `section`, with any value.
  bool has(const std::string& section, const std::string& key);
  // The section's number in file order (first = 1), 0 when the file has no such section.
  int sectionNumber(const std::string& section) const;
  // The section's keys that are member entries (not beginning with "ALIAS", "AKA" or "ARG"),
  // in file order.
  const std::vector<std::string>& keptKeys(const std::string& section);

 private:
  struct Section {
    std::map<std::string, std::string> values;  // lower-cased key -> value
    std::vector<std::string> keptKeys;
  };
  AliasFile() = default;
  void readNames();
  Section& section(const std::string& name);

  std::string path_;
  std::map<std::string, int> numbers_;  // lower-cased section name -> number
  std::map<std::string, Section> sections_;
  bool namesTooLong_ = false;  // the section names did not fit the read buffer
};
