// Formatting of generated content: the hidden marker that generation uses to hide and show
// template parts, repeated table rows, numbered lists cut into copies, Word date and time
// fields, and the indentation of recursive levels. All operations work on the page document in
// place and raise platform::ComError when a DOM call fails.
#pragma once

#include <string>
#include <vector>

#include "platform/dom/dom_node.h"

class QuireStatus;

// Word's own hidden text, and the marker generation adds so that it can show its own hiding
// again without touching what the author hid.
inline constexpr const char* kWordHiddenStyle = "display:none;mso-hide:all";
inline constexpr const char* kGenerationHiddenStyle = "display:none;mso-hide:all;quire_hidden";

void HideElement(const platform::DomNode& element);
void ShowElement(const platform::DomNode& element);
bool IsHiddenByGeneration(const platform::DomNode& element);
// Hide or show every command span and every element with text inside `element` (lone text
// nodes beside other nodes are first wrapped in a span). A table row is hidden on the row and
// on each of its cells, since a browser moves a span that stands between rows out of the table.
void HideRegion(const platform::DomNode& element);
void ShowRegion(const platform::DomNode& element);
// Walks the children: text wrapped and hidden (when hiding), DISPLAY commands hidden or shown,
// other commands walked, plain elements hidden or shown as regions.
void MarkRegion(const platform::DomNode& element, bool hide);

// The bottom-border declarations ("border-bottom...", up to the ";") of the template row's
// styled cells, in cell order; empty texts for cells without one.
std::vector<std::string> RowBottomBorders(const platform::DomNode& templateRow);
// Gives every styled cell of `table` that has a bottom border the remembered declaration of the
// same position; true when a cell says "border:none" (the table is borderless).
bool ApplyRowBottomBorders(const platform::DomNode& table, const std::vector<std::string>& borders);
// The same for the one row `row`.
bool ApplyBottomBordersToRow(const platform::DomNode& row, const std::vector<std::string>& borders);
// Puts "border:none;" in front of the style of each styled cell of `row`.
void MarkRowBorderless(const platform::DomNode& row);

// Lets the numbered lists of the copies of a REPEAT count on from one copy to the next.
void RenumberLists(const platform::DomNode& body);
// Whether `region` holds what ConvertDateFields and RenumberLists change: a Word date or time
// field, or a numbered list with a start.
bool HasDateFieldsOrNumberedLists(const platform::DomNode& region);
// The time format of a Word date picture ("dddd, MMMM dd, yyyy" becomes "%A, %B %d, %Y"); the
// first single "M" and "d" left over become `month` and `day` without a leading zero. A "%" of
// the picture stays a literal percent sign. Pure; any thread.
std::string DatePictureFormat(const std::string& picture, int month, int day);
// Writes the current date and time into Word's DATE and TIME fields. A failure sets status
// kEvaluationError (host_message::kDateFieldUnformatted), is logged, and leaves the rest of the
// page as it is.
void ConvertDateFields(const platform::DomNode& body, QuireStatus& status);
// The "tab-interval:" of the body's style in inches (0.5 when absent).
double TabInterval(const platform::DomNode& body);
// Moves a paragraph element (and its child elements) one tab interval further right.
void IndentLevel(const platform::DomNode& element, double tabIntervalInches);
