// QuireKestrelObject: an object of a data-source domain, a counted reference to one artifact of
// the data-source component plus the class it was made for.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kestrel/kestrel_session.h"
#include "model/quire_domain_object.h"
#include "model/quire_object.h"

class QuireKestrelObject final : public QuireDomainObject {
 public:
  QuireKestrelObject(QuireClass cls, std::shared_ptr<kestrel::Artifact> artifact);

  // The object of `cls` for `artifact`, when the artifact's type is `cls` or one of its
  // subclasses (the object is of the artifact's own class). Otherwise kClassMismatch
  // (host_message::kClassMismatchBetween with the two class names), the line
  // "*** QuireKestrelObject::makeRemote: <message>" and the undefined object.
  static QuireObject makeRemote(QuireStatus& status, const QuireClass& cls,
                                const std::shared_ptr<kestrel::Artifact>& artifact);

  QuireClass getClass(QuireStatus& status) const override;
  std::unique_ptr<QuireDomainObject> clone() const override;
  // Writes the artifact's identifier and a line feed to standard output.
  void display(QuireStatus& status) const override;
  // The values of the class's constructor arguments, taken by name from the artifact's
  // identifier, else from its property of that name ("" when neither has it).
  void getConstructorArguments(QuireArgumentValues& list, bool flag,
                               QuireStatus& status) const override;

  const std::shared_ptr<kestrel::Artifact>& artifact() const { return artifact_; }

 private:
  QuireClass class_;
  std::shared_ptr<kestrel::Artifact> artifact_;
};

// The "name=value" pairs after the type of an identifier "ds:type:name=value,..." ("\xHH"
// escapes decoded), in order.
std::vector<std::pair<std::string, std::string>> IdentifierAssignments(
    const std::string& identifier);
