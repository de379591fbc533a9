#include "commands/navigation_path.h"

#include <cstring>

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"

namespace {

// The superclass link of `cls` whose name (or display alias or aka) is `name`.
const QuireRelationship* FindSuperclassLink(const QuireClass& cls, const std::string& name,
                                            PathLookup lookup) {
  const auto& links =
      lookup == PathLookup::kCommand ? cls.superclassLinks() : cls.allSuperclassLinks();
  for (const QuireRelationship& link : links) {
    if (link.name() == name || link.displayAlias() == name || link.displayAka() == name) {
      return &link;
    }
  }
  return nullptr;
}

}  // namespace

NavigationPath NavigationPath::parse(const std::string& field, QuireClass& cls, PathLookup lookup,
                                     const char* letters, const char* elementName,
                                     const char* missingEqualsName, QuireStatus& status) {
  NavigationPath path;
  CommandCursor steps(field);
  while (!steps.empty()) {
    std::string step;
    steps.takeField('.', step);
    CommandCursor parts(step);
    char letter = '\0';
    parts.takeLetter(letter);
    if (letter == '\0' || std::strchr(letters, letter) == nullptr) {
      status = QuireStatus(kNavigationError, elementName);
      return path;
    }
    if (parts.peek() != '=') {
      status = QuireStatus(kSyntaxError, missingEqualsName);
      return path;
    }
    parts.skip(1);
    const std::string name = parts.takeRest();
    const QuireFeatureList list =
        lookup == PathLookup::kCommand ? QuireFeatureList::kSecond : QuireFeatureList::kFirst;
    if (letter == 'S') {
      const QuireRelationship* link = FindSuperclassLink(cls, name, lookup);
      if (link == nullptr) {
        status = QuireStatus(kNavigationError, elementName, ": no superclass ", name);
        return path;
      }
      path.append(*link);
      cls = link->target();
      continue;
    }
    // Sort keys and attribute primaries only ever look in the first unary list.
    const int32_t kind = letter == 'N' ? QuireRelationship::kNary : QuireRelationship::kUnary;
    const QuireRelationship& found = cls.findRelationship(name, kind, status, list);
    if (!status.IsOk()) return path;
    path.append(found);
    cls = found.target();
  }
  return path;
}

std::string NavigationPath::print(const char* elementName, QuireStatus& status) const {
  std::string text;
  for (const QuireRelationship& step : steps_) {
    if (!text.empty()) text += '.';
    switch (step.kind()) {
      case QuireRelationship::kSuperclassLink:
        text += "S=";
        break;
      case QuireRelationship::kUnary:
        text += "U=";
        break;
      case QuireRelationship::kNary:
        text += "N=";
        break;
      default:
        status = QuireStatus(kNavigationError, elementName);
        return text;
    }
    text += step.name();
  }
  return text;
}
