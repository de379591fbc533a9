// The data-source domains: classes from artifact types, objects from artifacts.
#include "domains/kestrel_domain.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

#include "domains/domain_loader.h"
#include "domains/kestrel_failures.h"
#include "domains/kestrel_object.h"
#include "domains/kestrel_pictures.h"
#include "domains/kestrel_query_filter.h"
#include "domains/kestrel_session_access.h"
#include "domains/kestrel_values.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/picture_request.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"
#include "model/quire_class_record.h"
#include "model/quire_graphic.h"
#include "model/quire_relationship.h"
#include "platform/com_error.h"
#include "platform/log.h"

namespace {

using platform::ComError;
using platform::Variant;

constexpr const char* kExceptionMessage = "Exception message : %s\n";

template <class T>
std::shared_ptr<T> Required(std::shared_ptr<T> pointer, const char* what) {
  if (pointer == nullptr) throw ComError(platform::kE_POINTER, std::string("no ") + what);
  return pointer;
}

template <class T>
std::shared_ptr<T> ItemAt(const kestrel::Collection<T>& collection, int32_t index) {
  return Required(collection.Item(Variant(index)), "collection item");
}

bool BeginsWithHide(const std::string& key) { return UppercaseCopy(key).rfind("HIDE.", 0) == 0; }

std::string ArgumentText(const QuireAttributeValue& value) {
  const int32_t type = value.type();
  if (type == QuireType::STRING || type == QuireType::FILENAME || type == QuireType::WILDCARD) {
    return value.textValue();
  }
  return value.displayText();
}

// A file name made from an identifier: letters, digits, "-" and "_" kept, others "_".
std::string FileNameOf(const std::string& identifier) {
  std::string name = identifier;
  for (char& c : name) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_';
    if (!kept) c = '_';
  }
  return name;
}

// Adds an attribute or a relationship to both lists of a class, so that lookups in either
// find it.
void AddToBoth(const QuireClass& cls, const QuireAttribute& attribute) {
  cls.attributeList(QuireFeatureList::kFirst).push_back(attribute);
  cls.attributeList(QuireFeatureList::kSecond).push_back(attribute);
}

void AddToBoth(const QuireClass& cls, const QuireRelationship& relationship) {
  const bool nary = relationship.kind() == QuireRelationship::kNary;
  for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
    (nary ? cls.naryList(which) : cls.unaryList(which)).push_back(relationship);
  }
}

// Formats a value for DISPLAY; a value the component cannot give as text is raised as
// kEvaluationError with host_message::kValueNotFormatted and the details.
KestrelValueText CStringParamVal(Variant value) {
  const platform::VariantType type = value.Type();
  try {
    return VariantText(std::move(value));
  } catch (const ComError& error) {
    const std::string details = FillFailureText(
        "%s(%s) %s", {"Variant", platform::VariantTypeName(type), error.Description()});
    WriteFailureText(
        FillFailureText("Error evaluating DISPLAY in function CStringParamVal.\nDetails : %s",
                        {details}) +
        "\n");
    throw QuireStatus(kEvaluationError, host_message::kValueNotFormatted, details);
  }
}

}  // namespace

QuireKestrelDomain::QuireKestrelDomain(std::shared_ptr<kestrel::DataSource> source,
                                       std::string name, std::string typeText, AliasFile aliases)
    : QuireAbstractDomain(std::move(name), true, true),
      source_(std::move(source)),
      typeText_(std::move(typeText)),
      aliases_(std::move(aliases)) {
  setAlias(aliases_.value(this->name(), "ALIAS"));
  setAka(aliases_.value(this->name(), "AKA"));
}

QuireStatus QuireKestrelDomain::failure(const char* ending) const {
  return QuireStatus(
      kEvaluationError, HostString(host_message::kTemplateCommandFailed),
      FillFailureText("for domain %s\nPlease refer Quire log for details", {name()}) + ending);
}

// ---- class loading -------------------------------------------------------------------------

void QuireKestrelDomain::loadSchema(QuireStatus& status) { loadClasses(status); }

