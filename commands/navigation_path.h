// NavigationPath: the steps ("N=", "U=", "S=" and a name, separated by ".") that lead from a
// start class to the class a command works on.
#pragma once

#include <string>
#include <vector>

#include "model/quire_class.h"
#include "model/quire_relationship.h"

class QuireStatus;

// Where the steps' names are looked up: commands use the second unary and nary lists and the
// immediate superclass links; sort keys and attribute primaries use the first unary list and all
// superclass links.
enum class PathLookup { kCommand, kKeyOrPrimary };

class NavigationPath {
 public:
  NavigationPath() = default;

  // Parses `field` starting from `cls`, which moves along to the class reached. `letters` names
  // the step letters this element allows ("NUS", "US"). A letter not allowed: kNavigationError with
  // `elementName`; a step without "=": kSyntaxError with `missingEqualsName`; a failed lookup keeps
  // the lookup's status. An empty field is an empty path.
  static NavigationPath parse(const std::string& field, QuireClass& cls, PathLookup lookup,
                              const char* letters, const char* elementName,
                              const char* missingEqualsName, QuireStatus& status);

  const std::vector<QuireRelationship>& steps() const { return steps_; }
  bool empty() const { return steps_.empty(); }
  void append(const QuireRelationship& step) { steps_.push_back(step); }

  // "U=name.S=name..." (a step of kind 3 prints "N="). Kinds outside 0, 2, 3: kNavigationError with
  // `elementName`.
  std::string print(const char* elementName, QuireStatus& status) const;

  bool operator==(const NavigationPath& other) const { return steps_ == other.steps_; }

 private:
  std::vector<QuireRelationship> steps_;
};
