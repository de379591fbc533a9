// TemplateAnnotator: rewrites a Word-saved template so that every command written in a Word
// comment becomes an element carrying the attribute QuireQuery (the command text), holding the
// content the command governs; the marks and comment-list entries of those comments go away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "generate/marker_kind.h"
#include "generate/template_comments.h"
#include "platform/dom/dom_document.h"

class QuireStatus;

class TemplateAnnotator {
 public:
  // Works on `document` in place; shares it with the caller. One thread at a time.
  explicit TemplateAnnotator(std::shared_ptr<platform::DomDocument> document);

  // Annotates every comment, then wraps VML fallback images. `status` is set to success first;
  // on failure it holds kProcessingError and a message naming the comment's label, and the result
  // is false.
  bool annotateTemplate(QuireStatus& status);

  // The comments the last pass read, in template order (each command element it made carries
  // its comment's place, see template_comments.h).
  const TemplateComments& comments() const { return comments_; }

 private:
  // Where one comment's mark sits: the anchor, the run around it, the comment-reference element
  // and that element's parent.
  struct Mark {
    platform::DomNode anchor;
    platform::DomNode around;
    platform::DomNode reference;
    platform::DomNode parent;
    std::string label;
  };

  // The loop over the comments; false when the pass must stop at once (no image step).
  bool annotateComments(QuireStatus& status);
  // Finds the mark of anchor `index`; false when it is no longer part of the document.
  bool locate(size_t index, Mark& mark) const;
  std::string commandTextAt(size_t index, const std::string& label) const;

  void annotateOpen(const Mark& mark, const std::string& commandText);
  // False (with `status` set) when no comment-reference element lies above the mark.
  bool annotateDisplay(const Mark& mark, const std::string& commandText, QuireStatus& status);
  void annotateRegionStart(size_t index, const Mark& mark, const std::string& commandText,
                           MarkerKind kind);
  void removeEndMark(const Mark& mark, MarkerKind kind);

  // Moves what lies between the start mark of comment `startIndex` and its end mark (the later
  // comment of the matching end kind and the same command text) into `commandElement`, which
  // takes the start's place. `tableRow`, when set, makes whole table rows move. No end: nothing.
  void encloseCommand(size_t startIndex, const std::string& commandText, MarkerKind startKind,
                      const platform::DomNode& commandElement, const platform::DomNode& startMark,
                      const platform::DomNode& tableRow);
  bool encloseRows(const platform::DomNode& commandElement, const platform::DomNode& startRow,
                   const platform::DomNode& endMark);
  void encloseRange(const platform::DomNode& commandElement, const platform::DomNode& startMark,
                    const platform::DomNode& endMark);

  // Takes the mark's anchor and its two neighbour runs out; removes the reference element when
  // that left it empty, and puts a br into a paragraph so emptied when `breakEmptyParagraph`.
  void removeMark(const Mark& mark, bool breakEmptyParagraph);
  void removeCommentEntry(const platform::DomNode& commentText);
  bool yieldsFormattedText(const std::string& commandText) const;
  // Gives `element` the place of the comment being annotated.
  void markPlace(const platform::DomNode& element) const;

  std::shared_ptr<platform::DomDocument> document_;
  platform::DomNodeList anchors_;
  platform::DomNodeList commentTexts_;
  size_t count_ = 0;
  platform::DomNode savedSpan_;
  bool tableMaster_ = false;
  TemplateComments comments_;
  const TemplateComment* current_ = nullptr;
};