bool QuireKestrelDomain::loadClasses(QuireStatus& status) {
  if (classesTried_) {
    status = classStatus_;
    return status.IsOk();
  }
  classesTried_ = true;
  status = QuireStatus();
  // The text runs straight into the domain name ("theArtifactTypes is NULL, domain:Word").
  const auto fail = [&](const char* text) {
    const std::string message = std::string(text) + name();
    WriteFailureText(message + "\n");
    status = QuireStatus(kEvaluationError, message);
  };
  try {
    const std::shared_ptr<kestrel::Collection<kestrel::ArtifactType>> types =
        source_->ArtifactTypes();
    if (types == nullptr) {
      fail("theArtifactTypes is NULL, domain:");
    } else if (types->Count() < 1) {
      fail("theArtifactTypes is empty, domain");
    } else {
      const std::vector<std::shared_ptr<kestrel::ArtifactType>> sorted = SortArtifactTypes(*types);
      // The records are made in the order that schema listings show: types named by a section
      // of the alias table first, by section number, then the others by name.
      std::vector<std::string> names;
      for (const auto& type : sorted) names.push_back(type->Name());
      std::vector<std::string> listed = names;
      std::stable_sort(listed.begin(), listed.end(),
                       [&](const std::string& a, const std::string& b) {
                         const int sa = aliases_.sectionNumber(a), sb = aliases_.sectionNumber(b);
                         if ((sa > 0) != (sb > 0)) return sa > 0;
                         if (sa > 0) return sa < sb;
                         return a < b;
                       });
      for (const std::string& listedName : listed) addClass(listedName);
      std::vector<std::pair<QuireClass, std::shared_ptr<kestrel::ArtifactType>>> created;
      for (const auto& type : sorted) {
        QuireStatus classStatus;
        const QuireClass cls = CreateClass(*type, classStatus);
        if (classStatus.IsOk()) {
          created.emplace_back(cls, type);
        } else {
          QuireStatus(classStatus.Kind(),
                      classStatus.Message() + "\n" + name() + "." + boundClass(type->Name()).name())
              .Show();
        }
      }
      if (created.empty()) {
        fail("No classes loaded, domain");
      } else {
        for (const auto& [cls, type] : created) createMembers(cls, *type);
        for (const auto& [cls, type] : created) {
          // Inherited features join the lists that lookups use, after the class's own.
          for (const QuireRelationship& link : cls.allSuperclassLinks()) {
            const QuireClass base = link.target();
            for (const QuireAttribute& attribute : base.attributeList(QuireFeatureList::kSecond))
              cls.attributeList(QuireFeatureList::kFirst).push_back(attribute);
            for (const QuireRelationship& unary : base.unaryList(QuireFeatureList::kSecond))
              cls.unaryList(QuireFeatureList::kFirst).push_back(unary);
            for (const QuireRelationship& nary : base.naryList(QuireFeatureList::kSecond))
              cls.naryList(QuireFeatureList::kFirst).push_back(nary);
          }
        }
      }
    }
  } catch (const QuireStatus& thrown) {
    status = thrown;
  } catch (const ComError& error) {
    // The types are first asked for while the data source loads.
    WriteFailureText(FillFailureText("Error loading domain %s\nException Message: %s\n",
                                     {name(), error.Description()}));
    status = QuireStatus(kEvaluationError, host_message::kDataSourceNotLoaded);
  }
  classStatus_ = status;
  return status.IsOk();
}

std::vector<std::shared_ptr<kestrel::ArtifactType>> QuireKestrelDomain::SortArtifactTypes(
    const kestrel::Collection<kestrel::ArtifactType>& types) {
  std::vector<std::shared_ptr<kestrel::ArtifactType>> sorted;
  std::set<std::string> placed;
  std::string handling;
  try {
    // Places a type after all its base types, root first.
    std::function<void(const std::shared_ptr<kestrel::ArtifactType>&, int)> place =
        [&](const std::shared_ptr<kestrel::ArtifactType>& type, int depth) {
          handling = type->Name();
          if (placed.count(handling) != 0 || depth > 64) return;
          if (std::shared_ptr<kestrel::ArtifactType> base = type->BaseType())
            place(base, depth + 1);
          handling = type->Name();
          if (placed.insert(handling).second) sorted.push_back(type);
        };
    const int32_t count = types.Count();
    for (int32_t index = 0; index < count; ++index) place(ItemAt(types, index), 0);
  } catch (const ComError& error) {
    std::string text =
        FillFailureText("Error initialising domain %s in function SortArtifactTypes\n", {name()});
    if (!handling.empty()) text += "\nArtifact type = " + handling;
    text += "Exception Message: " + error.Description() + "\n";
    WriteFailureText(text);
    throw QuireStatus(kEvaluationError, text);
  }
  return sorted;
}

