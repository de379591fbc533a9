#include "generate/repeat_stamp.h"

#include <string_view>

#include "commands/command_text.h"
#include "commands/master_command.h"
#include "foundation/text_helpers.h"
#include "generate/page_formatting.h"
#include "generate/template_comments.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/xml_encoding.h"

namespace {

using platform::DomNode;
using platform::DomNodeList;

// The comment that stands for a gap while the copy is serialised. A template cannot hold it: a
// control character is not XML text.
constexpr char kGapText[] = "\x01";
constexpr std::string_view kGapMarkup = "<!--\x01-->";

std::string CommandText(const DomNode& element) { return element.getAttribute(kCommandAttribute); }
std::size_t NestedCommandCount(const DomNode& element) {
  return element.descendantsWithAttribute(kCommandAttribute).length();
}

// Whether the walk or the portal completion would look into the copy after its commands ran:
// forms, sources and links for the completion, tables for a table MASTER around it, which shows
// them, and rows, whose borders a table MASTER sets once the next copy is placed.
bool LookedIntoLater(const DomNode& copy, bool rowsAllowed) {
  for (const char* attribute : {"name", "src", "href"}) {
    if (copy.hasAttribute(attribute)) return true;
  }
  if (copy.descendantsWithAnyAttribute({"name", "src", "href"}).length() > 0) return true;
  const auto holds = [&copy](const char* element) {
    return LowercaseCopy(copy.nodeName()) == element || copy.descendantsNamed(element).length() > 0;
  };
  return holds("table") || (!rowsAllowed && holds("tr"));
}

// What `element` serialises to before and after a one-line text written into it.
void SplitAroundText(const DomNode& element, std::string& open, std::string& close) {
  constexpr std::string_view kProbe = "&#01;";  // a control character as the serialiser writes it
  const DomNode probe = element.cloneNode(true);
  probe.setText("\x01");
  const std::string xml = probe.xml();
  const std::size_t at = xml.find(kProbe);
  if (at == std::string::npos || xml.find(kProbe, at + 1) != std::string::npos) return;
  open = xml.substr(0, at);
  close = xml.substr(at + kProbe.size());
}

// Splits the serialised copy at its gap comments into `stamp`'s texts; false when they are not
// as many as its gaps.
bool SplitAtGaps(const std::string& xml, RepeatStamp& stamp) {
  std::size_t from = 0;
  for (std::size_t at = xml.find(kGapMarkup); at != std::string::npos;
       at = xml.find(kGapMarkup, from)) {
    stamp.texts.emplace_back(stamp.store->emplace_back(xml, from, at - from));
    from = at + kGapMarkup.size();
  }
  stamp.texts.emplace_back(stamp.store->emplace_back(xml, from));
  return stamp.texts.size() == stamp.gaps.size() + 1;
}

}  // namespace

bool IsDocumentText(std::string_view markup) {
  // The serialiser writes a control character as "&#" and two digits; tab, line feed and
  // carriage return (in attribute values) are allowed.
  for (std::size_t at = markup.find("&#"); at != std::string_view::npos;
       at = markup.find("&#", at + 2)) {
    const std::string_view digits = markup.substr(at + 2, 2);
    if (digits != "09" && digits != "10" && digits != "13") return false;
  }
  return platform::IsXmlText(markup);
}

std::unique_ptr<RepeatStamp> MakeRepeatStamp(const DomNode& repeat, const DomNode& copy,
                                             const StampCommands& commands, bool rowsAllowed,
                                             std::shared_ptr<StampTexts> store) {
  if (LookedIntoLater(copy, rowsAllowed)) return nullptr;
  const DomNodeList original = repeat.descendantsWithAttribute(kCommandAttribute);
  const DomNodeList elements = copy.descendantsWithAttribute(kCommandAttribute);
  if (original.length() != elements.length()) return nullptr;
  const auto document = copy.ownerDocument();
  auto stamp = std::make_unique<RepeatStamp>();
  stamp->store = store ? std::move(store) : std::make_shared<StampTexts>();
  for (std::size_t i = 0; i < elements.length(); ++i) {
    const DomNode element = elements.item(i);
    const std::string text = CommandText(element);
    StampGap gap;
    gap.command = original.item(i);
    switch (CommandKindOf(text)) {
      case CommandKind::kDisplay: {
        if (!commands.plainDisplay(text) || NestedCommandCount(element) > 0) return nullptr;
        gap.text = text;
        gap.scratch = element.cloneNode(true);
        ForgetCommentPlace(gap.scratch);
        SplitAroundText(gap.scratch, gap.open, gap.close);
        element.parentNode().replaceChild(document->createComment(kGapText), element);
        break;
      }
      case CommandKind::kMaster: {
        // Only an inner MASTER without a table, all of whose commands are its REPEAT's.
        const std::size_t nested = NestedCommandCount(element);
        if (nested == 0 || MasterCommand(text).hasTable()) return nullptr;
        const DomNode inner = elements.item(i + 1);
        const std::string innerText = CommandText(inner);
        if (!HasRepeatLetter(innerText) || !commands.flatRepeat(innerText)) return nullptr;
        if (nested != 1 + NestedCommandCount(inner)) return nullptr;
        gap.command = original.item(i + 1);
        gap.text = innerText;
        gap.copyBytes = inner.xml().size();
        gap.inner =
            MakeRepeatStamp(gap.command, inner.cloneNode(true), commands, false, stamp->store);
        if (!gap.inner) return nullptr;
        // The inner copies go before their template, which the walk then hides.
        inner.parentNode().insertBefore(document->createComment(kGapText), inner);
        HideElement(inner);
        MarkRegion(inner, true);
        i += nested;
        break;
      }
      default:
        return nullptr;
    }
    stamp->gaps.push_back(std::move(gap));
  }
  ForgetCommentPlaces(copy);
  if (!SplitAtGaps(copy.xml(), *stamp)) return nullptr;
  stamp->clean = true;
  for (const std::string_view text : stamp->texts) {
    if (!IsDocumentText(text)) stamp->clean = false;
  }
  for (const StampGap& gap : stamp->gaps) {
    if (gap.inner && !gap.inner->clean) stamp->clean = false;
  }
  return stamp;
}
