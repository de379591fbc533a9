// Connector (OPEN): opens one object of a class from assignments of its identifying arguments.
// Text: "C:" or "N:", variable, domain, class, then "name=value" assignments separated by ",".
#pragma once

#include <vector>

#include "commands/assignment.h"
#include "commands/source.h"

class Connector : public Source {
 public:
  Connector(const std::string& text, QuireStatus& status);
  std::unique_ptr<Source> clone() const override;

  std::string print(QuireStatus& status) const override;
  // Evaluates the assignments (with "${name}" expansion of texts) and makes the object through
  // the class's domain; the one-element list of it.
  QuireObjectList evaluate(QuireStatus& status, const QuireBindingList& bindings,
                           int extra = 0) const override;

  // True when the kind letter is "N".
  virtual bool hasKindN() const { return kind_ == 'N'; }
  // Lets a domain with an external schema make the class known before use.
  virtual void prepareExternalClasses(QuireStatus& status);

  const std::vector<Assignment>& assignments() const { return assignments_; }
  // 1 when the assignments address the class's first argument list, else 2 (handed to
  // makeObject).
  int completeness() const { return completeness_; }

 private:
  std::vector<Assignment> assignments_;
  int completeness_ = 2;
};
