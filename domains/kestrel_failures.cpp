// Failure texts of the data-source domains.
#include "domains/kestrel_failures.h"

#include <cstdio>

std::string FillFailureText(const char* format, std::initializer_list<std::string> arguments) {
  std::string text;
  auto next = arguments.begin();
  for (const char* at = format; *at != '\0'; ++at) {
    if (at[0] == '%' && (at[1] == 's' || at[1] == 'd') && next != arguments.end()) {
      text += *next++;
      ++at;
    } else {
      text += *at;
    }
  }
  return text;
}

void WriteFailureText(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}
