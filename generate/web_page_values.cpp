// The values that DISPLAY commands write into the page: texts and lines, links to anchors, portal
// pages and URLs, formatted text with its pictures, and the template's own object hyperlinks.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "commands/field.h"
#include "commands/modifier_flags.h"
#include "foundation/host_hooks.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "generate/formatted_text.h"
#include "generate/link_texts.h"
#include "generate/picture_files.h"
#include "generate/script_escaping.h"
#include "generate/template_annotator.h"
#include "generate/template_comments.h"
#include "generate/value_text.h"
#include "generate/web_page_generator.h"
#include "platform/dom/xml_encoding.h"
#include "platform/file_io.h"
#include "platform/html_to_xml.h"
#include "platform/log.h"

namespace {

namespace fs = std::filesystem;
using modifier_flags::kInPageLink;
using modifier_flags::kNewWindow;
using modifier_flags::kPassValueOrRegister;
using modifier_flags::kPortalPageLink;
using modifier_flags::kThroughProxy;
using modifier_flags::kUrlLink;
using platform::DomNode;

constexpr const char* kPictureMissing = "<picture missing>";
constexpr const char* kTemplateLinkPrefix = "$$";
// The outline entry of a registered URL: its template and, for a new window, its frame.
constexpr const char* kUrlEntryTemplate = "web:url:dynamic";
constexpr const char* kNewWindowFrame = "new";

// The element that carries a link: the command element when it is an `a`, else a new `a` inside
// it (the portal completion looks for `a` elements).
DomNode LinkElementIn(const DomNode& element) {
  if (LowercaseCopy(element.nodeName()) == "a") return element;
  element.setText("");
  return element.appendChild(element.ownerDocument()->createElement("a"));
}

void LogDroppedScriptUrl(const std::string& url) {
  platform::Log("A link to the script URL \"" + url + "\" was not written into the page",
                platform::kLogWarning);
}

// ---- Formatted text -----------------------------------------------------------------------

// The fragment as a document: Word's HTML made XML by the template rules. Bytes that are valid
// UTF-8 are read as UTF-8 whatever their meta tag names (a page stored after a conversion keeps
// its old charset), with entities such as "&middot;" written as UTF-8 characters: a byte-order
// mark in front tells the conversion so. Other bytes are read in their declared charset, Windows
// ANSI when they name none. A bare fragment gets a body.
std::shared_ptr<platform::DomDocument> ParseFragment(const std::string& html, std::string& error) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  const std::string lower = LowercaseCopy(html);
  const bool whole =
      lower.find("<body") != std::string::npos || lower.find("<html") != std::string::npos;
  std::string wrapped = whole ? html : "<html><body>" + html + "</body></html>";
  const bool utf8Bytes = platform::FindInvalidUtf8(html) == std::string::npos;
  if (utf8Bytes && !std::string_view(wrapped).starts_with(kUtf8Mark)) {
    wrapped.insert(0, kUtf8Mark);
  }
  std::string converted = platform::ConvertHtmlToXml(wrapped, false);
  auto document = platform::DomDocument::Create();
  if (utf8Bytes) {
    // Already the UTF-8 text the document takes; a declaration of its own naming another
    // encoding is not followed.
    if (!document->loadXML(converted)) {
      error = document->parseError().reason;
      return nullptr;
    }
    return document;
  }
  if (converted.find("<?xml") != 0) {
    converted.insert(0, "<?xml version=\"1.0\" encoding=\"windows-1252\"?>");
  }
  std::string utf8;
  std::string declared;
  platform::DomParseError decodeError;
  if (!platform::DecodeXmlBytes(converted, utf8, declared, decodeError)) {
    error = decodeError.reason;
    return nullptr;
  }
  if (!document->loadXML(utf8)) {
    error = document->parseError().reason;
    return nullptr;
  }
  return document;
}

