// The texts of links in a generated page: in-page anchor names, decoded object references, URLs
// given a scheme, the text a URL value shows, and the script URLs a page must never link to.
#pragma once

#include <cstdint>
#include <string>

// The in-page anchor name of a link text: from its first letter on, letters and digits only, the
// last 39 of them, starting with a letter ("12 Main-Req #4" gives "MainReq4"); empty for a text
// without letters. Pure; any thread.
std::string AnchorNameOf(const std::string& text);

// An object reference with every "%HH" and "\xHH" (two hexadecimal digits) replaced by the byte
// with that code; a code of 0 and incomplete forms stay as written. Pure; any thread.
std::string DecodeReference(const std::string& text);

// `text` with a scheme: texts whose part before the first ":" is http, https, file, ftp or mailto
// (any case) stay as they are; others get "file://" in front when their extension is htm or html,
// "mailto:" when they have another extension and hold "@", and "file://" otherwise. Pure.
std::string NormaliseUrl(const std::string& text);

// Whether `text` starts with a URL scheme whose value is shown by name rather than as written:
// http, https, ftp, file or mailto (any case). Pure; any thread.
bool IsUrlValue(const std::string& text);

// What a URL value shows: for mailto the address up to "@"; otherwise the last segment of the
// path without its extension; "No Name" when that is empty. Pure; any thread.
std::string ShownUrlText(const std::string& url);

// What a DISPLAY of `valueText` shows, given the reached object's reference `linkText` and the
// link flags: a URL value by ShownUrlText; with flag bit 1 (link kinds 2 and 3) the decoded
// reference without surrounding blanks, "-Not-Named-" when that is empty; else the value. Pure.
std::string ShownValueText(std::string valueText, const std::string& linkText, uint8_t flags);

// Whether following `url` would run a script (javascript: or vbscript:, any case, with the blanks
// and control characters a browser ignores). Such URLs are never written into a page. Pure.
bool IsScriptUrl(const std::string& url);
