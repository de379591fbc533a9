// QuireStandardDomain: a domain whose data comes from library functions named in its schema
// (class constructor entries and attribute and relationship access functions).
#pragma once

#include "model/quire_abstract_domain.h"

class QuireStandardDomain : public QuireAbstractDomain {
 public:
  explicit QuireStandardDomain(std::string name, bool converting = false);

  // Not offered by standard domains: kProcessingError ("QuireStandardDomain::getSelectedObject: "
  // and host_message::kNoSelectedObjects), an empty list or the undefined object.
  QuireObjectList getSelectedObjects(QuireStatus& status, const std::string& selection) override;
  QuireObject getSelectedObject(QuireStatus& status, const QuireClass& cls,
                                const std::string& identifier) override;
  // Calls the class's constructor entry with (result, values, status).
  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                         QuireStatus& status, int completeness) override;
  // Call the attribute's (graphic) access function and wrap the result with the attribute.
  QuireAttributeValue getGraphicAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                               const std::string& imageName,
                                               const QuireObject& local) override;
  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override;
  // Call the relationship's access function.
  QuireObject getUnaryRelatedObject(QuireStatus& status, const QuireRelationship& relationship,
                                    const QuireObject& local) override;
  void getNaryRelatedObjects(QuireStatus& status, const QuireRelationship& relationship,
                             const QuireObject& local, QuireObjectList& result) override;
};
