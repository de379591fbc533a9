#include "commands/in_expression.h"

#include <string_view>

#include "commands/attribute_primary.h"
#include "commands/command_cursor.h"
#include "commands/constant_primary.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/quire_query_filter.h"

namespace {

constexpr const char* kName = "InExpression";

}  // namespace

InExpression::InExpression(CommandCursor& cursor, QuireStatus& status) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  if (letter != 'I') {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  // The cursor's text outlives this view: it tells whether the left primary's field ended with
  // ":" (a list follows) or with the text (the list is missing).
  const std::string_view before = cursor.rest();
  left_ = GeneralPrimary(cursor, status);
  if (!status.IsOk()) return;
  const std::size_t used = before.size() - cursor.rest().size();
  if (used == 0 || before[used - 1] != ':') {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  std::string listField;
  cursor.takeField(':', listField);
  if (listField.empty()) return;
  CommandCursor items(listField);
  bool more = true;
  while (more) {
    std::string item;
    more = items.takeField(',', item);
    CommandCursor itemCursor(item);
    GeneralPrimary primary(itemCursor, status);
    if (!status.IsOk()) return;
    list_.push_back(std::move(primary));
  }
}

std::unique_ptr<Expression> InExpression::clone() const {
  return std::make_unique<InExpression>(*this);
}

std::string InExpression::print(QuireStatus& status) const {
  status = QuireStatus();
  std::string text = "I" + left_.print(status) + ":";
  if (!status.IsOk()) return {};
  for (std::size_t i = 0; i < list_.size(); ++i) {
    if (i > 0) text += ',';
    text += list_[i].print(status);
    if (!status.IsOk()) return {};
  }
  return text;
}

QuireObjectList InExpression::filter(const QuireObjectList& candidates, QuireStatus& status,
                                     const QuireBindingList& bindings) const {
  status = QuireStatus();
  QuireObjectList kept;
  for (const QuireObject& candidate : candidates) {
    QuireStatus valueStatus;
    const QuireAttributeValue left = left_.evaluate(valueStatus, candidate, bindings);
    if (left.isUndefined()) {
      status = QuireStatus(kTypeMismatch,
                           "InExpression: ", HostString(host_message::kInLeftSideWithoutValue));
      return candidates;
    }
    for (const GeneralPrimary& item : list_) {
      const QuireAttributeValue value = item.evaluate(valueStatus, candidate, bindings);
      if (value.type() != left.type()) {
        status = QuireStatus(kTypeMismatch, kName);
        return candidates;
      }
      if (left.equals(value)) {
        kept.push_back(candidate);
        break;
      }
    }
  }
  return kept;
}

PushDownAnswer InExpression::pushDown(QuireQueryFilter& filter, QuireStatus& status) const {
  status = QuireStatus();
  if (list_.empty()) {
    status = QuireStatus(kUnsupportedOperation, kName);
    return PushDownAnswer::kNotExpressible;
  }
  const auto* attribute = dynamic_cast<const AttributePrimary*>(left_.get());
  bool constants = true;
  for (const GeneralPrimary& item : list_) {
    constants = constants && dynamic_cast<const ConstantPrimary*>(item.get()) != nullptr;
  }
  if (attribute == nullptr || !constants || !attribute->variableName().empty() ||
      !attribute->path().empty()) {
    status = QuireStatus(kNotImplemented, "DomainExtensions");
    return PushDownAnswer::kNotExpressible;
  }
  filter.openGroup(1);
  for (const GeneralPrimary& item : list_) {
    const auto& constant = static_cast<const ConstantPrimary&>(*item.get());
    if (!filter.addCondition(attribute->attribute(), 0, constant.value(), status)) {
      filter.closeGroup();
      if (status.IsOk()) status = QuireStatus(kNotImplemented, "DomainExtensions");
      return status.Kind() == kNotImplemented ? PushDownAnswer::kNotExpressible
                                              : PushDownAnswer::kFailed;
    }
  }
  filter.closeGroup();
  return PushDownAnswer::kExpressed;
}
