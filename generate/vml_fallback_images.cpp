#include "generate/vml_fallback_images.h"

#include <algorithm>
#include <string>

#include "commands/command_text.h"
#include "foundation/text_helpers.h"

using platform::DomNode;

namespace {

constexpr char kCarriageReturn = '\r';

bool FollowsVmlShape(const DomNode& image) {
  const DomNode before = image.previousSibling();
  return before && before.nodeType() == platform::kDomElement &&
         LowercaseCopy(before.tagName()) == "v:shape";
}

// The script text: the image markup, stripped of its double quotes so that it fits the string
// literal, written inside a conditional that only browsers without VML honour.
std::string FallbackScript(const DomNode& image) {
  std::string markup = image.xml();
  markup.erase(std::remove(markup.begin(), markup.end(), '"'), markup.end());
  return std::string(1, kCarriageReturn) + "document.write(\"<![if !vml]>" + markup +
         "<![endif]>\")" + kCarriageReturn + "// ";
}

}  // namespace

void WrapVmlFallbackImages(platform::DomDocument& document) {
  const DomNode root = document.documentElement();
  if (!root) return;
  for (const DomNode image : root.selectNodes("body//img")) {
    const DomNode holder = image.parentNode();
    if (!holder) continue;
    // A DISPLAY's picture is generated, so its placeholder stays as it is.
    if (CommandKindOf(holder.getAttribute(kCommandAttribute)) == CommandKind::kDisplay) continue;
    if (!FollowsVmlShape(image)) continue;
    WrapFallbackImage(document, image);
  }
}

DomNode WrapFallbackImage(platform::DomDocument& document, const DomNode& image) {
  const DomNode holder = image.parentNode();
  const DomNode script = document.createElement("SCRIPT");
  holder.insertBefore(script, image.nextSibling());
  script.appendChild(document.createComment(FallbackScript(image)));
  holder.removeChild(image);
  return script;
}
