#include "model/quire_standard_domain.h"

#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"

namespace {

QuireStatus NoSelectedObjects() {
  return QuireStatus(kProcessingError, "QuireStandardDomain::getSelectedObject: ",
                     HostString(host_message::kNoSelectedObjects));
}

}  // namespace

QuireStandardDomain::QuireStandardDomain(std::string name, bool converting)
    : QuireAbstractDomain(std::move(name), false, converting) {}

QuireObjectList QuireStandardDomain::getSelectedObjects(QuireStatus& status,
                                                        const std::string& /*selection*/) {
  status = NoSelectedObjects();
  return {};
}

QuireObject QuireStandardDomain::getSelectedObject(QuireStatus& status, const QuireClass& /*cls*/,
                                                   const std::string& /*identifier*/) {
  status = NoSelectedObjects();
  return QuireObject();
}

QuireObject QuireStandardDomain::makeObject(const QuireClass& cls,
                                            const QuireArgumentValues& values, QuireStatus& status,
                                            int /*completeness*/) {
  status = QuireStatus();
  QuireObjectConstructor construct = cls.constructorEntry();
  if (construct == nullptr) {
    status = QuireStatus(kProcessingError,
                         "QuireStandardDomain::makeObject: no constructor for class ", cls.name());
    return QuireObject();
  }
  QuireObject result;
  construct(result, values, status);
  return result;
}

QuireAttributeValue QuireStandardDomain::getGraphicAttributeValue(QuireStatus& status,
                                                                  const QuireAttribute& attribute,
                                                                  const std::string& imageName,
                                                                  const QuireObject& local) {
  status = QuireStatus();
  QuireGraphicWriter write = attribute.graphicWriter();
  if (write == nullptr) {
    status = QuireStatus(kProcessingError,
                         "QuireStandardDomain::getGraphicAttributeValue: no image function for "
                         "attribute ",
                         attribute.name());
    return QuireAttributeValue();
  }
  QuireValue value;
  write(value, local, imageName, status);
  if (!status.IsOk()) return QuireAttributeValue();
  return QuireAttributeValue(attribute, value);
}

QuireAttributeValue QuireStandardDomain::getAttributeValue(QuireStatus& status,
                                                           const QuireAttribute& attribute,
                                                           const QuireObject& local) {
  status = QuireStatus();
  QuireAttributeReader read = attribute.reader();
  if (read == nullptr) {
    status = QuireStatus(kProcessingError,
                         "QuireStandardDomain::getAttributeValue: no access function for "
                         "attribute ",
                         attribute.name());
    return QuireAttributeValue();
  }
  QuireValue value;
  read(value, local, status);
  // A failed read leaves no value to type-check; the caller gets the undefined value.
  if (!status.IsOk()) return QuireAttributeValue();
  return QuireAttributeValue(attribute, value);
}

QuireObject QuireStandardDomain::getUnaryRelatedObject(QuireStatus& status,
                                                       const QuireRelationship& relationship,
                                                       const QuireObject& local) {
  status = QuireStatus();
  QuireUnaryAccess navigate = relationship.unaryAccess();
  if (navigate == nullptr) {
    status = QuireStatus(kProcessingError,
                         "QuireStandardDomain::getUnaryRelatedObject: no access function "
                         "for relationship ",
                         relationship.name());
    return QuireObject();
  }
  QuireObject result;
  navigate(result, local, status);
  return result;
}

void QuireStandardDomain::getNaryRelatedObjects(QuireStatus& status,
                                                const QuireRelationship& relationship,
                                                const QuireObject& local, QuireObjectList& result) {
  status = QuireStatus();
  result.clear();
  QuireNaryAccess navigate = relationship.naryAccess();
  if (navigate == nullptr) {
    status = QuireStatus(kProcessingError,
                         "QuireStandardDomain::getNaryRelatedObjects: no access function "
                         "for relationship ",
                         relationship.name());
    return;
  }
  navigate(result, local, status);
}
