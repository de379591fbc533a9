// The Word comments of a template as an author sees them: each comment's label ("[REPEAT5]"),
// the text of the paragraph around its mark and its command text; and the place of a command
// element in the template, kept on the element so that errors met while generating can name it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "generate/marker_kind.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/dom_node.h"

// One comment of the template, in document order.
struct TemplateComment {
  std::size_t order = 0;  // 1 for the first comment of the template
  std::string label;      // the anchor's text as Word shows it, "[REPEAT5]"
  std::string nearText;   // the paragraph around the mark, without labels, shortened
  std::string commandText;
  MarkerKind kind = MarkerKind::kMismatch;
};

struct TemplateComments {
  std::vector<TemplateComment> comments;  // as many as the smaller of the two counts below
  std::size_t anchorCount = 0;            // comment marks in the text
  std::size_t textCount = 0;              // entries in the comment list
  // Read from the QuireQuery elements of an annotated template (no comments): no labels, and
  // regions are elements, so only the commands themselves can be checked.
  bool fromElements = false;
};

// The comments as the annotation pass pairs them (mark i with comment-list entry i).
TemplateComments ReadTemplateComments(const platform::DomDocument& document);
TemplateComments ReadTemplateComments(const platform::DomNodeList& anchors,
                                      const platform::DomNodeList& commentTexts);

// The commands of a template that carries QuireQuery elements instead of comments, in document
// order; each one's "near text" is the element's own text.
TemplateComments ReadCommandElements(const platform::DomDocument& document);

// The text of the paragraph (or cell, list item) around `anchor`: comment labels taken out,
// blanks collapsed, at most about 60 characters.
std::string NearTextOf(const platform::DomNode& anchor);

// `text` cut to at most `limit` bytes on a character boundary, "..." added when cut.
std::string ShortenedText(const std::string& text, std::size_t limit);

// "[REPEAT5] near "Files: <Name>"" ("[REPEAT5]" alone when there is no text near it).
std::string DescribePlace(const std::string& label, const std::string& nearText);

// The attributes that carry a command element's place through generation; they are taken out
// of the page before it is completed.
inline constexpr char kCommentLabelAttribute[] = "QuireLabel";
inline constexpr char kCommentNearAttribute[] = "QuireNear";

// Writes the comment's order, label and near text onto `element`.
void MarkCommentPlace(const platform::DomNode& element, const TemplateComment& comment);

// The place of `element` or, when it carries none, of the nearest ancestor that does: its
// description and its order (0 and an empty description when nothing carries a place).
struct CommentPlace {
  std::size_t order = 0;
  std::string description;
};
CommentPlace CommentPlaceOf(const platform::DomNode& element);

// Removes the place attributes from `element`.
void ForgetCommentPlace(const platform::DomNode& element);
// Removes the place attributes from every element below and including `root`.
void ForgetCommentPlaces(const platform::DomNode& root);
