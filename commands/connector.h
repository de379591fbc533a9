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

  // The OPEN text `text` completed from an artifact locator ("Domain:Class:name=value,..."):
  // when the command leaves a STRING or FILENAME argument without a value ("FullName="), the
  // locator names the command's domain and its names (any case) all address one argument list
  // of the class (selector, OPEN, then constructor arguments), the assignments become the
  // locator's, written with the class's names, followed by the command's own "username" and
  // "password"; the header stays as written. Otherwise `completed` is `text`. False with `status`
  // when `text` is no readable OPEN.
  static bool completeFromLocator(const std::string& text, const std::string& locator,
                                  std::string& completed, QuireStatus& status);

 private:
  std::vector<Assignment> assignments_;
  int completeness_ = 2;
};