// Word's formatted text is a value from a data source: it may not run script in the portal.
// Script elements, event attributes and script URLs go.
void RemoveScripts(const DomNode& root) {
  for (const DomNode& element : root.selectNodes(".//*")) {
    if (LowercaseCopy(element.nodeName()) == "script") {
      platform::Log("A script in formatted text was not written into the page",
                    platform::kLogWarning);
      const DomNode parent = element.parentNode();
      if (parent) parent.removeChild(element);
      continue;
    }
    for (const DomNode& attribute : element.selectNodes("@*")) {
      const std::string name = attribute.nodeName();
      if (LowercaseCopy(name).starts_with("on") || IsScriptUrl(attribute.nodeValue())) {
        platform::Log("The attribute " + name + " of formatted text was not written into the page",
                      platform::kLogWarning);
        element.removeAttribute(name);
      }
    }
  }
}

// The file a fragment's picture names: "file:" URLs and "%HH" forms undone; a relative path is
// taken from the template's folder. Empty for pictures that are not local files.
std::string PicturePathOf(const std::string& source, const std::string& templateFolder) {
  std::string path = DecodeReference(source);
  const std::string lower = LowercaseCopy(path);
  if (lower.starts_with("file:")) {
    path.erase(0, 5);
    if (path.starts_with("///")) {
      path.erase(0, 2);
    } else if (path.starts_with("//")) {
      path.erase(0, 2);
    }
  } else if (IsUrlValue(path) || lower.starts_with("data:")) {
    return "";
  }
  if (path.empty()) return "";
  const fs::path file(path);
  return file.is_absolute() || templateFolder.empty() ? path
                                                      : (fs::path(templateFolder) / file).string();
}

std::string ExtensionOf(const std::string& path) {
  const std::string extension = LowercaseCopy(fs::path(path).extension().string());
  return extension.size() > 1 ? extension.substr(1) : "";
}

std::string WithEncodedBlanks(const std::string& text) {
  std::string encoded;
  for (char c : text) encoded += c == ' ' ? std::string("%20") : std::string(1, c);
  return encoded;
}

// The folders that held pictures of a temporary export are emptied and removed once every
// picture is copied; never a folder that others share (the system's temporary folder, a root).
bool MayRemoveTemporaryFolder(const fs::path& folder, const std::string& companionFolder,
                              const std::string& templateFolder) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(folder, error);
  if (error || !fs::is_directory(canonical, error)) return false;
  if (canonical == canonical.root_path()) return false;
  for (const fs::path& kept : {fs::temp_directory_path(error), fs::path(companionFolder),
                               fs::path(templateFolder), fs::current_path(error)}) {
    std::error_code ignored;
    const fs::path keptCanonical = fs::weakly_canonical(kept, ignored);
    if (keptCanonical.empty()) continue;
    // The folder itself, or one that holds it.
    const auto [end, unused] = std::mismatch(canonical.begin(), canonical.end(),
                                             keptCanonical.begin(), keptCanonical.end());
    if (end == canonical.end()) return false;
  }
  return true;
}

// Replaces a picture that cannot be copied by a visible mark, so the page still loads.
void MarkPictureMissing(const DomNode& image, const std::string& why) {
  platform::Log(HostString(host_message::kPictureNotWritten) + " " + why, platform::kLogWarning);
  const DomNode parent = image.parentNode();
  if (!parent) return;
  const DomNode mark = image.ownerDocument()->createElement("span");
  mark.setText(kPictureMissing);
  parent.replaceChild(mark, image);
}

