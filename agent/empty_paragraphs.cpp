// The clean-up of a written page: the empty-paragraph markup put back.
#include "agent/empty_paragraphs.h"

#include <string_view>

#include "platform/file_io.h"

namespace {

constexpr std::string_view kMarkerAttribute = " nbsp=\"True\"";
constexpr std::string_view kMarkerComment = "<!-- nbsp=\"True\"-->";
constexpr std::string_view kEmptyParagraphMarkup = "<![if !supportEmptyParas]>&nbsp;<![endif]>";
constexpr std::string_view kHtmlEnd = "</html>";

// Builds a new text instead of erasing in place, so that many markers cost linear time.
std::string WithoutEvery(const std::string& text, std::string_view what) {
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
    out.append(text, from, at - from);
    from = at + what.size();
  }
  out.append(text, from, std::string::npos);
  return out;
}

std::string WithMarkupAfterMarkers(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(kMarkerAttribute); at != std::string::npos;
       at = text.find(kMarkerAttribute, from)) {
    size_t close = text.find('>', at + kMarkerAttribute.size());
    if (close == std::string::npos) break;  // a marker in an unfinished tag: nothing to put back
    out.append(text, from, close + 1 - from);
    out.append(kEmptyParagraphMarkup);
    from = close + 1;
  }
  out.append(text, from, std::string::npos);
  return out;
}

}  // namespace

std::string RestoreEmptyParagraphsInText(const std::string& text) {
  // The marker comment holds the marker attribute, so the first step also puts the markup right
  // after each marker comment, which the removal then drops: the comment becomes the markup.
  std::string restored = WithMarkupAfterMarkers(text);
  restored = WithoutEvery(restored, kMarkerComment);
  restored = WithoutEvery(restored, kMarkerAttribute);
  size_t end = restored.find(kHtmlEnd);
  if (end != std::string::npos) restored.resize(end + kHtmlEnd.size());
  return restored;
}

bool RestoreEmptyParagraphs(const std::string& path) {
  std::string text;
  std::string reason;
  if (!platform::ReadWholeFile(path, text, reason)) return false;
  return platform::ReplaceFile(path, RestoreEmptyParagraphsInText(text)) == 0;
}
