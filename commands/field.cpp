// Field: a DISPLAY command, parsed from its text, printed back and evaluated to a value.
#include "commands/field.h"

#include <utility>

#include "commands/command_cursor.h"
#include "commands/modifier_flags.h"
#include "commands/quire_binding.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"

namespace {

constexpr const char* kName = "Field";

}  // namespace

Field::Field(const std::string& text, QuireStatus& status) {
  status = QuireStatus();
  CommandCursor cursor(text);
  char letter = '\0';
  cursor.takeLetter(letter);
  if ((letter != 'F' && letter != 'X') || cursor.peek() != ':') {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  cursor.skip(1);
  kind_ = letter;
  std::string className;
  std::string pathField;
  std::string attributeName;
  if (!cursor.takeField(':', variable_) || !cursor.takeField(':', domainName_) ||
      !cursor.takeField(':', className) || !cursor.takeField(':', pathField) ||
      !cursor.takeField(':', attributeName)) {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  QuireAbstractDomain& domain = FindDomain(status, domainName_);
  if (!status.IsOk()) return;
  const QuireClass cls = domain.findClass(className, status);
  if (!status.IsOk()) return;
  class_ = cls;
  pathEnd_ = class_;
  path_ =
      NavigationPath::parse(pathField, pathEnd_, PathLookup::kCommand, "US", kName, kName, status);
  if (!status.IsOk()) return;
  const QuireAttribute& found =
      pathEnd_.findAttribute(attributeName, status, QuireFeatureList::kFirst);
  if (!status.IsOk()) return;
  attribute_ = found;

  const std::string modifierText(cursor.rest());
  modifier_ = GeneralModifier(cursor, attribute_.type(), status);
  if (!status.IsOk()) return;
  parsedFlags_ = modifier_.flags();
  const std::size_t consumed = modifierText.size() - cursor.rest().size();
  modifierColon_ = consumed > 0 && modifierText[consumed - 1] == ':';
  if (kind_ == 'X') modifier_.setFlags(1);
  trailing_ = cursor.takeRest();
}

bool Field::isValid() const {
  return kind_ != '\0' && !variable_.empty() && !class_.isUndefined() && !attribute_.isUndefined();
}

std::string Field::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, kName);
    return {};
  }
  std::string text = std::string(1, kind_) + ":" + variable_ + ":" + class_.domain().name() + ":" +
                     class_.name() + ":" + path_.print(kName, status) + ":" + attribute_.name() +
                     ":";
  if (!status.IsOk()) return {};
  // "X" overrode the flags after parsing: print them as they were written.
  GeneralModifier written = modifier_;
  written.setFlags(parsedFlags_);
  text += written.print(status);
  if (!status.IsOk()) return {};
  if (modifierColon_) text += ':';
  return text + trailing_;
}

std::string Field::displayName(QuireStatus& status) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, kName);
    return "<INVALID FIELD>";
  }
  std::string name = "<" + variable_ + ".";
  for (const QuireRelationship& step : path_.steps()) {
    if (step.kind() != QuireRelationship::kUnary) {
      status = QuireStatus(kNavigationError, kName);
      continue;
    }
    name += step.displayAlias() + ".";
  }
  return name + attribute_.displayAlias() + ">";
}

QuireAttributeValue Field::evaluate(QuireStatus& status, const QuireBindingList& bindings,
                                    int /*extra*/, std::string& linkText, QuireObject& reached,
                                    const std::string& imageName) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, kName);
    return QuireAttributeValue();
  }
  reached = ReachFromBinding(bindings, variable_, class_, path_.steps(), kName,
                             host_message::kNotOfStartClass, true, status);
  if (!status.IsOk()) return QuireAttributeValue();
  if (modifier_.flags() != 0) {
    // The link gets the reference text as it came back ("Undefined", or the domain and class
    // alone for an object without arguments): a reference that cannot be built does not keep
    // the value from being read and shown.
    QuireStatus referenceStatus;
    linkText = reached.referenceText(referenceStatus);
  }
  if (attribute_.type() == QuireType::GRAPHIC) {
    // The page asks for the picture's format and size through the image name.
    return reached.getGraphicAttributeValue(attribute_, imageName, status);
  }
  QuireAttributeValue value = reached.getAttributeValue(attribute_, status);
  if (!status.IsOk()) return QuireAttributeValue();
  return modifier_.apply(std::move(value), status);
}
