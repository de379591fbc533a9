// The template check: what an author would otherwise learn only when a page is asked for. It
// reads a template's Word comments, pairs the marks as annotation does, parses every command and
// resolves its domain, class, navigation steps, attributes and sort keys against the loaded
// schemas, and follows which variable each command can use. It makes no object and reads no data.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "generate/template_comments.h"
#include "platform/dom/dom_document.h"

// One fault of the template, at one comment.
struct TemplateProblem {
  std::size_t order = 0;  // the comment's order in the template; 0 for the template as a whole
  std::string label;
  std::string nearText;
  std::string commandText;
  std::string what;  // what is wrong and, where it helps, what the schema offers instead
};

// Every problem of the comments, in template order (faults of one comment in the order found).
std::vector<TemplateProblem> CheckTemplateComments(const TemplateComments& comments);

// Reads the comments of the loaded, not yet annotated template and checks them.
std::vector<TemplateProblem> CheckTemplate(const platform::DomDocument& document);

class ErrorCollector;

// After a failed generation: every problem of the template's comments that is about a comment
// no message names yet goes to `errors`, as ProblemLine, in template order.
void AddTemplateProblems(const TemplateComments& comments, ErrorCollector& errors);

// One line for a person: the label, the text near it, the command text (long texts shortened)
// and what is wrong.
std::string ProblemLine(const TemplateProblem& problem);

// Up to `count` names of `candidates` closest to `name` (edit distance, ignoring case), closest
// first. Only the first 64 bytes of each name are compared, so long names cost no more.
std::vector<std::string> ClosestNames(const std::string& name,
                                      const std::vector<std::string>& candidates,
                                      std::size_t count = 3);
