// InExpression: true when the left primary's value equals one of a list of values. Text: "I",
// the left primary, ":", then the list's primaries separated by ",".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "commands/general_predicate.h"
#include "commands/general_primary.h"

class InExpression : public Expression {
 public:
  // Parses the left primary and the list from the front of `cursor`. A wrong letter or no list
  // field after the left primary: kSyntaxError "InExpression"; a bad primary (an attribute
  // primary cannot stand in the list): the primary's status. An empty list field is an empty
  // list.
  InExpression(CommandCursor& cursor, QuireStatus& status);
  InExpression(GeneralPrimary left, std::vector<GeneralPrimary> list)
      : left_(std::move(left)), list_(std::move(list)) {}

  std::unique_ptr<Expression> clone() const override;
  // "I" left ":" items joined by ",".
  std::string print(QuireStatus& status) const override;
  // Keeps a candidate when some list value equals its left value (case-sensitive), trying the list
  // in order and stopping at the first equal one. An UNDEFINED left value: kTypeMismatch
  // "InExpression: " with host_message::kInLeftSideWithoutValue; a list value of another type than
  // the left: kTypeMismatch "InExpression"; either returns the input unchanged.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const override;
  // An OR group of "attribute == constant" conditions when the left side is an attribute of
  // the candidate itself and every item a constant; otherwise kNotExpressible with kNotImplemented
  // "DomainExtensions" (kUnsupportedOperation "InExpression" for an empty list).
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const override;

  const GeneralPrimary& left() const { return left_; }
  const std::vector<GeneralPrimary>& list() const { return list_; }

 private:
  GeneralPrimary left_;
  std::vector<GeneralPrimary> list_;
};
