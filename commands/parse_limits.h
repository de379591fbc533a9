// Bounds on the nesting of command elements, so that no text can exhaust the stack.
#pragma once

// Predicates inside predicates (NOT, parenthesis, AND/OR operands) and nested Replicators
// ("|" levels) deeper than this fail to parse with kSyntaxError and the element's name.
inline constexpr int kMaxCommandNesting = 64;
