// The flags of a DISPLAY modifier (its two hexadecimal digits): the link kind in the low three
// bits, and what a link does with the value and where it opens.
#pragma once

#include <cstdint>

namespace modifier_flags {

inline constexpr uint8_t kLinkKindMask = 0x07;
inline constexpr uint8_t kInPageLink = 1;      // to an anchor of the page
inline constexpr uint8_t kPortalPageLink = 2;  // to a portal page; the text names its template
inline constexpr uint8_t kUrlLink = 3;         // to the URL the value holds
// Link kinds 2 and 3 show the reached object's reference rather than the value.
inline constexpr uint8_t kShowsReference = 0x02;
// A portal page link passes the value along; a URL link is registered in the outline.
inline constexpr uint8_t kPassValueOrRegister = 0x08;
inline constexpr uint8_t kThroughProxy = 0x10;  // a registered URL opens through the portal
inline constexpr uint8_t kNewWindow = 0x20;

constexpr uint8_t LinkKindOf(uint8_t flags) { return flags & kLinkKindMask; }

// Whether the modifier carries a text after its flags: a portal page link's template.
constexpr bool CarriesText(uint8_t flags) { return LinkKindOf(flags) == kPortalPageLink; }

}  // namespace modifier_flags