// Copies every picture of the fragment into the companion folder under the next "newimage" name
// and points its `src` there.
void CopyPictures(const DomNode& root, const std::string& companionFolder,
                  const std::string& templateFolder) {
  std::set<fs::path> temporaryFolders;
  const std::string folderName = fs::path(companionFolder).filename().string();
  for (const DomNode& image : root.selectNodes(".//img[@src]")) {
    const std::string source = image.getAttribute("src");
    const std::string path = PicturePathOf(source, templateFolder);
    if (path.empty()) continue;  // a picture on the web stays where it is
    std::string bytes;
    std::string reason;
    if (!platform::ReadWholeFile(path, bytes, reason)) {
      MarkPictureMissing(image, path + ": " + reason);
      continue;
    }
    const std::string format = PictureFormatOfBytes(bytes);
    if (format.empty()) {
      MarkPictureMissing(image, path + ": the file holds no picture.");
      continue;
    }
    if (!EnsureFolder(companionFolder)) {
      MarkPictureMissing(image, companionFolder + ": the folder cannot be made.");
      continue;
    }
    std::string extension = ExtensionOf(path);
    if (extension.empty()) extension = format;
    const std::string name = NextPictureName(companionFolder, extension);
    if (const int error = platform::ReplaceFile((fs::path(companionFolder) / name).string(), bytes);
        error != 0) {
      MarkPictureMissing(image, name + ": " + platform::SystemErrorText(error));
      continue;
    }
    image.setAttribute("src", "./" + WithEncodedBlanks(folderName + "/" + name));
    if (path.find("tmp") != std::string::npos) {
      temporaryFolders.insert(fs::path(path).parent_path());
    }
  }
  for (const fs::path& folder : temporaryFolders) {
    if (!MayRemoveTemporaryFolder(folder, companionFolder, templateFolder)) continue;
    std::error_code error;
    fs::remove_all(folder, error);
    if (error) {
      platform::Log(
          "The temporary folder " + folder.string() + " was not removed: " + error.message(),
          platform::kLogWarning);
    }
  }
}

}  // namespace

bool WebPageGenerator::writesPlainText(const Field& field) const {
  return field.attribute().type() != QuireType::GRAPHIC && !IsFormattedText(field.attribute()) &&
         modifier_flags::LinkKindOf(field.modifier().flags()) == 0;
}

bool WebPageGenerator::plainDisplayText(QuireBindingList& context, const Field& field,
                                        std::string& shown) {
  std::string valueText;
  std::string linkText;
  if (!evaluateDisplay(context, field, valueText, linkText)) return false;
  shown = ShownValueText(std::move(valueText), linkText, field.modifier().flags());
  return true;
}

bool WebPageGenerator::evaluateDisplay(QuireBindingList& context, const Field& field,
                                       std::string& valueText, std::string& linkText) {
  QuireStatus status;
  QuireObject reached;
  QuireAttributeValue value = field.evaluate(status, context, 0, linkText, reached);
  if (value.isUndefined() && !status.IsOk()) {
    if (status.Kind() != kNoResult) {
      QuireStatus printStatus;
      platform::Log(HostString(host_message::kDisplayValueNotEvaluated) + " " +
                        field.print(printStatus) + " (" + status.Text() + ")",
                    platform::kLogError);
      setStatus(status);
      return false;
    }
  } else {
    valueText = std::move(value).displayText();
  }
  return true;
}

bool WebPageGenerator::writeDisplayValue(QuireBindingList& context, const DomNode& element,
                                         const Field& field, const RequestTexts& /*request*/) {
  std::string valueText;
  std::string linkText;
  if (!evaluateDisplay(context, field, valueText, linkText)) return false;

  if (IsFormattedText(field.attribute())) return writeFormattedText(element, valueText);

  const uint8_t flags = field.modifier().flags();
  const uint8_t kind = modifier_flags::LinkKindOf(flags);
  const std::string shown = ShownValueText(valueText, linkText, flags);
  if (kind != kInPageLink && kind != kPortalPageLink && kind != kUrlLink) {
    WriteText(element, shown);
    return true;
  }
  const DomNode link = LinkElementIn(element);
  WriteText(link, shown);
  const std::string reference = DecodeReference(linkText);
  if (kind == kInPageLink) {
    link.setAttribute("href", "#" + AnchorNameOf(reference));
  } else if (kind == kPortalPageLink) {
    const Modifier* modifier = field.modifier().get();
    const std::string modifierText = modifier != nullptr ? modifier->text() : std::string();
    const std::string rest = (flags & kPassValueOrRegister) != 0
                                 ? "','','1','" + EscapeScriptArgument(valueText) + "','','1')"
                                 : "','','0','','','0')";
    link.setAttribute("href", "javascript:getPage('" + EscapeScriptArgument(reference) + "','" +
                                  EscapeScriptArgument(modifierText) + rest);
  } else {
    writeUrlLink(link, valueText, shown, linkText, flags);
  }
  return true;
}

