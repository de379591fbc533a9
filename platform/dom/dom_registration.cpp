#include "platform/com_factory.h"
#include "platform/dom/dom_document.h"

namespace platform {

void RegisterDomDocumentClass() {
  ComFactory::Register("MSXML.DOMDocument",
                       []() -> std::shared_ptr<ComObject> { return DomDocument::Create(); });
}

namespace {

// Registered at start-up wherever this file is linked in; callers that link the platform library
// statically call RegisterDomDocumentClass themselves, which also pulls this file in.
[[maybe_unused]] const bool kRegisteredAtStartUp = (RegisterDomDocumentClass(), true);

}  // namespace
}  // namespace platform
