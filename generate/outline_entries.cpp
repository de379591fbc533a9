#include "generate/outline_entries.h"

#include <ctime>
#include <vector>

#include "foundation/input_limits.h"
#include "generate/link_texts.h"
#include "generate/script_escaping.h"
#include "platform/com_error.h"

namespace {

using platform::DomNode;

constexpr const char* kDefaultFrame = "main";
constexpr const char* kDefaultImage = "#!--!image#";
constexpr const char* kClassArchive = "file://portaltree.jar";
constexpr const char* kClassName = "com.norvane.portal.tree.portalTreeControlUserObject";

void AppendContext(platform::DomDocument& outline, const DomNode& entry, const std::string& name,
                   const std::string& value) {
  const DomNode context = outline.createElement("context");
  context.setAttribute("name", name);
  context.setAttribute("value", value);
  entry.appendChild(context);
}

}  // namespace

std::string OutlineIdAt(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  // Floor, not truncation, so that moments before 1970 still give a valid millisecond.
  const auto sinceEpoch = floor<milliseconds>(time.time_since_epoch());
  const auto seconds = floor<std::chrono::seconds>(sinceEpoch);
  const std::time_t whole = static_cast<std::time_t>(seconds.count());
  std::tm utc{};
  if (gmtime_r(&whole, &utc) == nullptr) return "0";
  const long long millisecond = (sinceEpoch - seconds).count();
  return std::to_string(utc.tm_year + 1900) + std::to_string(utc.tm_mon + 1) +
         std::to_string(utc.tm_mday) + std::to_string(utc.tm_hour) + std::to_string(utc.tm_min) +
         std::to_string(utc.tm_sec) + std::to_string(millisecond);
}

std::string OutlineIds::next(std::chrono::system_clock::time_point time) {
  // At most 17 digits (year, then two digits each and three for the millisecond): it fits.
  unsigned long long id = std::stoull(OutlineIdAt(time));
  // The first id at or after it that was not given out, and every id passed on the way then
  // points there (so a page of many entries made within a few milliseconds stays linear).
  std::vector<unsigned long long> passed;
  for (auto given = following_.find(id); given != following_.end(); given = following_.find(id)) {
    passed.push_back(id);
    id = given->second;
  }
  for (const unsigned long long step : passed) following_[step] = id;
  following_[id] = id + 1;
  return std::to_string(id);
}

std::string AppendOutlineEntry(platform::DomDocument& outline, OutlineIds& ids,
                               const OutlineEntryTexts& entry,
                               std::chrono::system_clock::time_point time) {
  const DomNode root = outline.documentElement();
  if (ids.count() >= kMaxOutlineEntries) {
    // No part of the outline goes to the portal: it would miss entries without saying so.
    outline.loadXML("<outline></outline>");
    throw platform::ComError(platform::kE_FAIL, "The page has more than " +
                                                    std::to_string(kMaxOutlineEntries) +
                                                    " outline entries (portal links and URLs), "
                                                    "the limit of outline entries");
  }
  const std::string id = ids.next(time);
  const DomNode element = outline.createElement("outline");
  element.setAttribute("text", DecodeReference(entry.label));
  element.setAttribute("id", id);
  element.setAttribute("checkChildren", "false");
  element.setAttribute("classArchive", kClassArchive);
  element.setAttribute("className", kClassName);
  if (!entry.url.empty()) AppendContext(outline, element, "url", entry.url);
  AppendContext(outline, element, "artifactID",
                EscapeScriptArgument(DecodeReference(entry.artifactId)));
  AppendContext(outline, element, "template", DecodeReference(entry.templ));
  AppendContext(outline, element, "nodeType", entry.url.empty() ? "portal" : "static");
  AppendContext(outline, element, "frame",
                entry.frame.empty() ? kDefaultFrame : DecodeReference(entry.frame));
  AppendContext(outline, element, "image",
                entry.image.empty() ? kDefaultImage : DecodeReference(entry.image));
  root.appendChild(element);
  return id;
}
