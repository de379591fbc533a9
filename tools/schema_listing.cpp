// Listing the loaded schemas as text and as JSON.
#include "tools/schema_listing.h"

#include <cstdio>
#include <vector>

#include "domains/domain_registry.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_types.h"

namespace {

// The domains asked for; empty when the named one is not loaded.
std::vector<QuireAbstractDomain*> Selected(const std::optional<std::string>& name) {
  DomainRegistry& registry = DomainRegistry::instance();
  if (!name) return registry.domains();
  for (QuireAbstractDomain* domain : registry.domains()) {
    if (domain->name() == *name || domain->alias() == *name || domain->aka() == *name)
      return {domain};
  }
  return {};
}

std::string Json(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (u < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", u);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

void TextArguments(const char* title, const std::vector<QuireAttribute>& arguments,
                   std::string& out) {
  if (arguments.empty()) return;
  out += std::string("    ") + title + ":";
  for (const QuireAttribute& argument : arguments)
    out += " " + argument.name() + " (" + QuireType::NameOf(argument.type()) + ")";
  out += "\n";
}

std::string JsonFeatures(const std::vector<QuireAttribute>& attributes) {
  std::string out = "[";
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    out += (i > 0 ? "," : "") + std::string("{\"name\":") + Json(attributes[i].name()) +
           ",\"type\":" + Json(QuireType::NameOf(attributes[i].type())) + "}";
  }
  return out + "]";
}

std::string JsonSteps(const std::vector<QuireRelationship>& steps) {
  std::string out = "[";
  for (std::size_t i = 0; i < steps.size(); ++i) {
    out += (i > 0 ? "," : "") + std::string("{\"name\":") + Json(steps[i].name()) +
           ",\"target\":" + Json(steps[i].target().name()) + "}";
  }
  return out + "]";
}

}  // namespace

bool SchemaText(const std::optional<std::string>& name, std::string& out) {
  const std::vector<QuireAbstractDomain*> domains = Selected(name);
  if (domains.empty() && name) return false;
  for (QuireAbstractDomain* domain : domains) {
    out += "domain " + domain->name();
    if (domain->alias() != domain->name()) out += " (alias " + domain->alias() + ")";
    const std::vector<QuireClass>& classes = domain->classList();
    out += ": " + std::to_string(classes.size()) + " classes\n";
    for (const QuireClass& cls : classes) {
      out += "  class " + cls.name();
      if (cls.displayAlias() != cls.name()) out += " (alias " + cls.displayAlias() + ")";
      const auto& supers = cls.superclassLinks();
      for (std::size_t i = 0; i < supers.size(); ++i)
        out += (i == 0 ? " : " : ", ") + supers[i].target().name();
      out += "\n";
      for (const QuireAttribute& attribute : cls.attributes())
        out +=
            "    attribute " + attribute.name() + " " + QuireType::NameOf(attribute.type()) + "\n";
      for (const QuireRelationship& step : cls.unaryRelationships())
        out += "    U=" + step.name() + " -> " + step.target().name() + " (one)\n";
      for (const QuireRelationship& step : cls.naryRelationships())
        out += "    N=" + step.name() + " -> " + step.target().name() + " (many)\n";
      TextArguments("OPEN arguments", cls.connectorArguments(), out);
      TextArguments("constructor arguments", cls.constructorArguments(), out);
      TextArguments("selector arguments", cls.selectorArguments(), out);
    }
  }
  return true;
}

bool SchemaJson(const std::optional<std::string>& name, std::string& out) {
  const std::vector<QuireAbstractDomain*> domains = Selected(name);
  if (domains.empty() && name) return false;
  out += "{\"domains\":[";
  for (std::size_t d = 0; d < domains.size(); ++d) {
    QuireAbstractDomain& domain = *domains[d];
    out += (d > 0 ? ",\n" : "\n") + std::string("{\"name\":") + Json(domain.name()) +
           ",\"alias\":" + Json(domain.alias()) + ",\"classes\":[";
    const std::vector<QuireClass>& classes = domain.classList();
    for (std::size_t c = 0; c < classes.size(); ++c) {
      const QuireClass& cls = classes[c];
      out += (c > 0 ? ",\n" : "\n") + std::string("{\"name\":") + Json(cls.name()) +
             ",\"alias\":" + Json(cls.displayAlias()) + ",\"superclasses\":[";
      const auto& supers = cls.superclassLinks();
      for (std::size_t i = 0; i < supers.size(); ++i)
        out += (i > 0 ? "," : "") + Json(supers[i].target().name());
      out += "],\"attributes\":" + JsonFeatures(cls.attributes()) +
             ",\"unary\":" + JsonSteps(cls.unaryRelationships()) +
             ",\"nary\":" + JsonSteps(cls.naryRelationships()) +
             ",\"openArguments\":" + JsonFeatures(cls.connectorArguments()) +
             ",\"constructorArguments\":" + JsonFeatures(cls.constructorArguments()) +
             ",\"selectorArguments\":" + JsonFeatures(cls.selectorArguments()) + "}";
    }
    out += "]}";
  }
  out += "\n]}\n";
  return true;
}
