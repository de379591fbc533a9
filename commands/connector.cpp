// Connector: an OPEN command, parsed from its text, printed back and evaluated to its object.
#include "commands/connector.h"

#include <utility>
#include <vector>

#include "commands/command_cursor.h"
#include "commands/general_primary.h"
#include "commands/quire_binding.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"
#include "model/template_file_names.h"
#include "platform/config.h"

namespace {

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> items;
  CommandCursor cursor(text);
  while (!cursor.empty()) {
    std::string item;
    const bool more = cursor.takeField(',', item);
    items.push_back(item);
    // A trailing "," leaves one more, empty item.
    if (more && cursor.empty()) items.emplace_back();
  }
  return items;
}

bool Matches(const std::vector<QuireAttribute>& arguments, const std::string& name) {
  for (const QuireAttribute& argument : arguments) {
    if (argument.name() == name || (!argument.alias().empty() && argument.alias() == name)) {
      return true;
    }
  }
  return false;
}

// The text of the first assignment's value, evaluated as a constant primary ("^" dropped).
bool FirstAssignedText(const std::string& assignments, std::string& text) {
  std::string first = assignments.substr(0, assignments.find(','));
  const std::size_t equals = first.find('=');
  if (equals == std::string::npos) return false;
  std::string value = first.substr(equals + 1);
  if (!value.empty() && value[0] == '^') value.erase(0, 1);
  CommandCursor cursor(value);
  QuireStatus status;
  const GeneralPrimary primary(cursor, status);
  if (!status.IsOk()) return false;
  const QuireAttributeValue constant = primary.evaluate(status, QuireObject(), QuireBindingList());
  if (!status.IsOk()) return false;
  text = constant.shortText(status);
  return status.IsOk();
}

// Replaces every "${name}" reference by the setting's value; a name without value sets status
// kUndefinedSetting and leaves that reference as it is.
std::string ExpandSettings(const std::string& text, QuireStatus& status) {
  std::string result = text;
  std::size_t from = 0;
  while (true) {
    const std::size_t start = result.find("${", from);
    if (start == std::string::npos) break;
    const std::size_t end = result.find('}', start + 2);
    if (end == std::string::npos) break;
    const platform::ConfigSetting setting(result.substr(start + 2, end - start - 2));
    if (!setting.Found() || setting.Value().empty()) {
      status = QuireStatus(kUndefinedSetting, "Connector args");
      from = end + 1;
      continue;
    }
    result.replace(start, end + 1 - start, setting.Value());
    // A value is not expanded again.
    from = start + setting.Value().size();
  }
  return result;
}

}  // namespace

Connector::Connector(const std::string& text, QuireStatus& status) {
  CommandCursor cursor(text);
  std::string domainName;
  std::string className;
  if (!parseHeader(cursor, "CN", status, &domainName, &className)) {
    if (!hasVariable_ || className.empty()) return;
    // An external-schema domain may learn the class from the object the first value names.
    QuireStatus domainStatus;
    QuireAbstractDomain& domain = FindDomain(domainStatus, domainName);
    std::string value;
    if (!domainStatus.IsOk() || !domain.hasExternalSchema() ||
        !FirstAssignedText(std::string(cursor.rest()), value)) {
      return;
    }
    QuireStatus askStatus;
    domain.getSelectedObjects(askStatus, value);
    if (!askStatus.IsOk()) return;
    // Asking may have replaced the domain with one read from a new schema: the class is looked
    // up in the domain now registered under the name.
    QuireStatus lookupStatus;
    QuireAbstractDomain& current = FindDomain(lookupStatus, domainName);
    if (!lookupStatus.IsOk()) {
      status = lookupStatus;
      return;
    }
    const QuireClass learned = current.findClass(className, status);
    if (!status.IsOk()) return;
    class_ = learned;
    hasClass_ = true;
  }

  const std::vector<std::string> texts = SplitAtCommas(cursor.takeRest());
  std::vector<QuireAttribute>* const lists[] = {
      &class_.connectorArguments(), &class_.constructorArguments(), &class_.selectorArguments()};
  std::vector<QuireAttribute>* chosen = nullptr;
  for (std::vector<QuireAttribute>* list : lists) {
    if (list->empty()) continue;
    bool all = true;
    for (const std::string& item : texts) all = all && Matches(*list, Assignment::nameOf(item));
    if (all) {
      chosen = list;
      break;
    }
  }
  if (chosen == nullptr) chosen = lists[0]->empty() ? lists[1] : lists[0];
  completeness_ = chosen == lists[0] ? 1 : 2;

  std::vector<QuireAttribute> unassigned = *chosen;
  for (const std::string& item : texts) {
    assignments_.emplace_back(item, unassigned, status);
    if (!status.IsOk()) return;
  }
}

std::unique_ptr<Source> Connector::clone() const { return std::make_unique<Connector>(*this); }

std::string Connector::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, "Connector");
    return {};
  }
  std::string text = printHeader();
  for (std::size_t i = 0; i < assignments_.size(); ++i) {
    if (i > 0) text += ',';
    text += assignments_[i].print(status);
    if (!status.IsOk()) return {};
  }
  return text;
}

QuireObjectList Connector::evaluate(QuireStatus& status, const QuireBindingList& bindings,
                                    int /*extra*/) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, "Connector");
    return {};
  }
  QuireArgumentValues values;
  std::vector<bool> written;
  for (const Assignment& assignment : assignments_) {
    written.push_back(assignment.isWrittenInTemplate());
    QuireAttributeValue value = assignment.evaluate(status, bindings);
    if (!status.IsOk()) return {};
    if (value.type() == QuireType::STRING || value.type() == QuireType::FILENAME) {
      value.setText(ExpandSettings(value.textValue(), status), value.type() == QuireType::FILENAME);
      if (!status.IsOk()) return {};
    }
    values.push_back(std::move(value));
  }
  // The domain learns which values the template wrote, so that a relative file name among them
  // resolves beside the template.
  const TemplateWrittenValues writtenValues(std::move(written));
  QuireObject object = class_.domain().makeObject(class_, values, status, completeness_);
  if (!status.IsOk()) return {};
  return {std::move(object)};
}

void Connector::prepareExternalClasses(QuireStatus& status) {
  status = QuireStatus();
  QuireAbstractDomain& domain = class_.domain();
  if (class_.isUndefined() || !domain.hasExternalSchema()) return;
  // Loads the schema when it is not yet there and takes the class's current record.
  const QuireClass current = domain.findClass(class_.name(), status);
  if (status.IsOk()) class_ = current;
}
