// The closing step of template annotation: a picture that Word saved as a VML shape followed by a
// fallback image is rewritten so that only browsers without VML draw the fallback.
#pragma once

#include "platform/dom/dom_document.h"

// Replaces every img under body that directly follows a "v:shape" element, and whose parent is
// not a DISPLAY command element, by a SCRIPT element whose comment writes the image for browsers
// without VML. Changes the document in place; raises platform::ComError when a DOM call fails.
void WrapVmlFallbackImages(platform::DomDocument& document);

// Replaces `image` (which has a parent) by the SCRIPT element that writes it for browsers without
// VML, the same script as above, and returns that SCRIPT. Raises platform::ComError when a DOM
// call fails.
platform::DomNode WrapFallbackImage(platform::DomDocument& document,
                                    const platform::DomNode& image);
