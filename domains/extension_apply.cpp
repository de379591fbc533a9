// The checks at the end of an extension block and the classes and members it then creates.
#include "domains/extension_apply.h"

#include <set>
#include <utility>
#include <vector>

#include "domains/domain_registry.h"
#include "domains/extension_members.h"
#include "domains/file_sys_domain.h"
#include "foundation/escaping.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_attribute.h"
#include "model/quire_relationship.h"
#include "platform/file_io.h"
#include "platform/log.h"

namespace {

constexpr QuireFeatureList kBothLists[] = {QuireFeatureList::kFirst, QuireFeatureList::kSecond};

// Writes a check's line and sets the status; always false, for `return fail(...)`.
class Checks {
 public:
  Checks(const ExtensionSettings& settings, QuireStatus& status)
      : diagnostics_(*settings.diagnostics), status_(status) {}

  bool fail(const std::string& line, QuireStatus failure) {
    diagnostics_ << line << "\n";
    status_ = std::move(failure);
    return false;
  }
  void note(const std::string& line) { diagnostics_ << line << "\n"; }

  // The class of a DOMAIN.CLASS reference and its domain.
  bool findClass(const std::string& reference, QuireClass& cls, QuireAbstractDomain*& domain,
                 std::string& domainName) {
    const size_t dot = reference.size() < 3 ? std::string::npos : reference.find('.', 1);
    if (dot == std::string::npos) {
      return fail("Token name " + reference + " not in the form DOMAINNAME.CLASSNAME",
                  QuireStatus(kProcessingError, host_message::kNotDomainDotClass, reference));
    }
    domainName = reference.substr(0, dot);
    const std::string className = reference.substr(dot + 1);
    QuireStatus lookup;
    domain = &getDomain(lookup, domainName);
    if (!lookup.IsOk()) {
      note("getDomain failed");
      return fail("Domain " + domainName + " is undefined",
                  QuireStatus(kProcessingError, host_message::kNotDefined, domainName));
    }
    cls = domain->findClass(className, lookup);
    if (!lookup.IsOk() || cls.isUndefined()) {
      return fail("Class " + className + " is undefined",
                  QuireStatus(kProcessingError, host_message::kNotDefined, className));
    }
    return true;
  }

  // The attribute of `cls` that a placeholder names; a bare placeholder names the class's first
  // constructor argument (the full name of a file-system object).
  bool findAttribute(const QuireClass& cls, const std::string& placeholder,
                     QuireAttribute& attribute) {
    std::string name = placeholder;
    if (name.empty() && !cls.constructorArguments().empty()) {
      name = cls.constructorArguments().front().name();
    }
    QuireStatus lookup;
    const QuireAttribute& found = cls.findAttribute(name, lookup);
    if (name.empty() || !lookup.IsOk() || found.isUndefined()) {
      const std::string shown = name.empty() ? "%@%" : name;
      return fail("Attribute " + shown + " is undefined",
                  QuireStatus(kProcessingError, host_message::kNotDefined, shown));
    }
    attribute = found;
    return true;
  }

 private:
  std::ostream& diagnostics_;
  QuireStatus& status_;
};

bool HasAttribute(const QuireClass& cls, const std::string& name) {
  QuireStatus lookup;
  return !cls.findAttribute(name, lookup).isUndefined() && lookup.IsOk();
}

const QuireRelationship* FindRelationship(const QuireClass& cls, const std::string& name) {
  for (const int32_t kind : {QuireRelationship::kUnary, QuireRelationship::kNary}) {
    QuireStatus lookup;
    const QuireRelationship& found = cls.findRelationship(name, kind, lookup);
    if (lookup.IsOk() && !found.isUndefined()) return &found;
  }
  return nullptr;
}

bool HasMember(const QuireClass& cls, const std::string& name) {
  return HasAttribute(cls, name) || FindRelationship(cls, name) != nullptr;
}

// The class and every class below it.
std::vector<QuireClass> WithSubclasses(const QuireClass& cls) {
  std::vector<QuireClass> classes{cls};
  for (const QuireRelationship& link : cls.allSubclassLinks()) classes.push_back(link.target());
  return classes;
}

void AddAttribute(const QuireClass& cls, const QuireAttribute& attribute) {
  for (const QuireClass& target : WithSubclasses(cls)) {
    if (target != cls && HasMember(target, attribute.name())) continue;
    for (const QuireFeatureList which : kBothLists)
      target.attributeList(which).push_back(attribute);
  }
}

void AddRelationship(const QuireClass& cls, const QuireRelationship& relationship) {
  for (const QuireClass& target : WithSubclasses(cls)) {
    if (target != cls && HasMember(target, relationship.name())) continue;
    for (const QuireFeatureList which : kBothLists) {
      auto& list = relationship.kind() == QuireRelationship::kUnary ? target.unaryList(which)
                                                                    : target.naryList(which);
      list.push_back(relationship);
    }
  }
}

// True when the folder classes already reach `existing` through the listing that an earlier
// reading of the extension file made for it.
bool MadeByEarlierReading(FileSysDomain& domain, const QuireClass& existing) {
  QuireStatus lookup;
  const QuireRelationship& listing =
      domain.directoryClass().findRelationship(existing.name(), QuireRelationship::kNary, lookup);
  const auto* navigator = dynamic_cast<const FolderListingNavigator*>(listing.navigator());
  return lookup.IsOk() && navigator != nullptr && navigator->subclass() == existing;
}

template <typename T>
std::vector<T> Without(const std::vector<T>& features, const std::vector<std::string>& names) {
  std::vector<T> kept;
  for (const T& feature : features) {
    bool removed = false;
    for (const std::string& name : names) removed = removed || feature.name() == name;
    if (!removed) kept.push_back(feature);
  }
  return kept;
}

// True when `member` exists on `cls` as an earlier reading of the same line made it.
bool SameMemberMadeBefore(const QuireClass& cls, const ExtensionMember& member,
                          const std::string& command) {
  using Kind = ExtensionMember::Kind;
  if (member.kind == Kind::kUnaryRelationship || member.kind == Kind::kNaryRelationship) {
    const QuireRelationship* found = FindRelationship(cls, member.name);
    const auto* navigator =
        found == nullptr ? nullptr : dynamic_cast<const ScriptNavigator*>(found->navigator());
    return navigator != nullptr && navigator->command() == command;
  }
  QuireStatus lookup;
  const QuireAttribute& found = cls.findAttribute(member.name, lookup);
  if (!lookup.IsOk()) return false;
  if (member.kind == Kind::kScriptAttribute) {
    return found.isScript() && found.scriptText() == command &&
           found.scriptArguments().size() == member.arguments.size();
  }
  const auto* source = dynamic_cast<const RecordSourceValue*>(found.valueSource());
  return source != nullptr;
}

}  // namespace

