// An object of a test's own domain: its class, a key the domain finds it by, and the values that
// identify it in a reference (none: its reference text cannot be built).
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "model/quire_domain_object.h"

namespace test_support {

class KeyedObject : public QuireDomainObject {
 public:
  KeyedObject(QuireClass cls, std::string key, QuireArgumentValues arguments)
      : class_(cls), key_(std::move(key)), arguments_(std::move(arguments)) {}
  QuireClass getClass(QuireStatus& status) const override {
    status = QuireStatus();
    return class_;
  }
  std::unique_ptr<QuireDomainObject> clone() const override {
    return std::make_unique<KeyedObject>(*this);
  }
  void display(QuireStatus& status) const override { status = QuireStatus(); }
  void getConstructorArguments(QuireArgumentValues& list, bool,
                               QuireStatus& status) const override {
    status = QuireStatus();
    list = arguments_;
  }
  const std::string& key() const { return key_; }
  const QuireArgumentValues& arguments() const { return arguments_; }

 private:
  QuireClass class_;
  std::string key_;
  QuireArgumentValues arguments_;
};

}  // namespace test_support