QuireClass QuireKestrelDomain::CreateClass(const kestrel::ArtifactType& type, QuireStatus& status) {
  status = QuireStatus();
  std::string className;
  const char* format = "Error initialising domain %s in function CreateClass\nClass name : %s\n";
  try {
    className = type.Name();
    QuireClass cls = boundClass(className);
    if (cls.isUndefined()) throw ComError(platform::kE_POINTER, "no class record");
    if (std::shared_ptr<kestrel::ArtifactType> base = type.BaseType()) {
      const QuireClass baseClass = boundClass(base->Name());
      if (baseClass.isUndefined()) throw ComError(platform::kE_POINTER, "no base class");
      cls.addSuperclass(baseClass);
    }
    cls.setAlias(aliases_.value(className, "ALIAS"));
    cls.setAka(aliases_.value(className, "AKA"));
    return cls;
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(format, {name(), className}) +
                     FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(format, {name(), className}));
  }
  status = QuireStatus(kEvaluationError, FillFailureText(format, {name(), className}));
  return QuireClass();
}

void QuireKestrelDomain::CreateClassArgs(const QuireClass& cls) {
  const char* format =
      "Error initialising domain %s in function CreateClassArgs\nClass name : %s\n";
  try {
    const std::shared_ptr<kestrel::ArtifactLocator> locator =
        Required(KestrelSession()->Locator(name(), cls.name()), "locator");
    const auto parameters = Required(locator->Parameters(), "parameters");
    const int32_t count = parameters->Count();
    for (int32_t index = 0; index < count; ++index) {
      const auto parameter = ItemAt(*parameters, index);
      if (!EqualsIgnoringCase(parameter->ClassName(), cls.name())) continue;
      cls.constructorArguments().emplace_back(parameter->Name(), QuireType::STRING, cls);
    }
  } catch (const ComError& error) {
    const std::string text = FillFailureText(format, {name(), cls.name()});
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
    throw QuireStatus(kEvaluationError, text);
  }
}

template <class Definition>
std::vector<std::shared_ptr<Definition>> QuireKestrelDomain::SortSelectors(
    const QuireClass& cls, const kestrel::Collection<Definition>& definitions) {
  const char* format = "Error initialising domain %s in function SortSelectors\nClass name : %s\n";
  std::vector<std::shared_ptr<Definition>> sorted;
  try {
    std::map<std::string, std::shared_ptr<Definition>> index;
    const int32_t count = definitions.Count();
    for (int32_t at = 0; at < count; ++at) {
      std::shared_ptr<Definition> definition = ItemAt(definitions, at);
      index.emplace(LowercaseCopy(definition->Name()), definition);
    }
    const std::vector<std::string>& keys = aliases_.keptKeys(cls.name());
    std::set<std::string> hidden;
    for (const std::string& key : keys) {
      if (BeginsWithHide(key)) hidden.insert(LowercaseCopy(key.substr(5)));
    }
    for (const std::string& key : keys) {
      const std::string member = LowercaseCopy(BeginsWithHide(key) ? key.substr(5) : key);
      auto found = index.find(member);
      if (found == index.end()) continue;
      if (hidden.count(member) == 0) sorted.push_back(found->second);
      index.erase(found);
    }
    for (const auto& [lowered, definition] : index) {
      if (hidden.count(lowered) == 0) sorted.push_back(definition);
    }
  } catch (const ComError& error) {
    const std::string text = FillFailureText(format, {name(), cls.name()});
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
    throw QuireStatus(kEvaluationError, text);
  }
  return sorted;
}

