#include "model/quire_object.h"

#include <cstdio>
#include <utility>

#include "foundation/escaping.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"
#include "platform/script_runner.h"

namespace {

void Write(const std::string& text) { std::fputs(text.c_str(), stderr); }

QuireStatus UndefinedObjectStatus() {
  return QuireStatus(kEvaluationError, host_message::kUndefinedObject);
}

bool IsTextType(int32_t type) { return type == QuireType::STRING || type == QuireType::FILENAME; }

void ReportArgumentError(const std::string& text) {
  Write("*** Error in QuireAttributeValue: " + text + "\n");
}

// Reads "name=value" pairs separated by "," from the front of `text` as the values of
// `arguments`, in order, appending them to `values`. With `leaveExtra`, text beyond the last
// argument is left for the caller; otherwise it is an error. False after a pair that cannot be
// read (its message written). Every pass consumes at least one byte of the text.
bool ReadArgumentValues(std::string& text, const std::vector<QuireAttribute>& arguments,
                        bool leaveExtra, QuireArgumentValues& values) {
  for (size_t index = 0; !text.empty(); ++index) {
    if (leaveExtra && index >= arguments.size()) return true;
    std::string value;
    SplitHead(text, value, ',');
    std::string name;
    if (!SplitHead(value, name, '=')) {
      ReportArgumentError("can't parse writeImage, no name specified");
      return false;
    }
    if (index >= arguments.size()) {
      ReportArgumentError("the object has more constructor arguments than its class");
      return false;
    }
    const QuireAttribute& argument = arguments[index];
    if (name != argument.name()) {
      ReportArgumentError("the '" + name + "' argument doesn't match the corresponding " +
                          argument.name() + " argument of its class");
      return false;
    }
    QuireAttributeValue read = QuireAttributeValue::fromText(Unescape(value), argument);
    if (read.isUndefined()) return false;
    values.push_back(std::move(read));
  }
  return true;
}

// The object that serves `cls`: `object` itself when no conversion is needed (no copy), else
// the converted object, kept in `converted`. Reads are frequent, so the common case stays cheap.
const QuireObject& ServingObject(const QuireObject& object, const QuireClass& cls,
                                 QuireObject& converted, QuireStatus& status) {
  const QuireClass own = object.domainObject()->getClass(status);
  if (!status.IsOk()) return converted;
  if (!own.domain().isConverting() || cls.domain().isConverting()) return object;
  converted = QuireObject::localObject(object, cls, status);
  return converted;
}

// The object named by `identifier`, or the undefined object with the status saying why (the
// status may also stay good when the domain itself declined).
QuireObject BuildObject(const std::string& identifier, QuireStatus& status) {
  std::string rest = identifier;
  std::string domainName;
  if (!SplitHead(rest, domainName, ':')) {
    status = QuireStatus(kProcessingError, host_message::kInvalidObjectIdentifier, identifier);
    return QuireObject();
  }
  QuireAbstractDomain& domain = FindDomain(status, domainName);
  if (!status.IsOk()) return QuireObject();
  std::string className;
  if (!SplitHead(rest, className, ':')) {
    status = QuireStatus(kProcessingError, host_message::kInvalidObjectIdentifier, identifier);
    return QuireObject();
  }
  const QuireClass cls = domain.findClass(className, status);
  if (!status.IsOk()) return QuireObject();

  if (cls.takesSelectedIdentifiers() && rest.find('|') != std::string::npos) {
    return domain.getSelectedObject(status, cls, rest);
  }

  // Constructor values first; when the class also has selector arguments, what follows the
  // last constructor value belongs to them.
  QuireArgumentValues values;
  const bool hasSelectors = !cls.selectorArguments().empty();
  bool readable = ReadArgumentValues(rest, cls.constructorArguments(), hasSelectors, values);
  if (readable) readable = ReadArgumentValues(rest, cls.selectorArguments(), false, values);
  if (!readable) {
    status = QuireStatus(kUnreadableArgument, host_message::kIdentifierArgumentUnreadable);
    return QuireObject();
  }

  const int completeness = rest.empty() ? 3 : 2;
  QuireObject result;
  if (QuireObjectFactory* factory = cls.objectFactory()) {
    factory->make(result, status, cls, values, completeness);
  } else {
    result = cls.domain().makeObject(cls, values, status, completeness);
  }
  return result;
}

}  // namespace

QuireObject::QuireObject(std::unique_ptr<QuireDomainObject> object) : object_(std::move(object)) {}

QuireObject::~QuireObject() = default;

QuireDomainObject* QuireObject::domainObject() {
  if (object_ && object_.use_count() > 1) object_ = object_->clone();
  return object_.get();
}

