#include "commands/link_modifier.h"

#include "foundation/quire_status.h"

std::unique_ptr<Modifier> LinkModifier::clone() const {
  return std::make_unique<LinkModifier>(*this);
}

std::string LinkModifier::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!isLinkLetter(linkLetter_) || nested_.isEmpty()) {
    status = QuireStatus(kNoTextForm, "LinkModifier");
    return {};
  }
  std::string nested = nested_.get()->print(status);
  if (!status.IsOk()) return {};
  return std::string{'L', linkLetter_} + nested;
}

QuireAttributeValue LinkModifier::apply(const QuireAttributeValue& value,
                                        QuireStatus& status) const {
  status = QuireStatus();
  return value;
}
