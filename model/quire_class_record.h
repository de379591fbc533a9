// The record behind a QuireClass handle. Only the class and domain implementations reach into
// it; everyone else goes through the handle.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/quire_attribute.h"
#include "model/quire_relationship.h"

struct QuireClassRecord {
  QuireAbstractDomain* domain = nullptr;
  std::string name;
  std::string alias;
  std::string aka;
  std::array<int32_t, 3> properties{};
  std::unique_ptr<QuireObjectFactory> factory;

  std::vector<QuireAttribute> attributes[2];  // first, second
  std::vector<QuireRelationship> unary[2];
  std::vector<QuireRelationship> nary[2];

  std::vector<QuireRelationship> superclasses;
  std::vector<QuireRelationship> allSuperclasses;
  std::vector<QuireRelationship> subclasses;
  std::vector<QuireRelationship> allSubclasses;

  std::vector<QuireAttribute> connectorArguments;
  std::vector<QuireAttribute> constructorArguments;
  std::vector<QuireAttribute> selectorArguments;

  bool takesSelectedIdentifiers = false;
  bool secondFlag = false;
  QuireObjectConstructor constructorEntry = nullptr;
  void* fourthEntry = nullptr;
};