void QuireKestrelDomain::CreateSelector(
    const QuireClass& cls, const std::shared_ptr<kestrel::PropertyDefinition>& property) {
  std::string propertyName;
  try {
    propertyName = property->Name();
    QuireAttribute attribute(propertyName, QuireType::STRING, cls);
    attribute.setAlias(aliases_.value(cls.name(), propertyName));
    attribute.setAka(aliases_.value(cls.name(), "AKA." + propertyName));
    AddToBoth(cls, attribute);
    members_[cls.record()].properties[propertyName] = property;
  } catch (const ComError& error) {
    const std::string text = FillFailureText(
        "Error initialising domain %s in function CreateSelector\nProperty name : %s\n",
        {name(), propertyName});
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
    throw QuireStatus(kEvaluationError, text);
  }
}

void QuireKestrelDomain::CreateSelector(
    const QuireClass& cls, const std::shared_ptr<kestrel::RelationshipDefinition>& definition) {
  std::string relationshipName;
  try {
    relationshipName = definition->Name();
    const QuireClass target = boundClass(Required(definition->TargetType(), "target type")->Name());
    if (target.isUndefined()) throw ComError(platform::kE_POINTER, "no target class");
    QuireRelationship relationship(
        relationshipName,
        definition->IsMany() ? QuireRelationship::kNary : QuireRelationship::kUnary, cls, target);
    relationship.setAlias(aliases_.value(cls.name(), relationshipName));
    relationship.setAka(aliases_.value(cls.name(), "AKA." + relationshipName));
    AddToBoth(cls, relationship);
    members_[cls.record()].relationships[relationshipName] = definition;
  } catch (const ComError& error) {
    const std::string text = FillFailureText(
        "Error initialising domain %s in function CreateSelector\nRelationship name : %s\nClass "
        "name : %s\n",
        {name(), relationshipName, cls.name()});
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
    throw QuireStatus(kEvaluationError, text);
  }
}

void QuireKestrelDomain::createMembers(const QuireClass& cls, const kestrel::ArtifactType& type) {
  CreateClassArgs(cls);
  const char* format =
      "Error initialising domain %s in function CreateSelector\nClass name : %s\nSelector name : "
      "%s\n";
  std::string selector;
  try {
    selector = "Image";
    const auto pictures = type.PictureKinds();
    if (pictures != nullptr && pictures->Count() > 0) {
      AddToBoth(cls, QuireAttribute("Image", QuireType::GRAPHIC, cls));
    }
    selector.clear();
    const auto properties = Required(type.PropertyDefinitions(), "property definitions");
    for (const auto& property : SortSelectors(cls, *properties)) CreateSelector(cls, property);
    const auto relationships = Required(type.RelationshipDefinitions(), "relationship definitions");
    for (const auto& relationship : SortSelectors(cls, *relationships))
      CreateSelector(cls, relationship);
  } catch (const ComError& error) {
    const std::string text = FillFailureText(format, {name(), cls.name(), selector});
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
    throw QuireStatus(kEvaluationError, text);
  }
}

// ---- refresh and clean ---------------------------------------------------------------------

void QuireKestrelDomain::refresh() {
  WriteFailureText("--- Domain refresh: remote domain " + name() + "\n");
  RefreshDomain();
}

void QuireKestrelDomain::clean() { CleanDomain(); }

void QuireKestrelDomain::RefreshDomain() {
  try {
    for (auto& cache : located_) cache.clear();
  } catch (const std::exception&) {
    WriteFailureText(
        FillFailureText("Error refreshing domain %s in function RefreshDomain\n", {name()}));
  }
}

void QuireKestrelDomain::CleanDomain() {
  try {
    for (auto& cache : located_) cache.clear();
  } catch (const std::exception&) {
    WriteFailureText(
        FillFailureText("Error cleaning domain %s in function CleanDomain\n", {name()}));
  }
}

// ---- objects -------------------------------------------------------------------------------

QuireObjectList QuireKestrelDomain::getSelectedObjects(QuireStatus& status, const std::string&) {
  status = QuireStatus(kProcessingError, "QuireKestrelDomain::getSelectedObject: ",
                       HostString(host_message::kNoSelectedObjects));
  return {};
}

QuireObject QuireKestrelDomain::getSelectedObject(QuireStatus& status, const QuireClass&,
                                                  const std::string&) {
  status = QuireStatus(kProcessingError, "QuireKestrelDomain::getSelectedObject: ",
                       HostString(host_message::kNoSelectedObjects));
  return QuireObject();
}

