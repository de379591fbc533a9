// QuireObject: a value-semantic handle on an object of a domain. Copies share the domain object
// until one of them asks to change it, which then clones it: an object is copied into every
// binding and listing that holds it. A handle without a domain object is the undefined object:
// every operation on it writes its message to the error stream, sets kEvaluationError
// (host_message::kUndefinedObject) and returns the documented fallback.
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "model/quire_attribute_value.h"
#include "model/quire_domain_object.h"
#include "model/quire_relationship.h"
#include "model/quire_types.h"

class QuireObject {
 public:
  // The undefined object.
  QuireObject() = default;
  explicit QuireObject(std::unique_ptr<QuireDomainObject> object);
  QuireObject(const QuireObject& other) = default;
  QuireObject& operator=(const QuireObject& other) = default;
  QuireObject(QuireObject&&) noexcept = default;
  QuireObject& operator=(QuireObject&&) noexcept = default;
  ~QuireObject();

  static const QuireObject& undefined();
  bool isUndefined() const { return object_ == nullptr; }

  // The domain object (null for the undefined object); this handle's own when changed.
  const QuireDomainObject* domainObject() const { return object_.get(); }
  QuireDomainObject* domainObject();
  template <typename T>
  const T* as() const {
    // A final class is told by its exact type: a comparison, where a cast searches the bases.
    if constexpr (std::is_final_v<T>) {
      const QuireDomainObject* object = object_.get();
      return object != nullptr && typeid(*object) == typeid(T) ? static_cast<const T*>(object)
                                                               : nullptr;
    } else {
      return dynamic_cast<const T*>(object_.get());
    }
  }

  // A second handle carried along with copies (null when none).
  const QuireObject* secondHandle() const { return second_.get(); }
  void setSecondHandle(const QuireObject& second);

  // Fallbacks on the undefined object: the undefined class, an emptied list, the undefined
  // value, the undefined object, an empty list, "Undefined", nothing.
  QuireClass getClass(QuireStatus& status) const;
  void getConstructorArguments(QuireArgumentValues& list, bool flag, QuireStatus& status) const;
  QuireAttributeValue getAttributeValue(const QuireAttribute& attribute, QuireStatus& status) const;
  QuireAttributeValue getGraphicAttributeValue(const QuireAttribute& attribute,
                                               const std::string& imageName,
                                               QuireStatus& status) const;
  QuireObject getUnaryRelatedObject(const QuireRelationship& relationship,
                                    QuireStatus& status) const;
  QuireObjectList getNaryRelatedObjects(const QuireRelationship& relationship,
                                        QuireStatus& status) const;
  // "Domain:Class:name=value,..." with encoded values; rebuilt by makeObject.
  std::string referenceText(QuireStatus& status) const;
  // The object's own identifier text (its argument texts, not encoded).
  std::string identifierText(QuireStatus& status) const;
  void display(QuireStatus& status) const;

  // Two undefined objects are equal; defined objects when class and constructor arguments are.
  bool operator==(const QuireObject& other) const;
  bool operator!=(const QuireObject& other) const { return !(*this == other); }

  // The object named by a reference text "Domain:Class:name=value,...". Failures set the status
  // (kProcessingError with host_message::kInvalidObjectIdentifier for a text without ":", the
  // domain's or class's lookup status, kUnreadableArgument with
  // host_message::kIdentifierArgumentUnreadable for an unreadable value) and give the undefined
  // object.
  static QuireObject makeObject(const std::string& identifier, QuireStatus& status);

  // The object that serves `cls`: this object, or for a class of the file-system domain used
  // with an object of a converting domain, the file-system object named by its first argument.
  static QuireObject localObject(const QuireObject& object, const QuireClass& cls,
                                 QuireStatus& status);

 private:
  std::shared_ptr<QuireDomainObject> object_;
  std::shared_ptr<const QuireObject> second_;
};
