#include "model/quire_class.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "foundation/quire_status.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_class_record.h"
#include "model/undefined_domain.h"

namespace {

// Never destroyed: handles of the undefined class may be used while other statics are torn
// down at exit.
QuireClassRecord& UndefinedClassRecord() {
  static QuireClassRecord& record = [&]() -> QuireClassRecord& {
    auto* created = new QuireClassRecord;
    created->name = "undefined";
    return *created;
  }();
  return record;
}

void WriteError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

size_t ListIndex(QuireFeatureList which) { return which == QuireFeatureList::kFirst ? 0 : 1; }

bool Names(const std::string& text, const std::string& name, const std::string& displayAlias,
           const std::string& displayAka) {
  return text == name || text == displayAlias || text == displayAka;
}

void AddUnique(std::vector<QuireRelationship>& links, const QuireRelationship& link) {
  if (std::find(links.begin(), links.end(), link) == links.end()) links.push_back(link);
}

}  // namespace

QuireClass::QuireClass() = default;

QuireClassRecord* QuireClass::undefinedRecord() {
  QuireClassRecord& undefined = UndefinedClassRecord();
  // The "Undefined" domain may have been destroyed and made afresh since the last call.
  QuireAbstractDomain* current = &UndefinedDomain();
  if (undefined.domain != current) undefined.domain = current;
  return &undefined;
}

bool QuireClass::isUndefined() const {
  return record_ == nullptr || record_ == &UndefinedClassRecord();
}

const std::string& QuireClass::name() const { return record()->name; }
const std::string& QuireClass::alias() const { return record()->alias; }
const std::string& QuireClass::aka() const { return record()->aka; }

namespace {

// Stores `text` in `field` and keeps the domain's class-name table in step: the previous extra
// name is unbound unless it still names the class some other way, a new one is bound.
void Rename(const QuireClass& cls, std::string& field, const std::string& text,
            const std::string& otherField) {
  QuireClassRecord& record = *cls.record();
  const std::string previous = field;
  if (previous == text) return;
  field = text;
  if (record.domain == nullptr) return;  // a record not made by a domain has no name table
  QuireAbstractDomain& domain = *record.domain;
  if (!previous.empty() && previous != record.name && previous != otherField) {
    if (domain.boundClass(previous) == cls) domain.unbindClassName(previous);
  }
  if (text.empty() || text == record.name) return;
  domain.bindClassName(text, cls);  // a name bound to another class keeps naming that class
}

}  // namespace

void QuireClass::setAlias(const std::string& alias) {
  if (isUndefined()) return;  // the shared undefined record keeps its names
  Rename(*this, record()->alias, alias, record()->aka);
}

void QuireClass::setAka(const std::string& aka) {
  if (isUndefined()) return;
  Rename(*this, record()->aka, aka, record()->alias);
}

const std::string& QuireClass::displayAlias() const {
  const QuireClassRecord& r = *record();
  return r.alias.empty() ? r.name : r.alias;
}

const std::string& QuireClass::displayAka() const {
  const QuireClassRecord& r = *record();
  return r.aka.empty() ? r.name : r.aka;
}

QuireAbstractDomain& QuireClass::domain() const { return *record()->domain; }

int32_t QuireClass::property(int index) const {
  if (index < 0 || index >= 3) return 0;
  return record()->properties[static_cast<size_t>(index)];
}

void QuireClass::setProperty(int index, int32_t value) {
  if (index < 0 || index >= 3) return;
  record()->properties[static_cast<size_t>(index)] = value;
}

QuireObjectFactory* QuireClass::objectFactory() const { return record()->factory.get(); }

void QuireClass::setObjectFactory(std::unique_ptr<QuireObjectFactory> factory) {
  record()->factory = std::move(factory);
}

const std::vector<QuireAttribute>& QuireClass::attributes() const {
  return attributeList(domain().hasExternalSchema() ? QuireFeatureList::kSecond
                                                    : QuireFeatureList::kFirst);
}

const std::vector<QuireRelationship>& QuireClass::unaryRelationships() const {
  return unaryList(domain().hasExternalSchema() ? QuireFeatureList::kSecond
                                                : QuireFeatureList::kFirst);
}

const std::vector<QuireRelationship>& QuireClass::naryRelationships() const {
  return naryList(domain().hasExternalSchema() ? QuireFeatureList::kSecond
                                               : QuireFeatureList::kFirst);
}

std::vector<QuireAttribute>& QuireClass::attributeList(QuireFeatureList which) const {
  return record()->attributes[ListIndex(which)];
}

std::vector<QuireRelationship>& QuireClass::unaryList(QuireFeatureList which) const {
  return record()->unary[ListIndex(which)];
}

std::vector<QuireRelationship>& QuireClass::naryList(QuireFeatureList which) const {
  return record()->nary[ListIndex(which)];
}

std::vector<QuireRelationship>& QuireClass::superclassLinks() const {
  return record()->superclasses;
}
std::vector<QuireRelationship>& QuireClass::allSuperclassLinks() const {
  return record()->allSuperclasses;
}
std::vector<QuireRelationship>& QuireClass::subclassLinks() const { return record()->subclasses; }
std::vector<QuireRelationship>& QuireClass::allSubclassLinks() const {
  return record()->allSubclasses;
}

