// Script relationships, subclass folder listings and record-source values of extension files.
#include "domains/extension_members.h"

#include <iostream>
#include <utility>

#include "domains/file_sys_domain.h"
#include "domains/file_sys_object.h"
#include "domains/record_file_reader.h"
#include "foundation/escaping.h"
#include "foundation/quire_status.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_attribute_value.h"
#include "model/quire_object.h"
#include "platform/script_runner.h"

namespace {

// The non-empty lines of a command's output.
std::vector<std::string> LinesOf(const std::string& output) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < output.size()) {
    size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    if (end > start) lines.push_back(output.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Runs `command` with the argument values for `object`; the output, or "" with the status set
// (and "Error in executing <command>" written) on failure.
std::string RunFor(const std::string& command, const QuireObject& object,
                   const std::vector<QuireAttribute>& arguments, QuireStatus& status) {
  std::string line;
  if (!ScriptArgumentsFor(object, arguments, line, status)) return "";
  std::string output = platform::RunWithOutput(command, line, status);
  if (!status.IsOk()) {
    std::cerr << "Error in executing " << command << "\n";
    return "";
  }
  return output;
}

}  // namespace

bool ScriptArgumentsFor(const QuireObject& object, const std::vector<QuireAttribute>& arguments,
                        std::string& line, QuireStatus& status) {
  status = QuireStatus();
  line.clear();
  for (const QuireAttribute& argument : arguments) {
    const QuireAttributeValue value = object.getAttributeValue(argument, status);
    if (!status.IsOk()) {
      std::cerr << "Error evaluating attribute argument " << argument.name() << "\n";
      return false;
    }
    if (!line.empty()) line += ' ';
    line += ShellWord(value.displayText());
  }
  return true;
}

QuireObject ObjectNamedBy(const std::string& line, const QuireClass& target, QuireStatus& status) {
  status = QuireStatus();
  if (line.rfind(target.domain().name() + ":", 0) == 0)
    return QuireObject::makeObject(line, status);
  const auto& arguments = target.constructorArguments();
  if (arguments.empty()) {
    status = QuireStatus(kProcessingError, host_message::kNoIdentifyingArguments);
    return QuireObject();
  }
  return target.domain().makeObject(target, {QuireAttributeValue(arguments.front(), line)}, status,
                                    3);
}

ScriptNavigator::ScriptNavigator(std::string command, QuireAttribute argument)
    : command_(std::move(command)), argument_(std::move(argument)) {}

std::unique_ptr<QuireNavigator> ScriptNavigator::clone() const {
  return std::make_unique<ScriptNavigator>(*this);
}

void ScriptNavigator::navigate(QuireStatus& status, const QuireRelationship& relationship,
                               const QuireObject& object, QuireObject& result) const {
  result = QuireObject();
  const std::string output = RunFor(command_, object, {argument_}, status);
  if (!status.IsOk()) return;
  const std::vector<std::string> lines = LinesOf(output);
  if (lines.empty()) {
    status = QuireStatus(kNavigationError, host_message::kNoRelatedObject);
    return;
  }
  result = ObjectNamedBy(lines.front(), relationship.target(), status);
}

void ScriptNavigator::navigate(QuireStatus& status, const QuireRelationship& relationship,
                               const QuireObject& object, QuireObjectList& result) const {
  result.clear();
  const std::string output = RunFor(command_, object, {argument_}, status);
  if (!status.IsOk()) return;
  for (const std::string& line : LinesOf(output)) {
    QuireStatus lineStatus;
    QuireObject related = ObjectNamedBy(line, relationship.target(), lineStatus);
    if (!lineStatus.IsOk() || related.isUndefined()) {
      // One bad line (garbage a script printed) leaves out its object, not the others.
      std::cerr << "Ignoring the output line of " << command_ << " that names no object: " << line
                << "\n";
      continue;
    }
    result.push_back(std::move(related));
  }
}

std::string FolderListingCommand(const std::string& folder, const std::string& pattern) {
  // The pattern is expanded by the shell as a file-name pattern only: a parameter's value is
  // never read again as a command, and an empty IFS keeps blanks in it.
  return "(cd -- " + ShellWord(folder) + " && p=" + ShellWord(pattern) +
         " && IFS= && for f in $p; do if [ -e \"$f\" ] || [ -L \"$f\" ]; then printf '%s\\n' "
         "\"$f\"; fi; done)";
}

FolderListingNavigator::FolderListingNavigator(QuireClass subclass, std::string pattern,
                                               std::optional<std::string> constructor,
                                               std::vector<QuireAttribute> keywordAttributes)
    : subclass_(subclass),
      pattern_(std::move(pattern)),
      constructor_(std::move(constructor)),
      keywordAttributes_(std::move(keywordAttributes)) {}

std::unique_ptr<QuireNavigator> FolderListingNavigator::clone() const {
  return std::make_unique<FolderListingNavigator>(*this);
}

void FolderListingNavigator::navigate(QuireStatus& status, const QuireRelationship& relationship,
                                      const QuireObject& /*object*/, QuireObject& result) const {
  result = QuireObject();
  status =
      QuireStatus(kUnsupportedOperation, "not a one-valued relationship: ", relationship.name());
}

void FolderListingNavigator::navigate(QuireStatus& status, const QuireRelationship& /*relation*/,
                                      const QuireObject& object, QuireObjectList& result) const {
  status = QuireStatus();
  result.clear();
  auto* domain = dynamic_cast<FileSysDomain*>(&subclass_.domain());
  const FileSysObject* folder = object.as<FileSysObject>();
  if (domain == nullptr || folder == nullptr) {
    status = QuireStatus(kClassMismatch, host_message::kNotAFileSysObject);
    return;
  }
  const std::string& folderName = folder->fullName();
  const std::string listing =
      platform::RunWithOutput(FolderListingCommand(folderName, pattern_), "", status);
  if (!status.IsOk()) {
    std::cerr << "Error in executing the listing of " << folderName << " for " << pattern_ << "\n";
    return;
  }
  const std::string prefix = folderName.ends_with('/') ? folderName : folderName + "/";
  for (const std::string& name : LinesOf(listing)) {
    std::string path = prefix + name;
    if (constructor_) {
      const QuireObject entry(std::make_unique<FileSysObject>(subclass_, path));
      QuireStatus scriptStatus;
      const std::vector<std::string> lines =
          LinesOf(RunFor(*constructor_, entry, keywordAttributes_, scriptStatus));
      if (!scriptStatus.IsOk() || lines.empty()) continue;  // the script left the entry out
      path = lines.front().starts_with('/') ? lines.front() : prefix + lines.front();
    }
    QuireStatus entryStatus;
    QuireObject made = domain->openNamed(subclass_, path, entryStatus);
    if (!entryStatus.IsOk() || made.isUndefined()) {
      std::cerr << "Ignoring directory object because of error: " << entryStatus.Text() << "\n";
      continue;
    }
    result.push_back(std::move(made));
  }
}

std::optional<RecordFieldChoice> RecordFieldNamed(const std::string& name) {
  if (name == "Text") return RecordFieldChoice{RecordFieldChoice::Part::kText, 0};
  if (name == "UniqueKey") return RecordFieldChoice{RecordFieldChoice::Part::kUniqueKey, 0};
  std::string digits = name.starts_with("Field") ? name.substr(5) : name;
  if (digits.empty() || digits.size() > 2) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const size_t number = std::stoul(digits);
  if (number < 1 || number > RecordFields::kMaxFields) return std::nullopt;
  return RecordFieldChoice{RecordFieldChoice::Part::kField, number};
}

RecordSourceValue::RecordSourceValue(QuireAttribute fileAttribute, std::string fieldName,
                                     RecordFieldChoice field, std::optional<std::string> key)
    : fileAttribute_(std::move(fileAttribute)),
      fieldName_(std::move(fieldName)),
      field_(field),
      key_(std::move(key)) {}

std::string RecordSourceValue::description() const {
  return fileAttribute_.name() + "|" + fieldName_ + "|" + (key_ ? "=" + *key_ : std::string());
}

QuireAttributeValue RecordSourceValue::value(QuireStatus& status, const QuireAttribute& attribute,
                                             const QuireObject& object) const {
  const QuireAttributeValue file = object.getAttributeValue(fileAttribute_, status);
  if (!status.IsOk()) return QuireAttributeValue();
  const std::string fileName = file.displayText();
  RecordFileReader reader;
  for (bool more = reader.open(fileName); more; more = reader.next()) {
    if (key_ && reader.uniqueKey() != *key_) continue;
    switch (field_.part) {
      case RecordFieldChoice::Part::kText:
        return QuireAttributeValue(attribute, reader.record().text);
      case RecordFieldChoice::Part::kUniqueKey:
        return QuireAttributeValue(attribute, reader.uniqueKey());
      case RecordFieldChoice::Part::kField:
        return QuireAttributeValue(attribute, reader.field(field_.field));
    }
  }
  if (!reader.refusal().empty()) {
    status = QuireStatus(kEvaluationError, reader.refusal());
  } else {
    std::cerr << "No record" << (key_ ? " with key " + *key_ : std::string()) << " in file "
              << fileName << " for attribute " << attribute.name() << "\n";
    status = QuireStatus(kFileNotFound, host_message::kNoSuchRecord, fileName, key_.value_or(""));
  }
  return QuireAttributeValue();
}