const QuireObject& QuireObject::undefined() {
  static const QuireObject instance;
  return instance;
}

void QuireObject::setSecondHandle(const QuireObject& second) {
  second_ = std::make_shared<const QuireObject>(second);
}

QuireClass QuireObject::getClass(QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    Write("***ERROR, getClass() called on undefined object***\n");
    status = UndefinedObjectStatus();
    return QuireClass();
  }
  return object_->getClass(status);
}

void QuireObject::getConstructorArguments(QuireArgumentValues& list, bool flag,
                                          QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    list.clear();
    Write("***ERROR, getConstructorArguments() called on undefined object***\n");
    status = UndefinedObjectStatus();
    return;
  }
  object_->getConstructorArguments(list, flag, status);
}

QuireAttributeValue QuireObject::getAttributeValue(const QuireAttribute& attribute,
                                                   QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    Write("***ERROR, getAttributeValue() called on undefined object***\n");
    status = UndefinedObjectStatus();
    return QuireAttributeValue();
  }

  if (const QuireValueSource* source = attribute.valueSource()) {
    return source->value(status, attribute, *this);
  }

  if (attribute.isScript()) {
    // Each value is one quoted shell word, so no value can end the command or start another.
    std::string arguments;
    for (const QuireAttribute& argument : attribute.scriptArguments()) {
      const QuireAttributeValue value = getAttributeValue(argument, status);
      if (!status.IsOk()) {
        Write("Error evaluating attribute argument " + argument.name() + " in script attribute " +
              attribute.name() + "\n");
        return QuireAttributeValue();
      }
      if (!arguments.empty()) arguments += ' ';
      arguments += ShellWord(value.displayText());
    }
    const std::string output = platform::RunWithOutput(attribute.scriptText(), arguments, status);
    if (!status.IsOk()) {
      Write("Error in executing " + attribute.scriptText() + " in script attribute " +
            attribute.name() + "\n");
      return QuireAttributeValue();
    }
    return QuireAttributeValue(attribute, output);
  }

  if (attribute.isExtracted()) {
    // The base attribute takes the whole path itself (script, conversion, domain).
    const QuireAttributeValue base = getAttributeValue(attribute.baseAttribute(), status);
    if (!status.IsOk() || base.isUndefined()) return QuireAttributeValue();
    const std::string baseText = IsTextType(base.type()) ? base.textValue() : base.displayText();
    return QuireAttributeValue(attribute, attribute.extractFrom(baseText));
  }

  QuireObject converted;
  const QuireObject& local = ServingObject(*this, attribute.getClass(), converted, status);
  if (!status.IsOk()) return QuireAttributeValue();
  return attribute.getClass().domain().getAttributeValue(status, attribute, local);
}

QuireAttributeValue QuireObject::getGraphicAttributeValue(const QuireAttribute& attribute,
                                                          const std::string& imageName,
                                                          QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    Write("***ERROR graphic getAttributeValue called with undefined object***\n");
    status = UndefinedObjectStatus();
    return QuireAttributeValue();
  }
  QuireObject converted;
  const QuireObject& local = ServingObject(*this, attribute.getClass(), converted, status);
  if (!status.IsOk()) return QuireAttributeValue();
  return attribute.getClass().domain().getGraphicAttributeValue(status, attribute, imageName,
                                                                local);
}

QuireObject QuireObject::getUnaryRelatedObject(const QuireRelationship& relationship,
                                               QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    Write("***ERROR - getUnaryRelatedObject called with undefined object\n");
    status = UndefinedObjectStatus();
    return QuireObject();
  }
  QuireObject converted;
  const QuireObject& local = ServingObject(*this, relationship.source(), converted, status);
  if (!status.IsOk()) {
    Write("***Bad status in getUnaryRelatedObject:" + status.Text() +
          " - returning null object**\n");
    return QuireObject();
  }
  if (const QuireNavigator* navigator = relationship.navigator()) {
    QuireObject result;
    navigator->navigate(status, relationship, local, result);
    return result;
  }
  return relationship.target().domain().getUnaryRelatedObject(status, relationship, local);
}

QuireObjectList QuireObject::getNaryRelatedObjects(const QuireRelationship& relationship,
                                                   QuireStatus& status) const {
  status = QuireStatus();
  QuireObjectList result;
  if (isUndefined()) {
    Write("***ERROR - getNaryRelatedObjects called with undefined object\n");
    status = UndefinedObjectStatus();
    return result;
  }
  QuireObject converted;
  const QuireObject& local = ServingObject(*this, relationship.source(), converted, status);
  if (!status.IsOk()) {
    Write("*** Bad status in getNaryRelatedObjects:" + status.Text() +
          " - returning empty set**\n");
    return result;
  }
  if (const QuireNavigator* navigator = relationship.navigator()) {
    navigator->navigate(status, relationship, local, result);
  } else {
    relationship.target().domain().getNaryRelatedObjects(status, relationship, local, result);
  }
  return result;
}

