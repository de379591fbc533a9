// Escaping of texts written into a single-quoted argument of a script call in the page, such as
// the target of "javascript:getPage('...')".
#pragma once

#include <string>

// The text made safe inside '...' of a script call that may stand in an href: backslash, quote,
// double quote, "<", ">", "%" and control characters (line breaks included) become "\x" and two
// upper-case hexadecimal digits; NUL bytes are dropped; every other byte is kept. Only "\xHH"
// forms are written, so decoding the result as a reference (which undoes "\xHH") gives the text
// back, and escaping that again gives the same result. Pure; any thread.
std::string EscapeScriptArgument(const std::string& text);
