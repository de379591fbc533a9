// What one Word comment of a template stands for: the kind of command mark, read from the
// comment's label and its command text, and the tests on Word's comment markup that go with it.
#pragma once

#include <string>

#include "platform/dom/dom_node.h"

// The numbering matters: each start kind from kDisplay to kLink has its end kind five above it.
enum class MarkerKind : int {
  kOpen = 0,
  kDisplay = 1,
  kMaster = 2,
  kRepeat = 3,
  kLimit = 4,
  kLink = 5,
  kEndDisplay = 6,
  kEndMaster = 7,
  kEndRepeat = 8,
  kEndLimit = 9,
  kEndLink = 10,
  kMismatch = 11,
};

// The kind of a comment whose command text and label are given. The text's command kind
// (CommandKindOf) picks the command; the label must begin with that command's start form
// ("[REPEAT") or end form ("[ENDREP"); an empty label goes by the text alone; any other label
// gives kMismatch. Pure.
MarkerKind ClassifyMarker(const std::string& commandText, const std::string& label);

// The end kind that closes `start` (kEndMaster for kMaster ...); kMismatch for kinds with none.
MarkerKind EndKindOf(MarkerKind start);

// The command text of a comment-text paragraph: with at most two child nodes the text of the
// last one; otherwise the whole text with `label` cut from its start, or else from its end.
std::string CommandTextOf(const platform::DomNode& paragraph, const std::string& label);

// An element whose class attribute is exactly "MsoCommentReference" (the run around a mark).
bool IsCommentReference(const platform::DomNode& node);

// An element named "p" or "h1", "h2" ... (any case).
bool IsParagraphElement(const platform::DomNode& node);