std::shared_ptr<kestrel::Artifact> QuireKestrelDomain::locateArtifact(
    const QuireClass& cls, const std::vector<std::pair<std::string, std::string>>& arguments,
    int32_t mode) {
  std::string key = name() + ":" + cls.name() + ":" + std::to_string(mode);
  // Each part with its length in front, so that no value can pass for other arguments.
  for (const auto& [argument, value] : arguments) {
    key += ":" + std::to_string(argument.size()) + ":" + argument + std::to_string(value.size()) +
           "=" + value;
  }
  for (const auto& cache : located_) {
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
  }
  const std::shared_ptr<kestrel::Session> session = KestrelSession();
  const auto locator = Required(session->Locator(name(), cls.name()), "locator");
  const auto parameters = Required(locator->Parameters(), "parameters");
  std::vector<std::pair<std::string, std::string>> described;
  const int32_t count = parameters->Count();
  for (int32_t index = 0; index < count; ++index) {
    const auto parameter = ItemAt(*parameters, index);
    const std::string parameterName = parameter->Name();
    const std::string parameterClass = parameter->ClassName();
    for (const auto& [argument, value] : arguments) {
      if (!EqualsIgnoringCase(argument, parameterName)) continue;
      parameter->SetValue(Variant(value));
      described.emplace_back(parameterName, value);
    }
    if (name() == "Word" && parameterName == "Format" && parameterClass == "Document") {
      parameter->SetValue(Variant("HTML"));
    }
    if (name() == "Tracklet" && parameterName == "MinimizeSpace" &&
        parameterClass == "TLDatabase") {
      parameter->SetValue(Variant(LowercaseCopy(TrackletGetExtraFields()) == "false"));
    }
  }
  platform::Log("Locating " + name() + ":" + cls.name() + " with " + DescribeParameters(described),
                platform::kLogDebug);
  const std::string identifier = locator->Identify(mode);
  if (identifier.empty()) return nullptr;
  std::shared_ptr<kestrel::Artifact> artifact;
  auto byIdentifier = located_[1].find(identifier);
  if (byIdentifier != located_[1].end()) {
    artifact = byIdentifier->second;
  } else {
    artifact = session->ArtifactById(identifier);
    if (artifact != nullptr && located_[1].size() < kCacheLimit)
      located_[1].emplace(identifier, artifact);
  }
  if (artifact != nullptr && located_[0].size() < kCacheLimit) located_[0].emplace(key, artifact);
  return artifact;
}

QuireObject QuireKestrelDomain::LoadArtifact(QuireStatus& status, const QuireClass& cls,
                                             const std::shared_ptr<kestrel::Artifact>& artifact) {
  const char* format =
      "Unable to evaluate OPEN command for domain %s in function LoadArtifact\nClass name : %s\n";
  try {
    return QuireKestrelObject::makeRemote(status, cls, artifact);
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(format, {name(), cls.name()}) +
                     FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(format, {name(), cls.name()}));
  }
  status = failure();
  return QuireObject();
}

QuireObject QuireKestrelDomain::makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                                           QuireStatus& status, int /*completeness*/) {
  status = QuireStatus();
  std::vector<std::pair<std::string, std::string>> arguments;
  for (const QuireAttributeValue& value : values) {
    arguments.emplace_back(value.attribute().name(), ArgumentText(value));
  }
  const std::string text = FillFailureText(
      "Unable to evaluate OPEN command for domain %s in function locateArtifact\nClass name : %s\n",
      {name(), cls.name()});
  std::shared_ptr<kestrel::Artifact> artifact;
  try {
    artifact = locateArtifact(cls, arguments, 0);
    if (artifact == nullptr) {
      WriteFailureText(text);
      platform::Log(
          "No artifact of " + name() + ":" + cls.name() + " for " + DescribeParameters(arguments),
          platform::kLogError);
    }
  } catch (const ComError& error) {
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(text);
  }
  if (artifact == nullptr) {
    status = failure("\n");
    return QuireObject();
  }
  return LoadArtifact(status, cls, artifact);
}

