#include "commands/stipulator.h"

#include "commands/command_cursor.h"
#include "commands/quire_binding.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"

Stipulator::Stipulator(const std::string& text, QuireStatus& status) {
  CommandCursor cursor(text);
  if (!parseHeader(cursor, "S", status)) return;
  if (!cursor.takeField(':', parent_)) {
    status = QuireStatus(kSyntaxError, "Stipulator");
    return;
  }
  if (!cursor.takeField(':', domainName_)) {
    status = QuireStatus(kSyntaxError, "Stipulator/B1");
    return;
  }
  std::string startName;
  if (!cursor.takeField(':', startName)) {
    status = QuireStatus(kSyntaxError, "Stipulator/B2");
    return;
  }
  QuireAbstractDomain& domain = FindDomain(status, domainName_);
  if (!status.IsOk()) return;
  const QuireClass start = domain.findClass(startName, status);
  if (!status.IsOk()) return;
  startClass_ = start;

  if (cursor.rest().substr(0, 2) == "..") {
    cursor.skip(2);
    std::string word = cursor.takeRest();
    if (word.ends_with(':')) word.pop_back();  // the ":" that ends a field may close the word
    if (word == "OMIT") {
      mode_ = kOmit;
    } else if (word == "OTHERWISE") {
      mode_ = kOtherwise;
    } else {
      status = QuireStatus(kSyntaxError, "Stipulator/Special");
    }
    return;
  }

  std::string pathField;
  if (!cursor.takeField(':', pathField)) {
    status = QuireStatus(kSyntaxError, "Stipulator/C");
    return;
  }
  QuireClass reached = startClass_;
  path_ = NavigationPath::parse(pathField, reached, PathLookup::kCommand, "US", "Stipulator",
                                "Stipulator/D", status);
  if (!status.IsOk()) return;
  if (cursor.empty()) return;
  predicate_ = GeneralPredicate(cursor, status);
  if (!status.IsOk()) return;
  // Text after the predicate would be lost on printing.
  if (!cursor.empty()) status = QuireStatus(kSyntaxError, "Stipulator");
}

std::unique_ptr<Source> Stipulator::clone() const { return std::make_unique<Stipulator>(*this); }

bool Stipulator::isValid() const {
  return Source::isValid() && !parent_.empty() && !startClass_.isUndefined();
}

std::string Stipulator::print(QuireStatus& status) const {
  status = QuireStatus();
  if (!isValid()) {
    status = QuireStatus(kUnsupportedOperation, "Stipulator");
    return {};
  }
  std::string text =
      printHeader() + parent_ + ":" + startClass_.domain().name() + ":" + startClass_.name() + ":";
  if (mode_ == kOmit) return text + "..OMIT";
  if (mode_ == kOtherwise) return text + "..OTHERWISE";
  text += path_.print("Stipulator", status) + ":";
  if (!status.IsOk()) return {};
  text += predicate_.print(status);
  if (!status.IsOk()) return {};
  return text;
}

QuireObjectList Stipulator::evaluate(QuireStatus& status, const QuireBindingList& bindings,
                                     int /*extra*/) const {
  status = QuireStatus();
  // OMIT and OTHERWISE only mark branches of the template.
  if (!isValid() || mode_ != kNormal) {
    status = QuireStatus(kUnsupportedOperation, "Stipulator");
    return {};
  }
  const QuireObject reached =
      ReachFromBinding(bindings, parent_, startClass_, path_.steps(), "Stipulator",
                       host_message::kExpectedClassNotReached, false, status);
  if (!status.IsOk() || reached.isUndefined()) return {};
  QuireStatus classStatus;
  if (!reached.getClass(classStatus).isSubclassOf(class_)) return {};
  QuireObjectList candidates = {reached};
  if (predicate_.isEmpty()) return candidates;
  candidates = predicate_.filter(candidates, status, bindings);
  if (!status.IsOk()) return {};
  return candidates;
}
