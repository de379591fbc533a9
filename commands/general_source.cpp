#include "commands/general_source.h"

#include "commands/connector.h"
#include "commands/replicator.h"
#include "commands/stipulator.h"
#include "foundation/quire_status.h"

GeneralSource GeneralSource::parse(const std::string& text, QuireStatus& status) {
  status = QuireStatus();
  switch (text.empty() ? '\0' : text[0]) {
    case 'C':
    case 'N':
      return GeneralSource(std::make_unique<Connector>(text, status));
    case 'Q':
    case 'R':
      return GeneralSource(std::make_unique<Replicator>(text, status));
    case 'S':
      return GeneralSource(std::make_unique<Stipulator>(text, status));
    default:
      status = QuireStatus(kSyntaxError, "Source");
      return GeneralSource();
  }
}

Source* GeneralSource::get() {
  if (source_ && source_.use_count() > 1) source_ = source_->clone();
  return source_.get();
}

char GeneralSource::kindLetter() const { return source_ ? source_->kindLetter() : '\0'; }

const std::string& GeneralSource::variableName() const {
  static const std::string kNone;
  return source_ ? source_->variableName() : kNone;
}

QuireClass GeneralSource::getClass() const { return source_ ? source_->getClass() : QuireClass(); }

std::string GeneralSource::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!source_) {
    status = QuireStatus(kUnsupportedOperation, "Source");
    return {};
  }
  return source_->print(status);
}

QuireObjectList GeneralSource::evaluate(QuireStatus& status, const QuireBindingList& bindings,
                                        int extra) const {
  status = QuireStatus();
  if (!source_) {
    status = QuireStatus(kUnsupportedOperation, "Source");
    return {};
  }
  return source_->evaluate(status, bindings, extra);
}