QuireObject QuireKestrelDomain::LocateArtifactByID(QuireStatus& status,
                                                   const std::string& identifier) {
  status = QuireStatus();
  const char* text = "Unable to evaluate OPEN command in function LocateArtifactByID\n";
  try {
    std::shared_ptr<kestrel::Artifact> artifact;
    auto found = located_[1].find(identifier);
    if (found != located_[1].end()) {
      artifact = found->second;
    } else {
      artifact = KestrelSession()->ArtifactById(identifier);
      if (artifact != nullptr && located_[1].size() < kCacheLimit)
        located_[1].emplace(identifier, artifact);
    }
    if (artifact == nullptr) {
      status = QuireStatus(kEvaluationError, host_message::kNotDefined, identifier);
      return QuireObject();
    }
    const QuireClass cls = boundClass(Required(artifact->Type(), "artifact type")->Name());
    return QuireKestrelObject::makeRemote(status, cls, artifact);
  } catch (const ComError& error) {
    WriteFailureText(std::string(text) + FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(text);
  }
  status = failure();
  return QuireObject();
}

std::string QuireKestrelDomain::GetObjectID(QuireStatus& status, const QuireObject& object) {
  status = QuireStatus();
  const auto* remote = object.as<QuireKestrelObject>();
  std::string artifactName = "<unknown>";
  const char* format =
      "Unable to evaluate GENERATE command for artifact '%s' in function GetObjectID\nDomain : "
      "%s\n";
  try {
    if (remote == nullptr) throw ComError(platform::kE_POINTER, "not an artifact");
    const std::string named = remote->artifact()->Name();
    if (!named.empty()) artifactName = named;
    return remote->artifact()->Identifier();
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(format, {artifactName, name()}) +
                     FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(format, {artifactName, name()}));
  }
  status = failure();
  return {};
}

// ---- values --------------------------------------------------------------------------------

std::shared_ptr<kestrel::PropertyDefinition> QuireKestrelDomain::propertyFor(
    const QuireAttribute& attribute, const kestrel::Artifact& artifact) {
  if (name() == "Tracklet") {
    // Property names vary by record type there: the artifact's own type decides.
    const auto type = Required(artifact.Type(), "artifact type");
    const auto properties = Required(type->PropertyDefinitions(), "property definitions");
    const int32_t count = properties->Count();
    for (int32_t index = 0; index < count; ++index) {
      auto property = ItemAt(*properties, index);
      if (property->Name() == attribute.name()) return property;
    }
    throw ComError(platform::kE_POINTER, "no property " + attribute.name());
  }
  auto members = members_.find(attribute.getClass().record());
  if (members != members_.end()) {
    auto found = members->second.properties.find(attribute.name());
    if (found != members->second.properties.end()) return found->second;
  }
  throw ComError(platform::kE_POINTER, "no property " + attribute.name());
}

QuireAttributeValue QuireKestrelDomain::getAttributeValue(QuireStatus& status,
                                                          const QuireAttribute& attribute,
                                                          const QuireObject& local) {
  status = QuireStatus();
  const char* plain =
      "Unable to evaluate OPEN command for domain %s in function GetAttributeValue\nAttribute name "
      ": %s\n";
  try {
    const auto* object = local.as<QuireKestrelObject>();
    if (object == nullptr) throw ComError(platform::kE_POINTER, "not an artifact");
    const auto property = propertyFor(attribute, *object->artifact());
    KestrelValueText text = CStringParamVal(object->artifact()->Value(*property));
    if (property->IsSecret()) text = KestrelValueText{"****", std::nullopt};
    QuireValue value(std::move(text.text));
    if (text.sortable) value.setSecondText(*text.sortable);
    return QuireAttributeValue(attribute, std::move(value));
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(
        "Unable to evaluate DISPLAY command for domain %s in function GetAttributeValue\nAttribute "
        "name : %s\nException message : %s\n",
        {name(), attribute.name(), error.Description()}));
    status = failure();
  } catch (const QuireStatus& thrown) {
    WriteFailureText(FillFailureText(plain, {name(), attribute.name()}) +
                     FillFailureText("Exception id : %d\n", {std::to_string(thrown.Kind())}));
    status = thrown;
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(plain, {name(), attribute.name()}));
    status = failure();
  }
  return QuireAttributeValue();
}

