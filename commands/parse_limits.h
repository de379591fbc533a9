// Bounds on the nesting of commands, so that no text or template can exhaust the stack.
#pragma once

// Predicates inside predicates (NOT, parenthesis, AND/OR operands), modifiers inside modifiers
// and nested Replicators ("|" levels) deeper than this fail to parse with kSyntaxError and the
// element's name. Command elements of a template inside one another (a REPEAT in a MASTER in a
// LIMIT ...) deeper than this fail the page before its walk begins.
inline constexpr int kMaxCommandNesting = 64;
