// Word's comment markup as the conversion to XML leaves it, for building templates in tests: the
// mark of a comment in the body text and a page with its comment list.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// The mark of comment `n`, labelled `label`.
inline std::string Mark(int n, const std::string& label) {
  const std::string id = std::to_string(n);
  return "<span class=\"MsoCommentReference\"><span style=\"font-size:8.0pt\">"
         "<span style=\"mso-special-character:comment\"></span><a class=\"msocomanchor\" "
         "id=\"_anchor_" +
         id + "\" href=\"#_msocom_" + id + "\" name=\"_msoanchor_" + id + "\">" + label +
         "</a><span style=\"mso-special-character:comment\"></span></span></span>";
}

// A Word page: the section's markup, then the comment list with one entry per text (markup too).
inline std::string WordPage(const std::string& section,
                            const std::vector<std::string>& commentTexts) {
  std::string page = "<html><body><div class=\"Section1\">" + section +
                     "</div><div style=\"mso-element:comment-list\"><hr class=\"msocomoff\"/>";
  for (const std::string& text : commentTexts) {
    page +=
        "<div style=\"mso-element:comment\"><div class=\"msocomtxt\"><span><a name=\"c\"/>"
        "</span><p class=\"MsoCommentText\"><span class=\"MsoCommentReference\"><span "
        "style=\"mso-special-character:comment\"/></span>" +
        text + "</p></div></div>";
  }
  return page + "</div></body></html>";
}

}  // namespace test_support