QuireAttributeValue QuireKestrelDomain::getGraphicAttributeValue(QuireStatus& status,
                                                                 const QuireAttribute& attribute,
                                                                 const std::string& imageName,
                                                                 const QuireObject& local) {
  status = QuireStatus();
  try {
    const auto* object = local.as<QuireKestrelObject>();
    if (object == nullptr) throw ComError(platform::kE_POINTER, "not an artifact");
    // The page asks for a format and size; any other image name is the file to write.
    PictureRequest request;
    if (!PictureRequest::read(imageName, request)) request.path = imageName;
    const std::string extension = PictureExtension(request.format);
    std::string path = request.path;
    if (path.empty()) {
      // The picture's own bytes keep no extension: their reader tells the format by them.
      path = PictureFolder(name()) + "/" + FileNameOf(object->artifact()->Identifier()) +
             (extension == "asis" ? "" : "." + extension);
    }
    object->artifact()->ExportPicture(
        PictureSettings(path, extension, request.widthThousandths(), request.heightThousandths()));
    const int32_t format = QuireGraphic::formatCode(extension);
    return QuireAttributeValue(
        attribute, QuireValue(QuireGraphic(path, format < 0 ? QuireGraphic::kOther : format)));
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(
        "Unable to evaluate DISPLAY command for domain %s in function GetAttributeValue\nAttribute "
        "name : %s\nException message : %s\n",
        {name(), attribute.name(), error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(
        "Unable to evaluate OPEN command for domain %s in function GetAttributeValue\nAttribute "
        "name : %s\n",
        {name(), attribute.name()}));
  }
  status = failure();
  return QuireAttributeValue();
}

// ---- relationships -------------------------------------------------------------------------

std::shared_ptr<kestrel::RelationshipDefinition> QuireKestrelDomain::relationshipFor(
    const QuireRelationship& relationship) {
  auto members = members_.find(relationship.source().record());
  if (members != members_.end()) {
    auto found = members->second.relationships.find(relationship.name());
    if (found != members->second.relationships.end()) return found->second;
  }
  throw ComError(platform::kE_POINTER, "no relationship " + relationship.name());
}

QuireObjectList QuireKestrelDomain::relatedObjects(QuireStatus& status,
                                                   const QuireRelationship& relationship,
                                                   const QuireObject& local,
                                                   const kestrel::ArtifactFilter* filter) {
  status = QuireStatus();
  QuireObjectList objects;
  const auto* object = local.as<QuireKestrelObject>();
  if (object == nullptr) throw ComError(platform::kE_POINTER, "not an artifact");
  const auto definition = relationshipFor(relationship);
  const auto related =
      Required(filter == nullptr ? object->artifact()->Related(*definition)
                                 : object->artifact()->Related(*definition, *filter),
               "related artifacts");
  const int32_t count = related->Count();
  for (int32_t index = 0; index < count; ++index) {
    QuireStatus itemStatus;
    QuireObject item =
        QuireKestrelObject::makeRemote(itemStatus, relationship.target(), ItemAt(*related, index));
    if (itemStatus.IsOk()) objects.push_back(std::move(item));
  }
  return objects;
}

QuireObject QuireKestrelDomain::getUnaryRelatedObject(QuireStatus& status,
                                                      const QuireRelationship& relationship,
                                                      const QuireObject& local) {
  const char* text =
      "Unable to evaluate OPEN command for relationship '%s' in function "
      "getUnaryRelatedObject\n";
  try {
    QuireObjectList objects = relatedObjects(status, relationship, local, nullptr);
    if (!objects.empty()) return objects.front();
    // A NULL reference is an empty result, not a failure: a LIMIT through it hides its region
    // and a DISPLAY through it shows nothing.
    status = QuireStatus(kNoResult, host_message::kNoRelatedObject);
    return QuireObject();
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(text, {relationship.name()}) +
                     FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(text, {relationship.name()}));
  }
  status = failure();
  return QuireObject();
}

void QuireKestrelDomain::getNaryRelatedObjects(QuireStatus& status,
                                               const QuireRelationship& relationship,
                                               const QuireObject& local, QuireObjectList& result) {
  const char* text =
      "Unable to evaluate REPEAT command for relationship '%s' in function GetNaryRelatedObjects\n";
  result.clear();
  try {
    result = relatedObjects(status, relationship, local, nullptr);
    return;
  } catch (const ComError& error) {
    WriteFailureText(FillFailureText(text, {relationship.name()}) +
                     FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(text, {relationship.name()}));
  }
  status = failure();
}

