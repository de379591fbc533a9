// QuireDomainObject: the domain-specific part of an object, owned by a QuireObject handle.
// Each domain derives its own kind of object from it.
#pragma once

#include <memory>
#include <string>

#include "model/quire_class.h"
#include "model/quire_types.h"

class QuireDomainObject {
 public:
  virtual ~QuireDomainObject() = default;

  virtual QuireClass getClass(QuireStatus& status) const = 0;
  virtual std::unique_ptr<QuireDomainObject> clone() const = 0;
  // Writes the object's reference text to standard output.
  virtual void display(QuireStatus& status) const = 0;
  // The comma-separated argument texts, not encoded; "Undefined" when the arguments cannot be
  // read, "" with kProcessingError (host_message::kNoIdentifyingArguments) when there are none.
  virtual std::string identifierText(QuireStatus& status) const;
  // The text after the class name in the reference of a class that takes selected
  // identifiers; empty by default.
  virtual std::string secondText() const { return {}; }
  // The values that identify the object, in the order of its class's constructor arguments.
  virtual void getConstructorArguments(QuireArgumentValues& list, bool flag,
                                       QuireStatus& status) const = 0;
  virtual void setArguments(const QuireArgumentValues& /*values*/) {}
};
