// The document class in the COM-like factory, and NewDomDocument, which makes documents there.
#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "platform/dom/dom_document.h"

namespace platform {

namespace {

constexpr char kDomDocumentProgId[] = "MSXML.DOMDocument";

}  // namespace

void RegisterDomDocumentClass() {
  ComFactory::Register(kDomDocumentProgId,
                       []() -> std::shared_ptr<ComObject> { return DomDocument::Create(); });
}

std::shared_ptr<DomDocument> NewDomDocument() {
  try {
    return std::dynamic_pointer_cast<DomDocument>(ComFactory::Create(kDomDocumentProgId));
  } catch (const ComError&) {
    return nullptr;
  }
}

namespace {

// Registered at start-up wherever this file is linked in; callers that link the platform library
// statically call NewDomDocument or RegisterDomDocumentClass, which also pulls this file in.
[[maybe_unused]] const bool kRegisteredAtStartUp = (RegisterDomDocumentClass(), true);

}  // namespace
}  // namespace platform
