// Assignment: "name=value" in an OPEN command, giving one identifying argument of the object to
// open. The value is a literal converted by the argument's type, or "^" and a primary.
#pragma once

#include <string>
#include <vector>

#include "commands/general_primary.h"
#include "model/quire_attribute.h"

class Assignment {
 public:
  // Parses one assignment text; `unassigned` holds the arguments not yet taken (by name first, then
  // by alias) and loses the one matched. No match: kSyntaxError "Assignment"; nothing left:
  // kNoArgumentToAssign "Assignment"; an argument type without literal form: kSyntaxError
  // "Assignment".
  Assignment(const std::string& text, std::vector<QuireAttribute>& unassigned, QuireStatus& status);

  const std::string& name() const { return name_; }
  const QuireAttribute& argument() const { return argument_; }
  // The value for `bindings` (literal or computed), typed as the argument.
  QuireAttributeValue evaluate(QuireStatus& status, const QuireBindingList& bindings) const;
  // True when the value is written in the command itself (a literal or a constant primary), false
  // when it is computed from an object.
  bool isWrittenInTemplate() const;
  // "name=value" as parsed.
  std::string print(QuireStatus& status) const;

  // The name part of an assignment text ("" when the text has no "=").
  static std::string nameOf(const std::string& text);

 private:
  std::string name_;
  QuireAttribute argument_;
  bool computed_ = false;
  std::string literal_;
  GeneralPrimary primary_;
};
