// The ROM header record, root of a table of contents, and where the tables
// behind it lie. Addresses inside the table of contents are table addresses;
// a record holds them at table address + ROMOFFSET.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/le.h"

namespace romscope {

inline constexpr uint32_t kRomSignature = 0x524B524B;  // "KRKR" read little-endian

// The 8-byte record that names a header: the signature word, then pTOC.
struct RomSignatureRecord {
  static constexpr size_t kSize = 8;
  uint32_t signature = 0;
  uint32_t pTOC = 0;

  static constexpr RomSignatureRecord Decode(FieldCursor& c) {
    RomSignatureRecord r;
    r.signature = c.U32();
    r.pTOC = c.U32();
    return r;
  }
};
static_assert(DecodedSize<RomSignatureRecord>() == RomSignatureRecord::kSize);

struct ROMHDR {
  static constexpr size_t kSize = 84;
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

  // The bytes at 0x28, 0x38..0x43 and 0x4C..0x53 carry nothing the tool uses.
  static constexpr ROMHDR Decode(FieldCursor& c) {
    ROMHDR h;
    h.ulDllFirst = c.U32();
    h.ulDllLast = c.U32();
    h.ulPhysFirst = c.U32();
    h.ulPhysLast = c.U32();
    h.ulNumModules = c.U32();
    h.ulRamStart = c.U32();
    h.ulRamFree = c.U32();
    h.ulRamEnd = c.U32();
    h.ulNumCopyEntries = c.U32();
    h.ulCopyEntriesOffset = c.U32();
    c.Skip(4);
    h.ulProfSymbolOffset = c.U32();
    h.ulNumFiles = c.U32();
    h.ulKernelFlags = c.U32();
    c.Skip(12);
    h.usCpu = c.U16();
    h.usMiscFlags = c.U16();
    h.ulExtensions = c.U32();
    c.Skip(8);
    return h;
  }
};
static_assert(DecodedSize<ROMHDR>() == ROMHDR::kSize);

inline constexpr size_t kRomHeaderSize = ROMHDR::kSize;
inline constexpr size_t kRomSignatureRecordSize = RomSignatureRecord::kSize;

inline ROMHDR DecodeRomHeader(const uint8_t* bytes) {
  return DecodeAt<ROMHDR>(bytes);
}

// The processor's name for a COFF machine-type code, or null for a code
// the tool does not know.
const char* CpuName(uint16_t usCpu);

// Entry sizes of the tables that hang from the header.
inline constexpr uint32_t kTocEntrySize = 32;
inline constexpr uint32_t kFileEntrySize = 28;
inline constexpr uint32_t kCopyEntrySize = 16;
inline constexpr uint32_t kProfileEntrySize = 32;

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
