// ExtensionBuilder: the actions of the domain extension language. The parser calls one per rule;
// each writes its trace line ("add_criteria *.csv") to the trace stream and records what was read,
// and the end of a block checks the block and creates its class or members. Once the status has
// gone bad every action does nothing, so the first error stops all later effects of the file.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "domains/extension_records.h"
#include "foundation/quire_status.h"

// Where the members' scripts are looked for and where messages go.
struct ExtensionSettings {
  // Scripts named by their file name alone are run from this folder when they are there (the
  // folder of the extension file); otherwise the command interpreter finds them.
  std::string scriptFolder;
  std::ostream* trace = nullptr;        // the actions' trace lines
  std::ostream* diagnostics = nullptr;  // the checks' messages
};

class ExtensionBuilder {
 public:
  ExtensionBuilder(QuireStatus& status, ExtensionSettings settings);

  // CLASS name parent
  void beginSubclass(const std::string& name, const std::string& parent);
  void addCriteria(const std::string& pattern);
  // CONSTRUCTOR script: a second one in a block is reported and ignored with its arguments.
  void addScriptName(const std::string& script);
  // A placeholder of a CONSTRUCTOR or ATTRIBUTE line: the attribute named after "%@%".
  void addScriptArgument(const std::string& attribute);
  void endScriptLine();
  void addRemoveAttribute(const std::string& name);
  void addRemoveRelationship(const std::string& name);
  // END_CLASS of a subclass block.
  void endSubclass();

  // EXISTING_CLASS reference
  void beginExtension(const std::string& reference);
  void addRelationship(bool nary, const std::string& name, const std::string& target,
                       const std::string& argument, const std::string& script);
  void beginScriptAttribute(const std::string& name, const std::string& script);
  void beginSource(const std::string& attribute);
  void addSourceAttribute(const std::string& name, const std::string& field,
                          const std::string* key);
  // END_CLASS of an extension block.
  void endExtension();

 private:
  bool idle() const { return !status_.IsOk(); }
  void trace(const std::string& action, const std::string& argument);

  QuireStatus& status_;
  ExtensionSettings settings_;
  ExtensionSubclass subclass_;
  ExtensionClass extension_;
  std::string source_;
  bool ignoringArguments_ = false;
  std::vector<std::string>* arguments_ = nullptr;  // where the placeholders of this line go
};
