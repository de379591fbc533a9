#include "model/quire_domain_object.h"

#include "foundation/quire_status.h"
#include "model/quire_attribute_value.h"

std::string QuireDomainObject::identifierText(QuireStatus& status) const {
  status = QuireStatus();
  QuireArgumentValues arguments;
  getConstructorArguments(arguments, false, status);
  if (!status.IsOk()) return "Undefined";
  if (arguments.empty()) {
    status = QuireStatus(kProcessingError, host_message::kNoIdentifyingArguments);
    return {};
  }
  std::string text;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ",";
    text += arguments[i].argumentText(status, false);
    if (!status.IsOk()) return "Undefined";
  }
  return text;
}