std::string QuireObject::referenceText(QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    Write("***ERROR - writeImage called with undefined object\n");
    status = UndefinedObjectStatus();
    return "Undefined";
  }
  const QuireClass cls = object_->getClass(status);
  if (!status.IsOk()) return "Undefined";
  std::string text = cls.domain().name() + ":" + cls.name() + ":";
  if (cls.takesSelectedIdentifiers()) return text + object_->secondText();

  QuireArgumentValues arguments;
  object_->getConstructorArguments(arguments, false, status);
  if (!status.IsOk()) return "Undefined";
  if (arguments.empty()) {
    status = QuireStatus(kProcessingError, host_message::kNoReferenceArguments);
    return text;
  }
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ",";
    text += arguments[i].argumentText(status, true);
    if (!status.IsOk()) return "Undefined";
  }
  return text;
}

std::string QuireObject::identifierText(QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    status = UndefinedObjectStatus();
    return "Undefined";
  }
  return object_->identifierText(status);
}

void QuireObject::display(QuireStatus& status) const {
  status = QuireStatus();
  if (isUndefined()) {
    Write("***ERROR display called with undefined object\n");
    status = UndefinedObjectStatus();
    return;
  }
  object_->display(status);
}

bool QuireObject::operator==(const QuireObject& other) const {
  if (isUndefined() || other.isUndefined()) return isUndefined() && other.isUndefined();
  QuireStatus status;
  QuireStatus otherStatus;
  if (object_->getClass(status) != other.object_->getClass(otherStatus)) return false;
  if (!status.IsOk() || !otherStatus.IsOk()) return false;
  QuireArgumentValues mine;
  QuireArgumentValues theirs;
  object_->getConstructorArguments(mine, false, status);
  other.object_->getConstructorArguments(theirs, false, otherStatus);
  if (!status.IsOk() || !otherStatus.IsOk() || mine.size() != theirs.size()) return false;
  for (size_t i = 0; i < mine.size(); ++i) {
    if (!mine[i].equals(theirs[i])) return false;
  }
  return true;
}

QuireObject QuireObject::makeObject(const std::string& identifier, QuireStatus& status) {
  status = QuireStatus();
  QuireObject result = BuildObject(identifier, status);
  if (status.IsOk() && !result.isUndefined()) return result;
  // A domain that declines without saying why still leaves the caller a reason.
  if (status.IsOk())
    status = QuireStatus(kProcessingError, host_message::kInvalidObjectIdentifier, identifier);
  Write("***makeObject returning undefined object***\n");
  return QuireObject();
}

QuireObject QuireObject::localObject(const QuireObject& object, const QuireClass& cls,
                                     QuireStatus& status) {
  status = QuireStatus();
  if (object.isUndefined()) {
    status = UndefinedObjectStatus();
    return QuireObject();
  }
  const QuireClass ownClass = object.object_->getClass(status);
  if (!status.IsOk()) return QuireObject();
  QuireAbstractDomain& target = cls.domain();
  if (!ownClass.domain().isConverting() || target.isConverting()) return object;

  if (target.name() != "FileSys") {
    status = QuireStatus(kEvaluationError, host_message::kDomainNotUsableWithClass, cls.name());
    return QuireObject();
  }
  QuireArgumentValues arguments;
  object.object_->getConstructorArguments(arguments, false, status);
  if (!status.IsOk()) return QuireObject();
  if (arguments.empty()) {
    status = QuireStatus(kEvaluationError, host_message::kNoFileSysArgument);
    return QuireObject();
  }
  const std::vector<QuireAttribute>& classArguments = cls.constructorArguments();
  if (!IsTextType(arguments.front().type()) || classArguments.empty()) {
    Write("Bad status in staticGetLocalObject\n");
    status = QuireStatus(kEvaluationError, host_message::kObjectNotConverted, "FileSys");
    return QuireObject();
  }
  const QuireArgumentValues values{
      QuireAttributeValue(classArguments.front(), arguments.front().textValue())};
  QuireObject local = target.makeObject(cls, values, status, 2);
  if (!status.IsOk()) {
    Write("Bad status in staticGetLocalObject\n");
    return QuireObject();
  }
  return local;
}
