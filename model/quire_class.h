// QuireClass: a handle on a class record of a domain's schema. Copying a handle copies the
// pointer; two handles are equal when they point to the same record. Records belong to their
// domain and live as long as it; a handle never owns one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/cx_single_list.h"
#include "model/quire_types.h"

class QuireAbstractDomain;
class QuireAttribute;
class QuireRelationship;
struct QuireClassRecord;

// Makes the objects of one class in place of its domain (set on classes whose objects need more
// than the domain's generic construction).
class QuireObjectFactory {
 public:
  virtual ~QuireObjectFactory() = default;
  // Builds the object of `cls` from `values` into `result`; `completeness` is 1, 2 or 3.
  virtual void make(QuireObject& result, QuireStatus& status, const class QuireClass& cls,
                    const QuireArgumentValues& values, int completeness) = 0;
};

// Which of a class's two lists of a feature kind a lookup or an edit addresses.
enum class QuireFeatureList { kFirst, kSecond };

class QuireClass {
 public:
  // The undefined class: its name reads "undefined" and it belongs to the "Undefined" domain.
  QuireClass();
  explicit QuireClass(QuireClassRecord* record) : record_(record) {}

  bool isUndefined() const;
  bool operator==(const QuireClass& other) const { return record() == other.record(); }
  bool operator!=(const QuireClass& other) const { return !(*this == other); }

  // Names. Setting a non-empty alias or aka that differs from the name rebinds it in the
  // domain's class-name table (the previous alias or aka key is removed first).
  const std::string& name() const;
  const std::string& alias() const;
  const std::string& aka() const;
  void setAlias(const std::string& alias);
  void setAka(const std::string& aka);
  // The alias (aka) when not empty, else the name.
  const std::string& displayAlias() const;
  const std::string& displayAka() const;

  // The owning domain (the "Undefined" domain for the undefined class).
  QuireAbstractDomain& domain() const;

  // Three plain integers kept for the definition reader (index 0 to 2).
  int32_t property(int index) const;
  void setProperty(int index, int32_t value);

  // The factory that makes this class's objects, or null when the domain makes them.
  QuireObjectFactory* objectFactory() const;
  void setObjectFactory(std::unique_ptr<QuireObjectFactory> factory);

  // Features as reported (for enumeration and the schema dump): the second lists when the
  // domain serves its schema from outside (external-schema flag), the first lists otherwise.
  const std::vector<QuireAttribute>& attributes() const;
  const std::vector<QuireRelationship>& unaryRelationships() const;
  const std::vector<QuireRelationship>& naryRelationships() const;

  // One list addressed explicitly, for lookups and for the loaders that fill them.
  std::vector<QuireAttribute>& attributeList(QuireFeatureList which) const;
  std::vector<QuireRelationship>& unaryList(QuireFeatureList which) const;
  std::vector<QuireRelationship>& naryList(QuireFeatureList which) const;

  // Inheritance links (kind 0 superclass links, kind 1 subclass links).
  std::vector<QuireRelationship>& superclassLinks() const;
  std::vector<QuireRelationship>& allSuperclassLinks() const;
  std::vector<QuireRelationship>& subclassLinks() const;
  std::vector<QuireRelationship>& allSubclassLinks() const;

  // The argument lists: handed to objects bound by OPEN; constructor arguments (the values that
  // identify an object, in order); selector arguments (a second, optional identifying group).
  std::vector<QuireAttribute>& connectorArguments() const;
  std::vector<QuireAttribute>& constructorArguments() const;
  std::vector<QuireAttribute>& selectorArguments() const;

  // When set, an identifier of this class that contains "|" is resolved by the domain's
  // getSelectedObject.
  bool takesSelectedIdentifiers() const;
  void setTakesSelectedIdentifiers(bool value);
  bool secondFlag() const;
  void setSecondFlag(bool value);

  // Standard domains: the library function that makes an object of this class, and a fourth
  // function address that is only carried.
  QuireObjectConstructor constructorEntry() const;
  void setConstructorEntry(QuireObjectConstructor entry);
  void* fourthEntry() const;
  void setFourthEntry(void* entry);

  // True when this class is `base` or has it among all its superclasses.
  bool isSubclassOf(const QuireClass& base) const;
  // The superclass links from this class up to `base` (empty when this is base), following the
  // first immediate superclass on each level that leads to base. Writes its trace lines to
  // the error stream.
  CX_TSingleList<QuireRelationship> getInheritanceChain(const QuireClass& base) const;

  // Looks `name` up by name, display alias, then display aka of each entry, in list order. On
  // failure sets the status to kUnknownAttribute (host_message::kNoSuchAttribute with the name) and
  // returns the undefined attribute.
  const QuireAttribute& findAttribute(const std::string& name, QuireStatus& status,
                                      QuireFeatureList which = QuireFeatureList::kFirst) const;
  // The same over the unary (kind 2) or nary (kind 3) lists; on failure kNavigationError with the
  // name and the undefined relationship.
  const QuireRelationship& findRelationship(
      const std::string& name, int32_t kind, QuireStatus& status,
      QuireFeatureList which = QuireFeatureList::kFirst) const;

  // Adds `superclass` as an immediate superclass: the superclass link here, the subclass link
  // there, and both transitive lists along the whole hierarchy.
  void addSuperclass(const QuireClass& superclass) const;

  // Read for every value a page shows: the common case stays inline.
  QuireClassRecord* record() const { return record_ != nullptr ? record_ : undefinedRecord(); }

 private:
  static QuireClassRecord* undefinedRecord();

  QuireClassRecord* record_ = nullptr;  // null: the undefined class
};
