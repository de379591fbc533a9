// The completion of a generated page for the portal: its script blocks, the portal form, paths
// relative to the page, and the outline entries of its portal links.
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "generate/exception_status.h"
#include "generate/link_texts.h"
#include "generate/outline_entries.h"
#include "generate/script_escaping.h"
#include "generate/web_page_generator.h"
#include "platform/com_error.h"
#include "platform/log.h"

namespace {

using platform::DomDocument;
using platform::DomNode;

constexpr const char* kGetPage = "javascript:getpage";
constexpr const char* kGetUrl = "javascript:geturl";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Slashed(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string BlanksAsPercent20(const std::string& text) {
  std::string written;
  for (const char c : text) written += c == ' ' ? std::string("%20") : std::string(1, c);
  return written;
}

// The file name of a path without its folder and extension.
std::string BaseName(const std::string& path) {
  std::string name = Slashed(path);
  name.erase(0, name.rfind('/') + 1);  // npos + 1 is 0: nothing erased
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

DomNode ElementWith(DomDocument& page, const std::string& tag,
                    std::initializer_list<std::pair<const char*, const char*>> attributes) {
  const DomNode element = page.createElement(tag);
  for (const auto& [name, value] : attributes) element.setAttribute(name, value);
  return element;
}

DomNode HeadOf(DomDocument& page, const DomNode& root) {
  const DomNode head = root.selectSingleNode("head");
  if (head) return head;
  return root.insertBefore(page.createElement("head"), root.firstChild());
}

// The block that the portal fills with its navigation script; an existing one is kept.
DomNode EnsureScriptBlock(DomDocument& page, const DomNode& head) {
  const DomNode existing = head.selectSingleNode("script[@language='JavaScript']");
  if (existing) return existing;
  const DomNode script = ElementWith(page, "script", {{"language", "JavaScript"}});
  script.appendChild(page.createComment(""));
  return head.insertBefore(script, head.firstChild());
}

bool IsBelow(const DomNode& node, const DomNode& top) {
  for (DomNode up = node.parentNode(); up; up = up.parentNode()) {
    if (up == top) return true;
  }
  return false;
}

// The hidden form through which the portal's script posts its navigation; one per page.
// `marked` holds the page's elements with a name (among others), so any form the page has.
void EnsurePortalForm(DomDocument& page, const DomNode& body, const platform::DomNodeList& marked) {
  for (const DomNode& form : marked) {
    if (form.nodeName() == "form" && form.getAttribute("name") == "portal" && IsBelow(form, body))
      return;
  }
  const DomNode form = ElementWith(page, "form", {{"name", "portal"}, {"method", "POST"}});
  form.appendChild(
      ElementWith(page, "input", {{"type", "hidden"}, {"name", "operation"}, {"value", "same"}}));
  for (const char* name : {"templateID", "artifactID", "projectID"}) {
    form.appendChild(
        ElementWith(page, "input", {{"type", "hidden"}, {"name", name}, {"value", ""}}));
  }
  body.insertBefore(form, body.firstChild());
}

// The page's own script file, "<template name>.js", after the script block; the element added,
// or the null handle when the page already has it.
DomNode AddScriptFile(DomDocument& page, const DomNode& head, const DomNode& scriptBlock,
                      const std::string& source) {
  for (const DomNode& script : head.selectNodes("script")) {
    if (script.getAttribute("src") == source) return {};
  }
  const DomNode script =
      ElementWith(page, "script", {{"language", "javaScript"}, {"type", "text/javascript"}});
  script.setAttribute("src", source);
  script.appendChild(page.createComment(""));
  return head.insertBefore(script, scriptBlock.nextSibling());
}

// The path of a file in the companion folder relative to the page ("./plan_files/image001.gif"),
// or the empty text for a path elsewhere. Word writes the folder relative, with backslashes or
// blanks as "%20"; absolute paths and file URLs also occur.
std::string RelativeCompanionPath(const std::string& source, const std::string& companionFolder) {
  std::string path = Slashed(source);
  const std::string lower = LowercaseCopy(path);
  if (StartsWith(lower, "file://")) {
    path.erase(0, 7);
    // "file:///C:/t" names "C:/t"; "file:///t" names "/t".
    if (path.size() >= 3 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  }
  const std::string folder = Slashed(companionFolder);
  const std::string folderName = folder.substr(folder.rfind('/') + 1);
  const std::string written = "./" + BlanksAsPercent20(folderName) + "/";
  for (const std::string& prefix :
       {folder + "/", "./" + folderName + "/", folderName + "/",
        "./" + BlanksAsPercent20(folderName) + "/", BlanksAsPercent20(folderName) + "/"}) {
    if (StartsWith(path, prefix) && path.size() > prefix.size()) {
      return written + path.substr(prefix.size());
    }
  }
  return {};
}

// Makes the source of `element` relative to the page when the element is of a kind that
// ".//v:imagedata[@src]", ".//img[@src]", ".//SCRIPT[@src]" or ".//script[@src]" selects. Each
// element's path is rewritten on its own, so the order of the elements does not matter.
void RewriteCompanionPath(const DomNode& element, const std::string& companionFolder) {
  if (!element.hasAttribute("src")) return;
  const std::string name = element.nodeName();
  if (name != "v:imagedata" && name != "img" && name != "SCRIPT" && name != "script") return;
  const std::string relative = RelativeCompanionPath(element.getAttribute("src"), companionFolder);
  if (!relative.empty()) element.setAttribute("src", relative);
}

// A script call's first argument and what follows it up to the end of the call.
struct CallArguments {
  std::string first;
  std::string second;  // the second argument when it is quoted, else empty
  std::string rest;    // from just after the first argument, e.g. ",'t','','0')"
};

// Reads a quoted argument at `at` (after blanks); false when there is none. `end` is just past it.
bool QuotedAt(const std::string& text, std::size_t at, std::string& value, std::size_t& end) {
  while (at < text.size() && text[at] == ' ') ++at;
  if (at >= text.size() || (text[at] != '\'' && text[at] != '"')) return false;
  const std::size_t close = text.find(text[at], at + 1);
  if (close == std::string::npos) return false;
  value = text.substr(at + 1, close - at - 1);
  end = close + 1;
  return true;
}

bool ParseCall(const std::string& href, CallArguments& call) {
  const std::size_t open = href.find('(');
  if (open == std::string::npos) return false;
  std::size_t end = 0;
  if (QuotedAt(href, open + 1, call.first, end)) {
    call.rest = href.substr(end);
  } else {
    // An unquoted first argument runs up to the next "," or ")".
    end = href.find_first_of(",)", open + 1);
    if (end == std::string::npos) return false;
    call.first = href.substr(open + 1, end - open - 1);
    call.rest = href.substr(end);
  }
  if (call.rest.find(')') == std::string::npos) call.rest += ")";
  std::size_t secondEnd = 0;
  if (StartsWith(call.rest, ",")) QuotedAt(call.rest, 1, call.second, secondEnd);
  return true;
}

// Every link that calls the portal's page script becomes an entry of the outline, and its call
// is written again with the escaped target, so that no text of the page breaks out of it. The
// links are the a elements with an href among `marked`.
void RegisterPortalLinks(WebPageGenerator& generator, const platform::DomNodeList& marked) {
  for (const DomNode& link : marked) {
    if (link.nodeName() != "a" || !link.hasAttribute("href")) continue;
    const std::string href = link.getAttribute("href");
    const std::string lower = LowercaseCopy(href);
    const bool getPage = StartsWith(lower, kGetPage);
    if (!getPage && !StartsWith(lower, kGetUrl)) continue;
    CallArguments call;
    if (!ParseCall(href, call)) {
      platform::Log("Portal link without its argument left as written: " + href,
                    platform::kLogWarning);
      continue;
    }
    const std::string shown = link.text();
    const std::string target = DecodeReference(call.first);
    if (getPage) {
      generator.registerOutlineEntry(shown.empty() ? call.first : shown, call.first, call.second,
                                     "", "", "");
      link.setAttribute("href",
                        "javascript:getPage('" + EscapeScriptArgument(target) + "'" + call.rest);
      continue;
    }
    if (IsScriptUrl(target)) {
      platform::Log("Script URL dropped from a getURL link: " + href, platform::kLogWarning);
      link.removeAttribute("href");
      continue;
    }
    const std::string url = NormaliseUrl(Slashed(target));
    const std::string id =
        generator.registerOutlineEntry(shown.empty() ? url : shown, url, "", "", url, "");
    link.setAttribute("href", "javascript:getProxy('" + EscapeScriptArgument(id) + "')");
    // The call must run in this window, where the portal's script is; a new window has none.
    link.setAttribute("target", "_self");
  }
}

}  // namespace

std::string WebPageGenerator::registerOutlineEntry(const std::string& label,
                                                   const std::string& artifactId,
                                                   const std::string& templ,
                                                   const std::string& image, const std::string& url,
                                                   const std::string& frame) {
  if (!outlineDocument()) {
    platform::Log("No outline to register " + label + " in: the page is not being generated",
                  platform::kLogWarning);
    return {};
  }
  return AppendOutlineEntry(*outlineDocument(), outlineIds(),
                            {label, artifactId, templ, image, url, frame},
                            std::chrono::system_clock::now());
}

bool WebPageGenerator::completePage(const RequestTexts& /*request*/) {
  try {
    const std::shared_ptr<DomDocument>& page = templateDocument();
    const DomNode root = page ? page->documentElement() : DomNode();
    if (!root) {
      setStatus(QuireStatus(kProcessingError, "Page completion: the page has no document element"));
      return false;
    }
    const DomNode head = HeadOf(*page, root);
    const DomNode scriptBlock = EnsureScriptBlock(*page, head);
    // One walk of the page finds what the steps below look at: forms, sources and links. What
    // the steps add themselves is a form without any and the page's script file.
    const platform::DomNodeList marked = root.descendantsWithAnyAttribute({"name", "src", "href"});
    const DomNode pageBody = body();
    if (pageBody) EnsurePortalForm(*page, pageBody, marked);
    const DomNode scriptFile =
        AddScriptFile(*page, head, scriptBlock, BaseName(templatePath()) + ".js");
    const std::string folder = companionFolder();
    for (const DomNode& element : marked) RewriteCompanionPath(element, folder);
    if (scriptFile) RewriteCompanionPath(scriptFile, folder);
    RegisterPortalLinks(*this, marked);
  } catch (const platform::ComError&) {
    setStatus(CurrentExceptionStatus("Page completion: "));
    return false;
  }
  return true;
}
