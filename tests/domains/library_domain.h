// A registered domain of another kind, "Library", whose class "Item" (with the attribute "Code") a
// schema file may name as a superclass or as a relationship's target.
#pragma once

#include "model/quire_attribute.h"
#include "model/quire_standard_domain.h"

class LibraryDomain : public QuireStandardDomain {
 public:
  LibraryDomain() : QuireStandardDomain("Library") {
    const QuireClass item = addClass("Item");
    item.attributeList(QuireFeatureList::kFirst).emplace_back("Code", QuireType::STRING, item);
  }
  void loadSchema(QuireStatus&) override {}
};
