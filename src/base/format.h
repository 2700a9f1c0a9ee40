// Small formatting helpers for the hot output paths, where a printf-style
// call per field would dominate the run time. Each writes into a buffer and
// returns the position after what it wrote.
#pragma once

#include <cstdint>
#include <cstring>

namespace romscope {

// "00".."FF": two upper-case digits for each byte value, stored back to back.
struct HexPairTable {
  char pairs[512];
  constexpr HexPairTable() : pairs() {
    const char* digits = "0123456789ABCDEF";
    for (size_t i = 0; i < 256; ++i) {
      pairs[2 * i] = digits[i >> 4];
      pairs[2 * i + 1] = digits[i & 15];
    }
  }
};
inline constexpr HexPairTable kHexPairs{};

inline char* PutHexByte(char* p, uint8_t value) {
  std::memcpy(p, kHexPairs.pairs + 2 * size_t{value}, 2);
  return p + 2;
}

// Eight upper-case hexadecimal digits, as "%08X".
inline char* PutHex8(char* p, uint32_t value) {
  p = PutHexByte(p, static_cast<uint8_t>(value >> 24));
  p = PutHexByte(p, static_cast<uint8_t>(value >> 16));
  p = PutHexByte(p, static_cast<uint8_t>(value >> 8));
  return PutHexByte(p, static_cast<uint8_t>(value));
}

// An unsigned decimal number right-aligned in `width` places, as "%*llu".
inline char* PutDecimal(char* p, uint64_t value, int width) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int pad = width - count; pad > 0; --pad) *p++ = ' ';
  while (count > 0) *p++ = digits[--count];
  return p;
}

inline char* PutText(char* p, const char* text, size_t size) {
  std::memcpy(p, text, size);
  return p + size;
}

template <size_t N>
inline char* PutLiteral(char* p, const char (&text)[N]) {
  return PutText(p, text, N - 1);
}

}  // namespace romscope
