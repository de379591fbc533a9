// QuireQueryFilter: the query filter a domain offers so that a REPEAT's predicate runs inside
// the data source instead of object by object. Domains without one filter locally.
#pragma once

#include <cstdint>

#include "model/quire_attribute.h"
#include "model/quire_value.h"

class QuireStatus;

class QuireQueryFilter {
 public:
  virtual ~QuireQueryFilter() = default;
  // Opens a group whose conditions are joined by AND (operator 0) or OR (1); groups nest.
  virtual void openGroup(int32_t logicalOperator) = 0;
  virtual void closeGroup() = 0;
  // Adds "attribute <operator> value" (relational operator codes 0 to 7). False, with
  // kNotImplemented "DomainExtensions", when the data source cannot take it.
  virtual bool addCondition(const QuireAttribute& attribute, int32_t relationalOperator,
                            const QuireValue& value, QuireStatus& status) = 0;
};
