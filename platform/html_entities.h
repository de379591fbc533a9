// The named character references of HTML that XML does not know, so that a template written
// with them ("&copy;", "&eacute;", "&euro;") still loads once converted.
#pragma once

#include <string_view>

namespace platform {

// The code point of the HTML entity `name` (without "&" and ";"), or -1 when HTML has no such
// entity. Names compare exactly (HTML entity names are case-sensitive).
int HtmlEntityCodePoint(std::string_view name);

}  // namespace platform
