// The ELF (PJW) string hash used for text keys of CX_TTable.
#pragma once

#include <cstdint>
#include <string>

// Hashes the bytes of text, read as unsigned: h = h * 16 + byte; the top four bits of h, when any
// is set, are folded into bits 4..7 and cleared. The empty text hashes to 0. Pure, any thread.
inline uint32_t CX_ElfHash(const std::string& text) {
  uint32_t h = 0;
  for (const char c : text) {
    h = (h << 4) + static_cast<unsigned char>(c);
    const uint32_t high = h & 0xF0000000u;
    if (high != 0) h ^= high >> 24;
    h &= ~high;
  }
  return h;
}