std::vector<QuireAttribute>& QuireClass::connectorArguments() const {
  return record()->connectorArguments;
}
std::vector<QuireAttribute>& QuireClass::constructorArguments() const {
  return record()->constructorArguments;
}
std::vector<QuireAttribute>& QuireClass::selectorArguments() const {
  return record()->selectorArguments;
}

bool QuireClass::takesSelectedIdentifiers() const { return record()->takesSelectedIdentifiers; }
void QuireClass::setTakesSelectedIdentifiers(bool value) {
  record()->takesSelectedIdentifiers = value;
}
bool QuireClass::secondFlag() const { return record()->secondFlag; }
void QuireClass::setSecondFlag(bool value) { record()->secondFlag = value; }

QuireObjectConstructor QuireClass::constructorEntry() const { return record()->constructorEntry; }
void QuireClass::setConstructorEntry(QuireObjectConstructor entry) {
  record()->constructorEntry = entry;
}
void* QuireClass::fourthEntry() const { return record()->fourthEntry; }
void QuireClass::setFourthEntry(void* entry) { record()->fourthEntry = entry; }

bool QuireClass::isSubclassOf(const QuireClass& base) const {
  if (*this == base) return true;
  const QuireRelationship wanted =
      QuireRelationship::link(QuireRelationship::kSuperclassLink, *this, base);
  const std::vector<QuireRelationship>& all = allSuperclassLinks();
  return std::find(all.begin(), all.end(), wanted) != all.end();
}

CX_TSingleList<QuireRelationship> QuireClass::getInheritanceChain(const QuireClass& base) const {
  std::vector<const QuireRelationship*> path;
  // Links are public and may be edited directly, so a cycle is possible: never visit twice.
  std::unordered_set<const QuireClassRecord*> visited;
  QuireClass current = *this;
  while (current != base && visited.insert(current.record()).second) {
    WriteError("Inside while loop in getInheritanceChain - current=" + current.name() +
               ", base=" + base.name() + "\n");
    const QuireRelationship* next = nullptr;
    for (const QuireRelationship& link : current.superclassLinks()) {
      WriteError("Inside iterator in gIC - currentSuperClass=" + link.target().name() + "\n");
      if (link.target().isSubclassOf(base)) {
        next = &link;
        break;
      }
    }
    if (next == nullptr) break;
    path.push_back(next);
    current = next->target();
  }
  CX_TSingleList<QuireRelationship> chain;
  for (auto link = path.rbegin(); link != path.rend(); ++link) {
    chain = CX_TSingleList<QuireRelationship>(**link, chain);
  }
  return chain;
}

const QuireAttribute& QuireClass::findAttribute(const std::string& name, QuireStatus& status,
                                                QuireFeatureList which) const {
  for (const QuireAttribute& attribute : attributeList(which)) {
    if (Names(name, attribute.name(), attribute.displayAlias(), attribute.displayAka())) {
      status = QuireStatus();
      return attribute;
    }
  }
  status = QuireStatus(kUnknownAttribute, host_message::kNoSuchAttribute, name);
  return QuireAttribute::undefined();
}

const QuireRelationship& QuireClass::findRelationship(const std::string& name, int32_t kind,
                                                      QuireStatus& status,
                                                      QuireFeatureList which) const {
  // Kind 2 searches the unary list, kind 3 the nary list, any other kind both.
  const std::vector<QuireRelationship>* lists[2] = {nullptr, nullptr};
  if (kind != QuireRelationship::kNary) lists[0] = &unaryList(which);
  if (kind != QuireRelationship::kUnary) lists[1] = &naryList(which);
  for (const std::vector<QuireRelationship>* list : lists) {
    if (list == nullptr) continue;
    for (const QuireRelationship& relationship : *list) {
      if (Names(name, relationship.name(), relationship.displayAlias(),
                relationship.displayAka())) {
        status = QuireStatus();
        return relationship;
      }
    }
  }
  status = QuireStatus(kNavigationError, "No such relationship: ", name);
  return QuireRelationship::undefined();
}

void QuireClass::addSuperclass(const QuireClass& superclass) const {
  if (isUndefined() || superclass.isUndefined()) return;
  if (superclass.isSubclassOf(*this)) {
    WriteError("***QuireClass::addSuperclass: " + superclass.name() + " is " + name() +
               " or one of its subclasses; superclass not added\n");
    return;
  }
  AddUnique(superclassLinks(),
            QuireRelationship::link(QuireRelationship::kSuperclassLink, *this, superclass));
  AddUnique(superclass.subclassLinks(),
            QuireRelationship::link(QuireRelationship::kSubclassLink, superclass, *this));

  // Every class at or below this one now inherits from every class at or above the superclass.
  std::vector<QuireClass> below{*this};
  for (const QuireRelationship& link : allSubclassLinks()) below.push_back(link.target());
  std::vector<QuireClass> above{superclass};
  for (const QuireRelationship& link : superclass.allSuperclassLinks()) {
    above.push_back(link.target());
  }
  for (const QuireClass& lower : below) {
    for (const QuireClass& upper : above) {
      AddUnique(lower.allSuperclassLinks(),
                QuireRelationship::link(QuireRelationship::kSuperclassLink, lower, upper));
      AddUnique(upper.allSubclassLinks(),
                QuireRelationship::link(QuireRelationship::kSubclassLink, upper, lower));
    }
  }
}
