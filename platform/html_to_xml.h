// Word-processor HTML turned into well-formed XML that the document layer loads, byte by byte (no
// character-set conversion beyond UTF-16 with a byte-order mark, which becomes UTF-8). Templates
// and formatted-text values go through the same rules.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The converted text of HTML bytes: tags closed and their attribute values quoted, downlevel
// conditionals dropped, list and empty-paragraph markers inserted, the four known HTML entities
// rewritten, an XML declaration added from "charset=" and the text cut after "</html>". A UTF-8
// byte-order mark is dropped and UTF-16 with one is decoded; either makes the declaration and
// the charset value "utf-8". With keepVml false, vector-graphics conditional comments are dropped
// whole. Pure; any thread.
std::string ConvertHtmlToXml(std::string_view bytes, bool keepVml);

// The encoding that ConvertHtmlToXml declares for these bytes: "utf-8" after a byte-order mark,
// else the value of the meta tag's "charset=" (empty when the bytes have an XML declaration of
// their own or no charset). Pure; any thread.
std::string DeclaredCharset(std::string_view bytes);

}  // namespace platform
