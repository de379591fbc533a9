// The failure texts of the data-source domains: "%s" and "%d" forms filled in order and written
// as they are to the diagnostic stream.
#pragma once

#include <initializer_list>
#include <string>

// `format` with each "%s" or "%d" replaced by the next argument, in order.
std::string FillFailureText(const char* format, std::initializer_list<std::string> arguments);
// Writes the text to the standard error stream (which the log receives) and flushes it.
void WriteFailureText(const std::string& text);
