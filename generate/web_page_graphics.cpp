// The pictures that DISPLAY commands of graphic values write into the page.
#include "commands/field.h"
#include "foundation/quire_status.h"
#include "generate/web_page_generator.h"
#include "platform/log.h"

using platform::DomNode;

bool WebPageGenerator::writeGraphicValue(QuireBindingList& /*context*/, const DomNode& element,
                                         const Field& field) {
  QuireStatus printStatus;
  platform::Log("Pictures are written by a later step; the placeholder of " +
                    field.print(printStatus) + " stays (" + element.nodeName() + ")",
                platform::kLogDebug);
  return true;
}
