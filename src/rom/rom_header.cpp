#include "rom/rom_header.h"

#include "base/le.h"

namespace romscope {

ROMHDR DecodeRomHeader(const uint8_t* b) {
  ROMHDR h;
  h.ulDllFirst = Read32le(b + 0x00);
  h.ulDllLast = Read32le(b + 0x04);
  h.ulPhysFirst = Read32le(b + 0x08);
  h.ulPhysLast = Read32le(b + 0x0C);
  h.ulNumModules = Read32le(b + 0x10);
  h.ulRamStart = Read32le(b + 0x14);
  h.ulRamFree = Read32le(b + 0x18);
  h.ulRamEnd = Read32le(b + 0x1C);
  h.ulNumCopyEntries = Read32le(b + 0x20);
  h.ulCopyEntriesOffset = Read32le(b + 0x24);
  h.ulProfSymbolOffset = Read32le(b + 0x2C);
  h.ulNumFiles = Read32le(b + 0x30);
  h.ulKernelFlags = Read32le(b + 0x34);
  h.usCpu = Read16le(b + 0x44);
  h.usMiscFlags = Read16le(b + 0x46);
  h.ulExtensions = Read32le(b + 0x48);
  return h;
}

}  // namespace romscope
