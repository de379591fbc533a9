#include "commands/logical_expression.h"

#include "commands/command_cursor.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "model/quire_query_filter.h"

namespace {

constexpr const char* kName = "LogicalExpression";

QuireStatus NoOperatorStatus() {
  return QuireStatus(kUnsupportedOperation,
                     "LogicalExpression: ", HostString(host_message::kOperatorNotInPredicate));
}

// Whether `predicate` keeps `candidate` (filtered alone).
bool Keeps(const GeneralPredicate& predicate, const QuireObject& candidate, QuireStatus& status,
           const QuireBindingList& bindings) {
  return !predicate.filter(QuireObjectList{candidate}, status, bindings).empty();
}

}  // namespace

LogicalExpression::LogicalExpression(CommandCursor& cursor, QuireStatus& status, int depth) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  if (letter != 'A' && letter != 'O') {
    status = QuireStatus(kSyntaxError, kName);
    return;
  }
  operator_ = letter == 'A' ? kAnd : kOr;
  left_ = GeneralPredicate(cursor, status, depth + 1);
  if (!status.IsOk()) return;
  right_ = GeneralPredicate(cursor, status, depth + 1);
}

std::unique_ptr<Expression> LogicalExpression::clone() const {
  return std::make_unique<LogicalExpression>(*this);
}

std::string LogicalExpression::print(QuireStatus& status) const {
  status = QuireStatus();
  if (operator_ != kAnd && operator_ != kOr) {
    status = QuireStatus(kNoTextForm, kName);
    return {};
  }
  const std::string left = left_.print(status);
  if (!status.IsOk()) return {};
  const std::string right = right_.print(status);
  if (!status.IsOk()) return {};
  return (operator_ == kAnd ? "A" : "O") + left + ":" + right;
}

QuireObjectList LogicalExpression::filter(const QuireObjectList& candidates, QuireStatus& status,
                                          const QuireBindingList& bindings) const {
  status = QuireStatus();
  if (operator_ != kAnd && operator_ != kOr) {
    status = NoOperatorStatus();
    return candidates;
  }
  QuireObjectList kept;
  for (const QuireObject& candidate : candidates) {
    bool keep = Keeps(left_, candidate, status, bindings);
    if (!status.IsOk()) return candidates;
    // The right side runs only when the left one leaves the answer open.
    if (keep == (operator_ == kAnd)) {
      keep = Keeps(right_, candidate, status, bindings);
      if (!status.IsOk()) return candidates;
    }
    if (keep) kept.push_back(candidate);
  }
  return kept;
}

PushDownAnswer LogicalExpression::pushDown(QuireQueryFilter& filter, QuireStatus& status) const {
  status = QuireStatus();
  if (operator_ != kAnd && operator_ != kOr) {
    status = NoOperatorStatus();
    return PushDownAnswer::kNotExpressible;
  }
  filter.openGroup(operator_);
  QuireStatus leftStatus, rightStatus;
  const PushDownAnswer left = left_.pushDown(filter, leftStatus);
  const PushDownAnswer right =
      left == PushDownAnswer::kFailed ? left : right_.pushDown(filter, rightStatus);
  filter.closeGroup();
  for (const auto answer : {PushDownAnswer::kFailed, PushDownAnswer::kNotExpressible}) {
    if (left == answer) {
      status = leftStatus;
      return answer;
    }
    if (right == answer) {
      status = rightStatus;
      return answer;
    }
  }
  return PushDownAnswer::kExpressed;
}
