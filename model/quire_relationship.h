// QuireRelationship: an inheritance link or a unary or nary relationship between two classes, a
// value-semantic record (copies clone the navigator).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/quire_class.h"
#include "model/quire_types.h"

class QuireRelationship;

// Computes related objects itself, in place of the domain (set on relationships whose target is
// not reached through a library function).
class QuireNavigator {
 public:
  virtual ~QuireNavigator() = default;
  virtual std::unique_ptr<QuireNavigator> clone() const = 0;
  // The object related to `object` (unary relationships).
  virtual void navigate(QuireStatus& status, const QuireRelationship& relationship,
                        const QuireObject& object, QuireObject& result) const = 0;
  // The objects related to `object` (nary relationships).
  virtual void navigate(QuireStatus& status, const QuireRelationship& relationship,
                        const QuireObject& object, QuireObjectList& result) const = 0;
};

class QuireRelationship {
 public:
  static constexpr int32_t kSuperclassLink = 0;
  static constexpr int32_t kSubclassLink = 1;
  static constexpr int32_t kUnary = 2;
  static constexpr int32_t kNary = 3;
  static constexpr int32_t kUndefinedKind = 4;

  // All defaults: name "Undefined", kind 4, undefined classes.
  QuireRelationship();
  // A unary relationship navigated by `access`.
  QuireRelationship(std::string name, QuireClass source, QuireClass target,
                    QuireUnaryAccess access);
  // An nary relationship navigated by `access`.
  QuireRelationship(std::string name, QuireClass source, QuireClass target, QuireNaryAccess access);
  // A relationship of `kind` without access function (loaders that navigate otherwise).
  QuireRelationship(std::string name, int32_t kind, QuireClass source, QuireClass target);
  // A superclass (kind 0) or subclass (kind 1) link from `source` to `target`; name, alias and
  // aka are copied from `target`.
  static QuireRelationship link(int32_t kind, QuireClass source, QuireClass target);

  QuireRelationship(const QuireRelationship& other);
  QuireRelationship& operator=(const QuireRelationship& other);
  QuireRelationship(QuireRelationship&&) noexcept;
  QuireRelationship& operator=(QuireRelationship&&) noexcept;
  ~QuireRelationship();

  // The process-wide undefined relationship that failed lookups return.
  static const QuireRelationship& undefined();
  bool isUndefined() const { return kind_ == kUndefinedKind; }

  const std::string& name() const { return name_; }
  const std::string& alias() const { return alias_; }
  const std::string& aka() const { return aka_; }
  void setAlias(std::string alias) { alias_ = std::move(alias); }
  void setAka(std::string aka) { aka_ = std::move(aka); }
  const std::string& displayAlias() const { return alias_.empty() ? name_ : alias_; }
  const std::string& displayAka() const { return aka_.empty() ? name_ : aka_; }

  int32_t kind() const { return kind_; }
  const QuireClass& source() const { return source_; }
  const QuireClass& target() const { return target_; }

  QuireUnaryAccess unaryAccess() const { return unaryAccess_; }
  QuireNaryAccess naryAccess() const { return naryAccess_; }
  // The navigator, or null.
  const QuireNavigator* navigator() const { return navigator_.get(); }
  void setNavigator(std::unique_ptr<QuireNavigator> navigator);

  // Same kind, source and target; for kinds 2 and 3 also the same name.
  bool operator==(const QuireRelationship& other) const;
  bool operator!=(const QuireRelationship& other) const { return !(*this == other); }

 private:
  std::string name_ = "Undefined";
  std::string alias_;
  std::string aka_;
  int32_t kind_ = kUndefinedKind;
  QuireClass source_;
  QuireClass target_;
  QuireUnaryAccess unaryAccess_ = nullptr;
  QuireNaryAccess naryAccess_ = nullptr;
  std::unique_ptr<QuireNavigator> navigator_;
};
