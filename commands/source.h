// Source: a command that produces objects and binds them to a variable (OPEN's Connector,
// REPEAT's Replicator, LIMIT's Stipulator). Built from its command text; the constructor sets
// the status it is given, and a command whose status is not OK must be discarded.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/quire_class.h"
#include "model/quire_types.h"

class QuireBindingList;
class QuireStatus;

class Source {
 public:
  virtual ~Source() = default;
  virtual std::unique_ptr<Source> clone() const = 0;

  // Kind letter, variable name and class present (and what each command adds).
  virtual bool isValid() const;
  virtual char kindLetter() const { return kind_; }
  virtual const std::string& variableName() const { return variable_; }
  virtual const QuireClass& getClass() const { return class_; }
  virtual void setKindLetter(char kind) { kind_ = kind; }
  virtual void setVariableName(const std::string& name) { variable_ = name; }
  virtual void setClass(const QuireClass& cls) { class_ = cls; }

  // The command text in the encoding it was parsed from.
  virtual std::string print(QuireStatus& status) const = 0;
  // The objects the command yields, given the variables bound so far. `extra` is carried for
  // the generation walk.
  virtual QuireObjectList evaluate(QuireStatus& status, const QuireBindingList& bindings,
                                   int extra = 0) const = 0;

 protected:
  Source() = default;
  Source(const Source&) = default;
  Source& operator=(const Source&) = default;

  // Parses the shared header "K:variable:domain:class:" from the front of `cursor`: the kind
  // letter must be one of `letters` and be followed by ":" (else kSyntaxError "Source"); a missing
  // ":" after variable, domain or class: kSyntaxError "Source"; the domain and class lookups'
  // statuses otherwise. `className` receives the class name even when the lookup fails.
  bool parseHeader(class CommandCursor& cursor, const char* letters, QuireStatus& status,
                   std::string* domainName = nullptr, std::string* className = nullptr);
  // "K:variable:domain:class:".
  std::string printHeader() const;

  char kind_ = '\0';
  std::string variable_;
  bool hasVariable_ = false;
  QuireClass class_;
  bool hasClass_ = false;
};
