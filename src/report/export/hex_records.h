// The lines of Motorola S-records and Intel HEX, filled in place in the
// writer. Data records hold the bytes of one 16-byte-aligned block of
// addresses each: 16 bytes, fewer only where held bytes begin or end inside
// a block. So no data record crosses a 64 KiB boundary. Upper-case hex, and
// "\n" after every line on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/writer.h"

namespace romscope {

// S0 (the header, "romscope"), S3 data records with 32-bit addresses, S7
// with the entry address. Each checksum is the ones' complement of the low
// byte of the sum of the count, address and data bytes.
class SrecLines {
 public:
  explicit SrecLines(Writer& out) : out_(out) {}
  void Header();
  // The bytes of [address, address + size), which must not pass 2^32.
  void Data(uint32_t address, const uint8_t* data, size_t size);
  void End(uint32_t entry);

 private:
  Writer& out_;
};

// Type 04 (extended linear address) before the first data record of each
// 64 KiB segment, type 00 data records, type 05 (start linear address) with
// the entry address when there is one, and the end record. Each checksum is
// the two's complement of the low byte of the sum of the record's bytes.
class IhexLines {
 public:
  explicit IhexLines(Writer& out) : out_(out) {}
  void Data(uint32_t address, const uint8_t* data, size_t size);
  void End(std::optional<uint32_t> entry);

 private:
  void Segment(uint16_t upper);

  Writer& out_;
  std::optional<uint16_t> upper_;  // the segment the last 04 record chose
};

}  // namespace romscope
