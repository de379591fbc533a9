// The members that a domain extension file adds: relationships whose objects a script names, the
// folder listing that yields the objects of a file-system subclass, and attributes read from a
// field of a record file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/quire_attribute.h"
#include "model/quire_relationship.h"

// The command line that runs `command` with the values of `arguments` for `object`, each value
// one quoted shell word. False with the status set when a value cannot be read.
bool ScriptArgumentsFor(const QuireObject& object, const std::vector<QuireAttribute>& arguments,
                        std::string& line, QuireStatus& status);

// The object that a line of script output names: a reference text ("Domain:Class:name=value")
// when it is one, else the object of `target` whose first constructor argument is the line.
QuireObject ObjectNamedBy(const std::string& line, const QuireClass& target, QuireStatus& status);

// A unary or n-ary relationship computed by a script: the script runs with the argument's value,
// and each line of its output names one related object (a unary relationship takes the first).
class ScriptNavigator : public QuireNavigator {
 public:
  ScriptNavigator(std::string command, QuireAttribute argument);
  std::unique_ptr<QuireNavigator> clone() const override;
  void navigate(QuireStatus& status, const QuireRelationship& relationship,
                const QuireObject& object, QuireObject& result) const override;
  void navigate(QuireStatus& status, const QuireRelationship& relationship,
                const QuireObject& object, QuireObjectList& result) const override;

  const std::string& command() const { return command_; }

 private:
  std::string command_;
  QuireAttribute argument_;
};

// The objects of a file-system subclass in a folder: the folder's entries whose names match the
// criteria pattern, listed by the command interpreter; for each, the constructor script (when
// there is one) runs with the values of the keyword attributes, and the first line it prints
// names the object to make (an empty output leaves the entry out).
class FolderListingNavigator : public QuireNavigator {
 public:
  FolderListingNavigator(QuireClass subclass, std::string pattern,
                         std::optional<std::string> constructor,
                         std::vector<QuireAttribute> keywordAttributes);
  std::unique_ptr<QuireNavigator> clone() const override;
  // Not a unary relationship: kUnsupportedOperation.
  void navigate(QuireStatus& status, const QuireRelationship& relationship,
                const QuireObject& object, QuireObject& result) const override;
  void navigate(QuireStatus& status, const QuireRelationship& relationship,
                const QuireObject& object, QuireObjectList& result) const override;

  const QuireClass& subclass() const { return subclass_; }

 private:
  QuireClass subclass_;
  std::string pattern_;
  std::optional<std::string> constructor_;
  std::vector<QuireAttribute> keywordAttributes_;
};

// The shell command that prints the names of the entries of `folder` that match `pattern`, one
// a line, in the shell's order. Neither text can end the command or start another.
std::string FolderListingCommand(const std::string& folder, const std::string& pattern);

// Which part of a record a record-source attribute reads.
struct RecordFieldChoice {
  enum class Part { kText, kUniqueKey, kField };
  Part part = Part::kField;
  size_t field = 1;
};
// "Text", "UniqueKey", "Field01" to "Field30" or a field number from 1 to 30; nullopt otherwise.
std::optional<RecordFieldChoice> RecordFieldNamed(const std::string& name);

// An attribute read from a record file: the file is the value of the source attribute, the
// record the first one or the one with the given unique key.
class RecordSourceValue : public QuireValueSource {
 public:
  RecordSourceValue(QuireAttribute fileAttribute, std::string fieldName, RecordFieldChoice field,
                    std::optional<std::string> key);
  QuireAttributeValue value(QuireStatus& status, const QuireAttribute& attribute,
                            const QuireObject& object) const override;

  // The texts it was made from, to recognise it when the extension file is read again.
  std::string description() const;

 private:
  QuireAttribute fileAttribute_;
  std::string fieldName_;
  RecordFieldChoice field_;
  std::optional<std::string> key_;
};
