// The ROM header record, root of a table of contents, and where the tables
// behind it lie. Addresses inside the table of contents are table addresses;
// a record holds them at table address + ROMOFFSET.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rom/fields.h"

namespace romscope {

inline constexpr uint32_t kRomSignature = 0x524B524B;  // "KRKR" read little-endian

// The 8-byte record that names a header: the signature word, then pTOC.
struct RomSignatureRecord {
  static constexpr size_t kSize = 8;
  uint32_t signature = 0;
  uint32_t pTOC = 0;

  template <typename Self, typename V>
  static constexpr void Fields(Self& r, V& v) {
    v.Field("signature", FieldForm::kHex8, r.signature);
    v.Field("pTOC", FieldForm::kHex8, r.pTOC);
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
  template <typename Self, typename V>
  static constexpr void Fields(Self& h, V& v) {
    v.Field("ulDllFirst", FieldForm::kHex8, h.ulDllFirst, kAddress);
    v.Field("ulDllLast", FieldForm::kHex8, h.ulDllLast, kAddress);
    v.Field("ulPhysFirst", FieldForm::kHex8, h.ulPhysFirst, kAddress);
    v.Field("ulPhysLast", FieldForm::kHex8, h.ulPhysLast, kAddress);
    v.Field("ulNumModules", FieldForm::kSigned, h.ulNumModules);
    v.Field("ulRamStart", FieldForm::kHex8, h.ulRamStart, kAddress);
    v.Field("ulRamFree", FieldForm::kHex8, h.ulRamFree, kAddress);
    v.Field("ulRamEnd", FieldForm::kHex8, h.ulRamEnd, kAddress);
    v.Field("ulNumCopyEntries", FieldForm::kSigned, h.ulNumCopyEntries);
    v.Field("ulCopyEntriesOffset", FieldForm::kHex8, h.ulCopyEntriesOffset, kAddress);
    v.Skip(4);
    v.Field("ulProfSymbolOffset", FieldForm::kHex8, h.ulProfSymbolOffset, kAddress);
    v.Field("ulNumFiles", FieldForm::kSigned, h.ulNumFiles);
    v.Field("ulKernelFlags", FieldForm::kHex8, h.ulKernelFlags);
    v.Skip(12);
    v.Field("usCpu", FieldForm::kCpu, h.usCpu);
    v.Field("usMiscFlags", FieldForm::kHex8, h.usMiscFlags);
    v.Field("ulExtensions", FieldForm::kHex8, h.ulExtensions, kAddress);
    v.Skip(8);
  }
};
static_assert(DecodedSize<ROMHDR>() == ROMHDR::kSize);

// Entry sizes of the tables that hang from the header.
inline constexpr uint32_t kTocEntrySize = 32;
inline constexpr uint32_t kFileEntrySize = 28;
inline constexpr uint32_t kCopyEntrySize = 16;
inline constexpr uint32_t kProfileEntrySize = 32;

// The module table lies right behind the header, the file table right
// behind the module table; both sums wrap at 2^32.
inline uint32_t ModuleTableAddress(uint32_t pTOC) {
  return pTOC + static_cast<uint32_t>(ROMHDR::kSize);
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
