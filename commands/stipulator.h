// Stipulator (LIMIT): the bound object reached through a path when it is of the command's class
// and passes the predicate; or an OMIT / OTHERWISE branch mark. Text: "S:", variable, domain,
// class, parent variable, domain, start class, then ".." and "OMIT" or "OTHERWISE", or a path
// and [predicate].
#pragma once

#include <string>

#include "commands/general_predicate.h"
#include "commands/navigation_path.h"
#include "commands/source.h"

class Stipulator : public Source {
 public:
  static constexpr int kNormal = 0, kOmit = 1, kOtherwise = 2;

  Stipulator(const std::string& text, QuireStatus& status);
  std::unique_ptr<Source> clone() const override;

  bool isValid() const override;
  std::string print(QuireStatus& status) const override;
  QuireObjectList evaluate(QuireStatus& status, const QuireBindingList& bindings,
                           int extra = 0) const override;

  int mode() const { return mode_; }
  const std::string& parentVariable() const { return parent_; }
  const QuireClass& startClass() const { return startClass_; }
  const NavigationPath& path() const { return path_; }
  const GeneralPredicate& predicate() const { return predicate_; }

 private:
  std::string parent_;
  std::string domainName_;
  QuireClass startClass_;
  NavigationPath path_;
  GeneralPredicate predicate_;
  int mode_ = kNormal;
};
