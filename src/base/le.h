// Little-endian field decoding. Every multi-byte number in a BIN file and in
// the ROM image is little-endian; fields are assembled from bytes so that the
// code never depends on the host's byte order or on structure layout.
#pragma once

#include <cstdint>

namespace romscope {

inline uint16_t Read16le(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Read32le(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t Read64le(const uint8_t* p) {
  return static_cast<uint64_t>(Read32le(p)) | (static_cast<uint64_t>(Read32le(p + 4)) << 32);
}

}  // namespace romscope
