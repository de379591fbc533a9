// A 4x2 PNG picture as the hexadecimal text of an SQL blob literal (x'...'), for the data-source
// requests that export a picture column.
#pragma once

#include <gd.h>

#include <cstdio>
#include <string>

namespace test_support {

inline std::string SmallPngHex() {
  gdImagePtr made = gdImageCreateTrueColor(4, 2);
  int size = 0;
  void* png = gdImagePngPtr(made, &size);
  std::string hex;
  for (int i = 0; i < size; ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<const unsigned char*>(png)[i]);
    hex += digits;
  }
  gdFree(png);
  gdImageDestroy(made);
  return hex;
}

}  // namespace test_support
