// Document objects made through the class factory from the document class's ProgID.
#include "agent/document_object.h"

#include "foundation/host_hooks.h"
#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "platform/log.h"

namespace {

constexpr char kDocumentProgId[] = "MSXML.DOMDocument";
constexpr unsigned kCannotCreateDocumentMessage = 40531;

// Registers the document class at load time; this reference also links it in from the static
// platform library, whose own start-up registration would otherwise be left out.
[[maybe_unused]] const bool kDocumentClassRegistered = (platform::RegisterDomDocumentClass(), true);

}  // namespace

// The ProgID is fixed and not a class id, so no "{" form needs handling.
std::shared_ptr<platform::DomDocument> NewDocumentObject() {
  try {
    return std::dynamic_pointer_cast<platform::DomDocument>(
        platform::ComFactory::Create(kDocumentProgId));
  } catch (const platform::ComError&) {
    return nullptr;
  }
}

std::shared_ptr<platform::DomDocument> NewRequestDocument() {
  std::shared_ptr<platform::DomDocument> document = NewDocumentObject();
  if (!document) {
    platform::Log(HostString(kCannotCreateDocumentMessage), platform::kLogCriticalError);
  }
  return document;
}
