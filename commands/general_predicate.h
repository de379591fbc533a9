// Predicates: the WHERE part of REPEAT and LIMIT. GeneralPredicate is the envelope that owns one
// expression (relational, IN, IS, AND/OR, NOT, parenthesis) and forwards to it; copies clone.
#pragma once

#include <memory>
#include <string>

#include "model/quire_object.h"

class CommandCursor;
class QuireBindingList;
class QuireQueryFilter;

// What pushing a predicate down into a domain's query filter achieved.
enum class PushDownAnswer { kExpressed, kNotExpressible, kFailed };

class Expression {
 public:
  virtual ~Expression() = default;
  virtual std::unique_ptr<Expression> clone() const = 0;
  virtual std::string print(QuireStatus& status) const = 0;
  // The candidates that satisfy the expression, in input order. A failure sets the status and
  // returns the input unchanged.
  virtual QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                                 const QuireBindingList& bindings) const = 0;
  // Adds the expression to `filter`. Expressions that cannot be expressed answer
  // kNotExpressible with kUnsupportedOperation and their name.
  virtual PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const = 0;
};

class GeneralPredicate {
 public:
  GeneralPredicate() = default;
  // Parses one predicate from the front of `cursor` by its leading letter ("=", "!", "<", ">",
  // "A", "O", "C", "I", "N", "P"; any other: kSyntaxError "GeneralPredicate"). `depth` counts the
  // enclosing predicates; beyond kMaxCommandNesting: kSyntaxError "GeneralPredicate".
  GeneralPredicate(CommandCursor& cursor, QuireStatus& status, int depth = 0);
  explicit GeneralPredicate(std::unique_ptr<Expression> expression)
      : expression_(std::move(expression)) {}
  GeneralPredicate(const GeneralPredicate& other);
  GeneralPredicate& operator=(const GeneralPredicate& other);
  GeneralPredicate(GeneralPredicate&&) noexcept = default;
  GeneralPredicate& operator=(GeneralPredicate&&) noexcept = default;

  bool isEmpty() const { return expression_ == nullptr; }
  const Expression* get() const { return expression_.get(); }
  // "" for an empty envelope.
  std::string print(QuireStatus& status) const;
  // An empty envelope keeps every candidate.
  QuireObjectList filter(const QuireObjectList& candidates, QuireStatus& status,
                         const QuireBindingList& bindings) const;
  PushDownAnswer pushDown(QuireQueryFilter& filter, QuireStatus& status) const;

 private:
  std::unique_ptr<Expression> expression_;
};
