// Little-endian field decoding. Every multi-byte number in a BIN file and in
// the ROM image is little-endian; fields are assembled from bytes so that the
// code never depends on the host's byte order or on structure layout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace romscope {

constexpr uint16_t Read16le(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr uint32_t Read32le(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint64_t Read64le(const uint8_t* p) {
  return static_cast<uint64_t>(Read32le(p)) | (static_cast<uint64_t>(Read32le(p + 4)) << 32);
}

// Reads the fields of one on-image structure in order, each from the bytes
// right after the previous one; Skip passes over bytes nothing interprets.
class FieldCursor {
 public:
  constexpr explicit FieldCursor(const uint8_t* bytes) : bytes_(bytes) {}
  constexpr uint16_t U16() {
    const uint16_t value = Read16le(bytes_ + at_);
    at_ += 2;
    return value;
  }
  constexpr uint32_t U32() {
    const uint32_t value = Read32le(bytes_ + at_);
    at_ += 4;
    return value;
  }
  constexpr uint64_t U64() {
    const uint64_t value = Read64le(bytes_ + at_);
    at_ += 8;
    return value;
  }
  template <size_t N>
  constexpr void Bytes(uint8_t (&dst)[N]) {
    for (size_t i = 0; i < N; ++i) dst[i] = bytes_[at_ + i];
    at_ += N;
  }
  constexpr void Read(uint16_t& value) { value = U16(); }
  constexpr void Read(uint32_t& value) { value = U32(); }
  constexpr void Read(uint64_t& value) { value = U64(); }
  constexpr void Skip(size_t count) { at_ += count; }
  constexpr size_t Offset() const { return at_; }

 private:
  const uint8_t* bytes_;
  size_t at_ = 0;
};

}  // namespace romscope