std::string ResolvedScript(const std::string& script, const std::string& scriptFolder) {
  const size_t blank = script.find(' ');
  const std::string program = script.substr(0, blank);
  if (scriptFolder.empty() || program.empty() || program.find('/') != std::string::npos) {
    return script;
  }
  const std::string path = scriptFolder + "/" + program;
  if (platform::RegularFileFailure(path) != 0) return script;
  return ShellWord(path) + (blank == std::string::npos ? std::string() : script.substr(blank));
}

void ApplySubclass(const ExtensionSubclass& subclass, const ExtensionSettings& settings,
                   QuireStatus& status) {
  Checks checks(settings, status);
  QuireClass parent;
  QuireAbstractDomain* domain = nullptr;
  std::string domainName;
  if (!checks.findClass(subclass.parent, parent, domain, domainName)) return;
  auto* fileSys = dynamic_cast<FileSysDomain*>(domain);
  if (fileSys == nullptr) {
    checks.fail("Domain " + domainName + " is not a File System or Unix domain",
                QuireStatus(kProcessingError, host_message::kSubclassOutsideFileSys, domainName));
    return;
  }
  if (!parent.isSubclassOf(fileSys->directoryObjectClass())) {
    checks.fail("Class " + parent.name() +
                    " has no folder entries: subclasses are made of DirectoryObject, Directory, "
                    "File and their subclasses",
                QuireStatus(kProcessingError, host_message::kSubclassOutsideFileSys, domainName));
    return;
  }
  const QuireClass existing = fileSys->boundClass(subclass.name);
  if (!existing.isUndefined()) {
    if (MadeByEarlierReading(*fileSys, existing)) return;
    checks.fail(
        "Class " + subclass.name + " is already defined",
        QuireStatus(kProcessingError, host_message::kAttributeAlreadyDefined, subclass.name));
    return;
  }
  std::vector<QuireAttribute> keywords;
  for (const std::string& argument : subclass.constructorArguments) {
    QuireAttribute keyword;
    if (!checks.findAttribute(parent, argument, keyword)) return;
    if (keyword.type() != QuireType::STRING) {
      checks.fail("Keyword attributes can be defined only on attributes of type String",
                  QuireStatus(kProcessingError, host_message::kKeywordNotString, keyword.name()));
      return;
    }
    keywords.push_back(keyword);
  }
  // A REMOVE line only keeps an inherited member out of the subclass: one that the parent does
  // not have removes nothing, and the block goes on.
  for (const std::string& name : subclass.removedAttributes) {
    if (!HasAttribute(parent, name)) {
      platform::Log("REMOVE ATTRIBUTE " + name + " in class " + subclass.name + ": " +
                        parent.name() + " has no such attribute, nothing removed",
                    platform::kLogDebug);
    }
  }
  for (const std::string& name : subclass.removedRelationships) {
    if (FindRelationship(parent, name) == nullptr) {
      platform::Log("REMOVE RELATIONSHIP " + name + " in class " + subclass.name + ": " +
                        parent.name() + " has no such relationship, nothing removed",
                    platform::kLogDebug);
    }
  }
  const std::vector<QuireClass> folders = WithSubclasses(fileSys->directoryClass());
  for (const QuireClass& folder : folders) {
    if (HasMember(folder, subclass.name)) {
      checks.fail(
          "Relationship " + subclass.name + " is already defined",
          QuireStatus(kProcessingError, host_message::kAttributeAlreadyDefined, subclass.name));
      return;
    }
  }

  QuireClass made = fileSys->addClass(subclass.name);
  made.addSuperclass(parent);
  for (const QuireFeatureList which : kBothLists) {
    made.attributeList(which) = Without(parent.attributeList(which), subclass.removedAttributes);
    made.unaryList(which) = Without(parent.unaryList(which), subclass.removedRelationships);
    made.naryList(which) = Without(parent.naryList(which), subclass.removedRelationships);
  }
  for (QuireAttribute argument : parent.constructorArguments()) {
    argument.setClass(made);
    made.constructorArguments().push_back(argument);
  }
  made.setConstructorEntry(parent.constructorEntry());

  std::optional<std::string> constructor;
  if (subclass.constructorScript) {
    constructor = ResolvedScript(*subclass.constructorScript, settings.scriptFolder);
  }
  for (const QuireClass& folder : folders) {
    QuireRelationship listing(subclass.name, QuireRelationship::kNary, folder, made);
    listing.setNavigator(std::make_unique<FolderListingNavigator>(
        made, subclass.criteria.value_or("*"), constructor, keywords));
    for (const QuireFeatureList which : kBothLists) folder.naryList(which).push_back(listing);
  }
}

