// Objects of the data-source domains.
#include "domains/kestrel_object.h"

#include <cstdio>
#include <iostream>
#include <optional>

#include "domains/kestrel_values.h"
#include "foundation/escaping.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_attribute.h"
#include "model/quire_attribute_value.h"

namespace {

// The text of the artifact's property of that name (without regard to case), "" when none.
std::string PropertyText(const kestrel::Artifact& artifact, const std::string& name) {
  const auto type = artifact.Type();
  const auto properties = type ? type->PropertyDefinitions() : nullptr;
  if (properties == nullptr) return {};
  const int32_t count = properties->Count();
  for (int32_t index = 0; index < count; ++index) {
    const auto property = properties->Item(platform::Variant(index));
    if (property == nullptr || LowercaseCopy(property->Name()) != LowercaseCopy(name)) continue;
    return VariantText(artifact.Value(*property)).text;
  }
  return {};
}

}  // namespace

QuireKestrelObject::QuireKestrelObject(QuireClass cls, std::shared_ptr<kestrel::Artifact> artifact)
    : class_(cls), artifact_(std::move(artifact)) {}

QuireObject QuireKestrelObject::makeRemote(QuireStatus& status, const QuireClass& cls,
                                           const std::shared_ptr<kestrel::Artifact>& artifact) {
  status = QuireStatus();
  if (artifact == nullptr) {
    throw platform::ComError(platform::kE_POINTER, "no artifact");
  }
  const std::shared_ptr<kestrel::ArtifactType> type = artifact->Type();
  if (type == nullptr) throw platform::ComError(platform::kE_POINTER, "artifact without a type");
  const std::string typeName = type->Name();
  const QuireClass own = cls.domain().boundClass(typeName);
  if (own.isUndefined() || !own.isSubclassOf(cls)) {
    status = QuireStatus(kClassMismatch, host_message::kClassMismatchBetween, typeName, cls.name());
    std::fprintf(stderr, "*** QuireKestrelObject::makeRemote: %s\n", status.Message().c_str());
    std::fflush(stderr);
    return QuireObject();
  }
  return QuireObject(std::make_unique<QuireKestrelObject>(own, artifact));
}

QuireClass QuireKestrelObject::getClass(QuireStatus& status) const {
  status = QuireStatus();
  return class_;
}

std::unique_ptr<QuireDomainObject> QuireKestrelObject::clone() const {
  return std::make_unique<QuireKestrelObject>(*this);
}

void QuireKestrelObject::display(QuireStatus& status) const {
  status = QuireStatus();
  std::cout << artifact_->Identifier() << '\n';
}

void QuireKestrelObject::getConstructorArguments(QuireArgumentValues& list, bool /*flag*/,
                                                 QuireStatus& status) const {
  status = QuireStatus();
  list.clear();
  try {
    const auto assignments = IdentifierAssignments(artifact_->Identifier());
    for (const QuireAttribute& argument : class_.constructorArguments()) {
      std::optional<std::string> text;
      for (const auto& [name, value] : assignments) {
        if (LowercaseCopy(name) == LowercaseCopy(argument.name())) {
          text = value;
          break;
        }
      }
      // A locator may name artifacts by other columns than the identifier's key.
      if (!text) text = PropertyText(*artifact_, argument.name());
      list.emplace_back(argument, *text);
    }
  } catch (const platform::ComError& error) {
    list.clear();
    status = QuireStatus(kEvaluationError, "QuireKestrelObject: ", error.Description());
  }
}

std::vector<std::pair<std::string, std::string>> IdentifierAssignments(
    const std::string& identifier) {
  std::vector<std::pair<std::string, std::string>> assignments;
  std::string rest = identifier, head;
  if (!SplitHead(rest, head, ':') || !SplitHead(rest, head, ':')) return assignments;
  while (!rest.empty()) {
    std::string item;
    SplitHead(rest, item, ',');
    std::string value = item, name;
    SplitHead(value, name, '=');
    assignments.emplace_back(Unescape(name), Unescape(value));
  }
  return assignments;
}
