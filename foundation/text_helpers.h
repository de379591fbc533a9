// Splitting and case changes on the library's byte-string texts.
//
// Texts are UTF-8. Every byte of a multibyte UTF-8 character is 0x80 or above, so a byte-wise
// search for an ASCII separator never stops inside a character, and changing only the ASCII
// letters leaves every other character intact. All functions work on their arguments only and
// may run on any thread.
#pragma once

#include <string>
#include <string_view>

// Cuts the text at its first separator: head receives what comes before it and the text keeps
// what follows it; true. Without a separator, head receives the whole text, the text becomes
// empty and the result is false.
bool SplitHead(std::string& text, std::string& head, char separator);

// As SplitHead, at the last separator of the text.
bool SplitTail(std::string& text, std::string& head, char separator);

// A copy of the text; a null text gives the empty text.
std::string CX_Copy(const char* text);
std::string CX_Copy(const std::string& text);

// Changes the bytes "a" to "z" to "A" to "Z" in place; every other byte is kept.
void CX_ApplyUppercase(std::string& text);

// Changes the bytes "A" to "Z" to "a" to "z" in place; every other byte is kept.
void CX_ApplyLowercase(std::string& text);

// An upper-case (lower-case) copy of the text, ASCII letters only.
std::string UppercaseCopy(const std::string& text);
std::string LowercaseCopy(const std::string& text);

// The text without the blanks, tabs, carriage returns and line feeds at either end.
std::string_view TrimmedBlanks(std::string_view text);

// Whether the texts are equal when ASCII letters are compared without regard to case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
