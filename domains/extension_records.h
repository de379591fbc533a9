// What one block of a domain extension file asks for, as the parser collected it: a new subclass
// of a file-system class, or new members of an existing class.
#pragma once

#include <optional>
#include <string>
#include <vector>

// CLASS name parent ... END_CLASS
struct ExtensionSubclass {
  std::string name;
  std::string parent;  // a class reference, DOMAIN.CLASS
  std::optional<std::string> criteria;
  std::optional<std::string> constructorScript;
  std::vector<std::string> constructorArguments;  // attribute names of the parent ("" for "%@%")
  std::vector<std::string> removedAttributes;
  std::vector<std::string> removedRelationships;
};

struct ExtensionMember {
  enum class Kind { kUnaryRelationship, kNaryRelationship, kScriptAttribute, kSourceAttribute };
  Kind kind = Kind::kScriptAttribute;
  std::string name;
  // Relationships: the target class (DOMAIN.CLASS, or a class of the extended class's domain).
  std::string target;
  // Relationships and script attributes: the command; its arguments are attribute names of the
  // extended class ("" for a bare "%@%").
  std::string script;
  std::vector<std::string> arguments;
  // Record-source attributes: the attribute that names the record file, the record field, and
  // the unique key of the record to read (none: the first record).
  std::string sourceAttribute;
  std::string field;
  std::optional<std::string> key;
};

// EXISTING_CLASS reference ... END_CLASS
struct ExtensionClass {
  std::string reference;
  std::vector<ExtensionMember> members;
};
