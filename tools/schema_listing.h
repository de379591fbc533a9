// The schemas of the loaded domains as an author needs them: classes, attributes with their
// types, relationships with their targets, superclasses and the arguments that open an object;
// as text for a person and as JSON.
#pragma once

#include <optional>
#include <string>

// The listing of every loaded domain, or of the one named `domain` (name, alias or aka); false
// when no such domain is loaded.
bool SchemaText(const std::optional<std::string>& domain, std::string& listing);
bool SchemaJson(const std::optional<std::string>& domain, std::string& listing);