void ApplyExtension(const ExtensionClass& extension, const ExtensionSettings& settings,
                    QuireStatus& status) {
  Checks checks(settings, status);
  QuireClass cls;
  QuireAbstractDomain* domain = nullptr;
  std::string domainName;
  if (!checks.findClass(extension.reference, cls, domain, domainName)) return;

  using Kind = ExtensionMember::Kind;
  std::vector<QuireAttribute> attributes;
  std::vector<QuireRelationship> relationships;
  std::set<std::string> names;
  for (const ExtensionMember& member : extension.members) {
    const bool isRelationship =
        member.kind == Kind::kUnaryRelationship || member.kind == Kind::kNaryRelationship;
    const std::string command = member.kind == Kind::kSourceAttribute
                                    ? std::string()
                                    : ResolvedScript(member.script, settings.scriptFolder);
    if (names.count(member.name) == 0 && SameMemberMadeBefore(cls, member, command)) continue;
    if (names.count(member.name) != 0 || HasMember(cls, member.name)) {
      checks.fail(
          (isRelationship ? "Relationship " : "Attribute ") + member.name + " is already defined",
          QuireStatus(kProcessingError, host_message::kAttributeAlreadyDefined, member.name));
      return;
    }
    names.insert(member.name);
    std::vector<QuireAttribute> arguments;
    for (const std::string& argument : member.arguments) {
      QuireAttribute found;
      if (!checks.findAttribute(cls, argument, found)) return;
      arguments.push_back(found);
    }
    if (isRelationship) {
      QuireClass target;
      if (member.target.find('.', 1) != std::string::npos) {
        QuireAbstractDomain* targetDomain = nullptr;
        std::string targetDomainName;
        if (!checks.findClass(member.target, target, targetDomain, targetDomainName)) return;
      } else {
        QuireStatus lookup;
        target = domain->findClass(member.target, lookup);
        if (!lookup.IsOk() || target.isUndefined()) {
          checks.fail("Class " + member.target + " is undefined",
                      QuireStatus(kProcessingError, host_message::kNotDefined, member.target));
          return;
        }
      }
      const int32_t kind = member.kind == Kind::kUnaryRelationship ? QuireRelationship::kUnary
                                                                   : QuireRelationship::kNary;
      QuireRelationship relationship(member.name, kind, cls, target);
      relationship.setNavigator(std::make_unique<ScriptNavigator>(command, arguments.front()));
      relationships.push_back(std::move(relationship));
    } else if (member.kind == Kind::kScriptAttribute) {
      attributes.emplace_back(member.name, cls, command, arguments);
    } else {
      QuireAttribute file;
      if (!checks.findAttribute(cls, member.sourceAttribute, file)) return;
      const std::optional<RecordFieldChoice> field = RecordFieldNamed(member.field);
      if (!field) {
        checks.fail("Field " + member.field + " is not a record field",
                    QuireStatus(kProcessingError, host_message::kNotDefined, member.field));
        return;
      }
      QuireAttribute attribute(member.name, QuireType::STRING, cls, nullptr);
      attribute.setValueSource(
          std::make_shared<RecordSourceValue>(file, member.field, *field, member.key));
      attributes.push_back(std::move(attribute));
    }
  }
  for (const QuireAttribute& attribute : attributes) AddAttribute(cls, attribute);
  for (const QuireRelationship& relationship : relationships) AddRelationship(cls, relationship);
}
