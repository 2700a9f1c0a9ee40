// The ROM header record, root of a table of contents, and where the tables
// behind it lie. Addresses inside the table of contents are table addresses;
// a record holds them at table address + ROMOFFSET.
#pragma once

#include <cstddef>
#include <cstdint>

namespace romscope {

inline constexpr size_t kRomHeaderSize = 84;
inline constexpr uint32_t kRomSignature = 0x524B524B;  // "KRKR" read little-endian
inline constexpr size_t kRomSignatureRecordSize = 8;

// Entry sizes of the tables that hang from the header.
inline constexpr uint32_t kTocEntrySize = 32;
inline constexpr uint32_t kFileEntrySize = 28;
inline constexpr uint32_t kCopyEntrySize = 16;
inline constexpr uint32_t kProfileEntrySize = 32;

struct ROMHDR {
  uint32_t ulDllFirst = 0;  // two 16-bit halves, each the upper half of an address
  uint32_t ulDllLast = 0;
  uint32_t ulPhysFirst = 0;
  uint32_t ulPhysLast = 0;
  uint32_t ulNumModules = 0;
  uint32_t ulRamStart = 0;
  uint32_t ulRamFree = 0;
  uint32_t ulRamEnd = 0;
  uint32_t ulNumCopyEntries = 0;
  uint32_t ulCopyEntriesOffset = 0;
  uint32_t ulProfSymbolOffset = 0;
  uint32_t ulNumFiles = 0;
  uint32_t ulKernelFlags = 0;
  uint16_t usCpu = 0;
  uint16_t usMiscFlags = 0;
  uint32_t ulExtensions = 0;
};

// Decodes the 84 bytes of a header; the bytes at 0x28, 0x38..0x43 and
// 0x4C..0x53 carry nothing the tool uses.
ROMHDR DecodeRomHeader(const uint8_t* bytes);

// The module table lies right behind the header, the file table right
// behind the module table; both sums wrap at 2^32.
inline uint32_t ModuleTableAddress(uint32_t pTOC) {
  return pTOC + static_cast<uint32_t>(kRomHeaderSize);
}
inline uint32_t FileTableAddress(uint32_t pTOC, uint32_t numModules) {
  return ModuleTableAddress(pTOC) + kTocEntrySize * numModules;
}

// A table's byte size, without wraparound, so that an oversized table is
// refused by the reader rather than read short.
inline uint64_t TableBytes(uint32_t count, uint32_t entrySize) {
  return static_cast<uint64_t>(count) * entrySize;
}

}  // namespace romscope