void WebPageGenerator::writeUrlLink(const DomNode& link, const std::string& valueText,
                                    const std::string& shown, const std::string& linkText,
                                    uint8_t flags) {
  if (TrimmedBlanks(valueText).empty()) {
    platform::Log("A URL link without a URL (" + shown + ") is written as text",
                  platform::kLogDebug);
    return;
  }
  const bool newWindow = (flags & kNewWindow) != 0;
  if ((flags & kPassValueOrRegister) != 0) {
    std::string url = DecodeReference(valueText);
    for (char& c : url) {
      if (c == '\\') c = '/';
    }
    if (IsScriptUrl(url)) {
      LogDroppedScriptUrl(url);
      return;
    }
    const std::string id =
        registerOutlineEntry(shown, linkText, kUrlEntryTemplate, "", NormaliseUrl(url),
                             newWindow ? kNewWindowFrame : "");
    if ((flags & kThroughProxy) != 0) {
      // No target here: "_new" would open an empty window, where the portal's getProxy does not
      // exist, and the call would fail there.
      link.setAttribute("href", "javascript:getProxy('" + EscapeScriptArgument(id) + "')");
      return;
    }
  }
  if (IsScriptUrl(valueText)) {
    LogDroppedScriptUrl(valueText);
    return;
  }
  if (newWindow) link.setAttribute("target", "_new");
  link.setAttribute("href", NormaliseUrl(valueText));
}

bool WebPageGenerator::writeFormattedText(const DomNode& element, const std::string& html) {
  std::shared_ptr<platform::DomDocument> fragment;
  std::string error;
  if (!TrimmedBlanks(html).empty()) {
    fragment = ParseFragment(html, error);
    if (fragment == nullptr) {
      const std::string message = HostString(host_message::kFormattedTextUnparsable) + ": " + error;
      platform::Log(message, platform::kLogError);
      setStatus(QuireStatus(kEvaluationError, message));
      return false;
    }
  }
  element.removeAttribute("style");
  element.setText("");
  if (fragment == nullptr) return true;
  const DomNode root = fragment->documentElement();
  DomNode body = root.selectSingleNode("//body");
  if (!body) body = root;
  RemoveScripts(body);
  ForgetCommentPlaces(body);  // text from a data source names no comment of the template
  CopyPictures(body, companionFolder(), fs::path(templatePath()).parent_path().string());
  for (const DomNode& child : body.childNodes()) element.appendChild(child);
  noteMarkupInserted();
  return true;
}

void WebPageGenerator::rewriteTemplateHyperlinks(const DomNode& body,
                                                 const RequestTexts& /*request*/) {
  for (const DomNode& link : body.selectNodes(".//a[@href]")) {
    const std::string href = link.getAttribute("href");
    if (!href.starts_with(kTemplateLinkPrefix)) continue;
    // "$$" domain ":" class ":" a field the portal does not use ":" the object's arguments.
    const std::string reference = href.substr(std::string_view(kTemplateLinkPrefix).size());
    const std::size_t domainEnd = reference.find(':');
    const std::size_t classEnd =
        domainEnd == std::string::npos ? domainEnd : reference.find(':', domainEnd + 1);
    const std::size_t unusedEnd =
        classEnd == std::string::npos ? classEnd : reference.find(':', classEnd + 1);
    if (unusedEnd == std::string::npos) {
      platform::Log("The template hyperlink \"" + href + "\" names no object; it is left as is",
                    platform::kLogWarning);
      continue;
    }
    const std::string object = reference.substr(0, classEnd + 1) + reference.substr(unusedEnd + 1);
    link.setAttribute("href", "JavaScript:getPage('" +
                                  EscapeScriptArgument(DecodeReference(object)) +
                                  "','','0','','','1')");
  }
}
