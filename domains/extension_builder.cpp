// The actions of the domain extension language: trace lines and the records of each block.
#include "domains/extension_builder.h"

#include <iostream>
#include <utility>

#include "domains/extension_apply.h"

ExtensionBuilder::ExtensionBuilder(QuireStatus& status, ExtensionSettings settings)
    : status_(status), settings_(std::move(settings)) {
  if (settings_.trace == nullptr) settings_.trace = &std::cout;
  if (settings_.diagnostics == nullptr) settings_.diagnostics = &std::cerr;
}

void ExtensionBuilder::trace(const std::string& action, const std::string& argument) {
  *settings_.trace << action << " " << argument << "\n";
}

void ExtensionBuilder::beginSubclass(const std::string& name, const std::string& parent) {
  if (idle()) return;
  subclass_ = ExtensionSubclass();
  subclass_.name = name;
  subclass_.parent = parent;
  trace("add_subclass_name", name);
  trace("add_class_name", parent);
}

void ExtensionBuilder::addCriteria(const std::string& pattern) {
  if (idle()) return;
  trace("add_criteria", pattern);
  subclass_.criteria = pattern;
}

void ExtensionBuilder::addScriptName(const std::string& script) {
  if (idle()) return;
  trace("add_script_name", script);
  if (subclass_.constructorScript) {
    *settings_.diagnostics << script << " is a duplicate constructor \n";
    ignoringArguments_ = true;
    return;
  }
  subclass_.constructorScript = script;
  arguments_ = &subclass_.constructorArguments;
}

void ExtensionBuilder::addScriptArgument(const std::string& attribute) {
  if (idle()) return;
  trace("add_script_arg", attribute);
  if (!ignoringArguments_ && arguments_ != nullptr) arguments_->push_back(attribute);
}

void ExtensionBuilder::endScriptLine() {
  ignoringArguments_ = false;
  arguments_ = nullptr;
}

void ExtensionBuilder::addRemoveAttribute(const std::string& name) {
  if (idle()) return;
  trace("add_remove_attr", name);
  subclass_.removedAttributes.push_back(name);
}

void ExtensionBuilder::addRemoveRelationship(const std::string& name) {
  if (idle()) return;
  trace("add_remove_reln", name);
  subclass_.removedRelationships.push_back(name);
}

void ExtensionBuilder::endSubclass() {
  if (idle()) return;
  trace("make_subclass", subclass_.name);
  ApplySubclass(subclass_, settings_, status_);
}

void ExtensionBuilder::beginExtension(const std::string& reference) {
  if (idle()) return;
  extension_ = ExtensionClass();
  extension_.reference = reference;
  trace("add_class_name", reference);
}

void ExtensionBuilder::addRelationship(bool nary, const std::string& name,
                                       const std::string& target, const std::string& argument,
                                       const std::string& script) {
  if (idle()) return;
  *settings_.trace << "enter_reln_name : " << name << "\n";
  ExtensionMember member;
  member.kind =
      nary ? ExtensionMember::Kind::kNaryRelationship : ExtensionMember::Kind::kUnaryRelationship;
  member.name = name;
  member.target = target;
  member.script = script;
  member.arguments.push_back(argument);
  extension_.members.push_back(std::move(member));
}

void ExtensionBuilder::beginScriptAttribute(const std::string& name, const std::string& script) {
  if (idle()) return;
  trace("add_attribute", name);
  ExtensionMember member;
  member.kind = ExtensionMember::Kind::kScriptAttribute;
  member.name = name;
  member.script = script;
  extension_.members.push_back(std::move(member));
  arguments_ = &extension_.members.back().arguments;
}

void ExtensionBuilder::beginSource(const std::string& attribute) {
  if (idle()) return;
  trace("add_source", attribute);
  source_ = attribute;
}

void ExtensionBuilder::addSourceAttribute(const std::string& name, const std::string& field,
                                          const std::string* key) {
  if (idle()) return;
  trace("add_source_attribute", name);
  ExtensionMember member;
  member.kind = ExtensionMember::Kind::kSourceAttribute;
  member.name = name;
  member.sourceAttribute = source_;
  member.field = field;
  if (key != nullptr) member.key = *key;
  extension_.members.push_back(std::move(member));
}

void ExtensionBuilder::endExtension() {
  if (idle()) return;
  ApplyExtension(extension_, settings_, status_);
}