bool QuireKestrelDomain::takesInFilter(const QuireAttribute& attribute) {
  if (&attribute.getClass().domain() != this || name() == "Tracklet") return false;
  auto members = members_.find(attribute.getClass().record());
  if (members == members_.end()) return false;
  auto found = members->second.properties.find(attribute.name());
  // Secret values read as "****" here: only the local filter compares what the page shows.
  return found != members->second.properties.end() && !found->second->IsSecret();
}

std::unique_ptr<QuireQueryFilter> QuireKestrelDomain::newQueryFilter() {
  return std::make_unique<KestrelQueryFilter>(
      [this](const QuireAttribute& attribute) { return takesInFilter(attribute); });
}

void QuireKestrelDomain::getFilteredNaryRelatedObjects(QuireStatus& status,
                                                       const QuireRelationship& relationship,
                                                       const QuireObject& local,
                                                       const QuireQueryFilter& filter,
                                                       QuireObjectList& result) {
  const auto* built = dynamic_cast<const KestrelQueryFilter*>(&filter);
  if (built == nullptr) {
    getNaryRelatedObjects(status, relationship, local, result);
    return;
  }
  const char* text =
      "Unable to evaluate REPEAT command for relationship '%s' in function GetNaryRelatedObjects\n";
  result.clear();
  try {
    result = relatedObjects(status, relationship, local, &built->filter());
    platform::Log("Filter of " + relationship.name() + " evaluated by the data source: " +
                      std::to_string(result.size()) + " objects",
                  platform::kLogDebug);
    return;
  } catch (const ComError& error) {
    if (error.Code() == platform::kE_NOTIMPL) {
      // The data source cannot evaluate this filter: the caller filters locally.
      platform::Log(
          "Filter of " + relationship.name() + " evaluated locally: " + error.Description(),
          platform::kLogDebug);
      status = QuireStatus(kNotImplemented, "DomainExtensions");
      return;
    }
    WriteFailureText(FillFailureText(text, {relationship.name()}) +
                     FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText(text, {relationship.name()}));
  }
  status = failure();
}

// ---- root containers -----------------------------------------------------------------------

void QuireKestrelDomain::RootContainerOf(const std::string& dataSource, std::string& className,
                                         std::string& keyName) {
  if (dataSource == "Tracklet") {
    className = "TLDatabase";
    keyName = "Name";
  } else if (dataSource == "Needwise" || dataSource == "Trialdesk") {
    className = "Project";
    keyName = "Path";
  } else if (dataSource == "Quill") {
    className = "Model";
    keyName = "Path";
  } else {
    className = "Database";
    keyName = "Name";
  }
}

QuireObject QuireKestrelDomain::GetDynamicTypeContainer(QuireStatus& status,
                                                        const std::string& className,
                                                        const std::string& keyName,
                                                        const std::string& value) {
  status = QuireStatus();
  const std::string text = FillFailureText(
      "Unable to evaluate OPEN command for domain %s in function GetDynamicTypeContainer\nClass "
      "name : %s\n",
      {name(), className});
  try {
    QuireStatus found;
    const QuireClass cls = findClass(className, found);
    if (!found.IsOk()) throw ComError(platform::kE_POINTER, found.Message());
    const auto artifact = locateArtifact(cls, {{keyName, value}}, 0);
    if (artifact != nullptr) return LoadArtifact(status, cls, artifact);
    WriteFailureText(text);
  } catch (const ComError& error) {
    WriteFailureText(text + FillFailureText(kExceptionMessage, {error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(text);
  }
  status = failure();
  return QuireObject();
}

bool QuireKestrelDomain::openRootContainer(QuireStatus& status, const std::string& value,
                                           QuireObject& container) {
  std::string className, keyName;
  RootContainerOf(name(), className, keyName);
  container = GetDynamicTypeContainer(status, className, keyName, value);
  if (!status.IsOk() || container.isUndefined()) return false;
  QuireStatus extensions;
  readDomainExtensionsAgain(extensions);
  if (!extensions.IsOk()) WriteFailureText(extensions.Text() + "\n");
  return true;
}
