// The "\x" escaping of names and locators, and its inverse.
//
// Each call builds its result in its own storage, so every function here may run on several
// threads at once. A null text gives the empty text. The std::string forms take every byte of
// the string, NUL bytes included.
#pragma once

#include <string>

// Every byte that is not an ASCII letter or digit becomes "\x" and two upper-case hexadecimal
// digits; letters and digits are copied.
std::string EscapeNonAlphanumeric(const char* text);
std::string EscapeNonAlphanumeric(const std::string& text);

// Every white-space byte (space, tab, line feed, vertical tab, form feed, carriage return) and
// every backslash becomes "\x" and two upper-case hexadecimal digits; other bytes are copied.
std::string EscapeBlanks(const char* text);
std::string EscapeBlanks(const std::string& text);

// Undoes the escapes: "\x" and two hexadecimal digits give the byte of that value; a backslash
// and up to three decimal digits give their value in base 8 modulo 256 (an 8 or 9 counts with
// its own value, so "\18" is 1 * 8 + 8); a backslash and any other character give that
// character (so "\x" without two hexadecimal digits gives "x"); a backslash at the very end is
// dropped. Every other byte is copied. Never reads past the end of the text.
std::string Unescape(const char* text);
std::string Unescape(const std::string& text);

// "0" to "9" give 0 to 9, "A" to "F" and "a" to "f" give 10 to 15, anything else gives 0.
int HexDigitValue(char character);

// One word of a POSIX shell's command line that stands for exactly `text`: the text in single
// quotes, each inner single quote written '\''. Nothing in it is expanded or run by the shell.
std::string ShellWord(const std::string& text);
