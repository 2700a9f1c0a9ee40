// The structures that hang from a ROM header, decoded field by field from
// their little-endian bytes, and the few values the report hands from one
// section to the next. Each structure states its size on the image; the
// static_assert beside it holds its decoder to exactly that many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/le.h"
#include "rom/rom_header.h"

namespace romscope {

// One entry of the module table.
struct TOCentry {
  static constexpr size_t kSize = 32;
  uint32_t dwFileAttributes = 0;
  uint64_t ftTime = 0;  // 100-nanosecond intervals since 1601, low word first
  uint32_t nFileSize = 0;
  uint32_t ulNameOffset = 0;
  uint32_t ulE32Offset = 0;
  uint32_t ulO32Offset = 0;  // the first o32_rom; the others follow at steps of 24
  uint32_t ulLoadOffset = 0;

  static constexpr TOCentry Decode(FieldCursor& c) {
    TOCentry e;
    e.dwFileAttributes = c.U32();
    e.ftTime = c.U64();
    e.nFileSize = c.U32();
    e.ulNameOffset = c.U32();
    e.ulE32Offset = c.U32();
    e.ulO32Offset = c.U32();
    e.ulLoadOffset = c.U32();
    return e;
  }
};
static_assert(DecodedSize<TOCentry>() == TOCentry::kSize && TOCentry::kSize == kTocEntrySize);

// A module's image header; the bytes at 24..31 and 36..111 carry nothing
// the tool uses, but belong to the read.
struct e32_rom {
  static constexpr size_t kSize = 112;
  uint16_t e32_objcnt = 0;  // also the number of the module's o32_rom headers
  uint16_t e32_imageflags = 0;
  uint32_t e32_entryrva = 0;
  uint32_t e32_vbase = 0;
  uint16_t e32_subsysmajor = 0;
  uint16_t e32_subsysminor = 0;
  uint32_t e32_stackmax = 0;
  uint32_t e32_vsize = 0;
  uint32_t e32_timestamp = 0;

  static constexpr e32_rom Decode(FieldCursor& c) {
    e32_rom e;
    e.e32_objcnt = c.U16();
    e.e32_imageflags = c.U16();
    e.e32_entryrva = c.U32();
    e.e32_vbase = c.U32();
    e.e32_subsysmajor = c.U16();
    e.e32_subsysminor = c.U16();
    e.e32_stackmax = c.U32();
    e.e32_vsize = c.U32();
    c.Skip(8);
    e.e32_timestamp = c.U32();
    c.Skip(76);
    return e;
  }
};
static_assert(DecodedSize<e32_rom>() == e32_rom::kSize);

// One section header of a module.
struct o32_rom {
  static constexpr size_t kSize = 24;
  uint32_t o32_vsize = 0;
  uint32_t o32_rva = 0;
  uint32_t o32_psize = 0;
  uint32_t o32_dataptr = 0;
  uint32_t o32_realaddr = 0;
  uint32_t o32_flags = 0;

  static constexpr o32_rom Decode(FieldCursor& c) {
    o32_rom o;
    o.o32_vsize = c.U32();
    o.o32_rva = c.U32();
    o.o32_psize = c.U32();
    o.o32_dataptr = c.U32();
    o.o32_realaddr = c.U32();
    o.o32_flags = c.U32();
    return o;
  }
};
static_assert(DecodedSize<o32_rom>() == o32_rom::kSize);

// One entry of the file table.
struct FileEntry {
  static constexpr size_t kSize = 28;
  static constexpr uint32_t kCompressed = 0x800;  // the data in ROM is nStoredSize long
  static constexpr uint32_t kHidden = 0x2;
  static constexpr uint32_t kReadOnly = 0x1;
  static constexpr uint32_t kSystem = 0x4;
  uint32_t dwFileAttributes = 0;
  uint64_t ftTime = 0;
  uint32_t nFileSize = 0;
  uint32_t nStoredSize = 0;
  uint32_t ulNameOffset = 0;
  uint32_t ulLoadOffset = 0;

  bool Compressed() const { return (dwFileAttributes & kCompressed) != 0; }
  // The length of the file's data in ROM.
  uint32_t RomSize() const { return Compressed() ? nStoredSize : nFileSize; }

  static constexpr FileEntry Decode(FieldCursor& c) {
    FileEntry f;
    f.dwFileAttributes = c.U32();
    f.ftTime = c.U64();
    f.nFileSize = c.U32();
    f.nStoredSize = c.U32();
    f.ulNameOffset = c.U32();
    f.ulLoadOffset = c.U32();
    return f;
  }
};
static_assert(DecodedSize<FileEntry>() == FileEntry::kSize && FileEntry::kSize == kFileEntrySize);

// One entry of the copy table: a section stored at Src for use at Dest.
struct CopyEntry {
  static constexpr size_t kSize = 16;
  uint32_t Src = 0;
  uint32_t Dest = 0;
  uint32_t CLen = 0;
  uint32_t DLen = 0;

  static constexpr CopyEntry Decode(FieldCursor& c) {
    CopyEntry e;
    e.Src = c.U32();
    e.Dest = c.U32();
    e.CLen = c.U32();
    e.DLen = c.U32();
    return e;
  }
};
static_assert(DecodedSize<CopyEntry>() == CopyEntry::kSize && CopyEntry::kSize == kCopyEntrySize);

// The head of the header extensions: ten PID words, then Next.
struct ExtensionHead {
  static constexpr size_t kSize = 44;
  uint32_t PID[10] = {};
  uint32_t Next = 0;

  static constexpr ExtensionHead Decode(FieldCursor& c) {
    ExtensionHead h;
    for (uint32_t& pid : h.PID) pid = c.U32();
    h.Next = c.U32();
    return h;
  }
};
static_assert(DecodedSize<ExtensionHead>() == ExtensionHead::kSize);

// A record of the extension chain, reached through a Next: the same 44
// bytes as the head, in their named view.
struct ExtensionRecord {
  static constexpr size_t kSize = 44;
  uint8_t Name[24] = {};  // ended by a NUL inside the field, unless it fills it
  uint32_t Type = 0;
  uint32_t pData = 0;
  uint32_t Length = 0;
  uint32_t Reserved = 0;
  uint32_t Next = 0;

  // The name's bytes up to its NUL, at most the 24 of the field.
  size_t NameLength() const {
    const void* nul = std::memchr(Name, 0, sizeof Name);
    return nul != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - Name)
                          : sizeof Name;
  }
  // Named exactly "chain information": its data is a table of ChainEntry.
  bool IsChainInformation() const {
    static constexpr char kChainName[] = "chain information";  // compared with its NUL
    return std::memcmp(Name, kChainName, sizeof kChainName) == 0;
  }

  static constexpr ExtensionRecord Decode(FieldCursor& c) {
    ExtensionRecord r;
    c.Bytes(r.Name);
    r.Type = c.U32();
    r.pData = c.U32();
    r.Length = c.U32();
    r.Reserved = c.U32();
    r.Next = c.U32();
    return r;
  }
};
static_assert(DecodedSize<ExtensionRecord>() == ExtensionRecord::kSize);

// One entry of a "chain information" record's data.
struct ChainEntry {
  static constexpr size_t kSize = 16;
  uint32_t Addr = 0;
  uint32_t MaxLenth = 0;
  uint16_t Order = 0;
  uint16_t Flags = 0;
  uint32_t reserved = 0;

  static constexpr ChainEntry Decode(FieldCursor& c) {
    ChainEntry e;
    e.Addr = c.U32();
    e.MaxLenth = c.U32();
    e.Order = c.U16();
    e.Flags = c.U16();
    e.reserved = c.U32();
    return e;
  }
};
static_assert(DecodedSize<ChainEntry>() == ChainEntry::kSize);

// One module's entry of the profiling table; the word at 16 is not used.
struct ProfileEntry {
  static constexpr size_t kSize = 32;
  uint32_t ModA = 0;
  uint32_t ModB = 0;
  uint32_t StartAddr = 0;
  uint32_t EndAddr = 0;
  uint32_t numsyms = 0;
  uint32_t HitAddr = 0;  // before relocation: read at HitAddr + the profile delta
  uint32_t SymAddr = 0;  // read where it points

  static constexpr ProfileEntry Decode(FieldCursor& c) {
    ProfileEntry e;
    e.ModA = c.U32();
    e.ModB = c.U32();
    e.StartAddr = c.U32();
    e.EndAddr = c.U32();
    c.Skip(4);
    e.numsyms = c.U32();
    e.HitAddr = c.U32();
    e.SymAddr = c.U32();
    return e;
  }
};
static_assert(DecodedSize<ProfileEntry>() == ProfileEntry::kSize &&
              ProfileEntry::kSize == kProfileEntrySize);

// One entry of a module's hit table; only its first word is shown.
struct HitEntry {
  static constexpr size_t kSize = 8;
  uint32_t value = 0;

  static constexpr HitEntry Decode(FieldCursor& c) {
    HitEntry e;
    e.value = c.U32();
    c.Skip(4);
    return e;
  }
};
static_assert(DecodedSize<HitEntry>() == HitEntry::kSize);

// Where a table of contents lies, as the locator tried or found it.
struct TocLocation {
  uint32_t pTOC = 0;
  uint32_t romOffset = 0;      // record address = table address + romOffset
  size_t signatureRecord = 0;  // the record that named pTOC
  size_t headerRecord = 0;     // the record tried as the header
};

// Where the profiling table is read, as the copy sections leave it: the
// header's ulProfSymbolOffset, or the source of the copy entry that moved it,
// with the difference that moves each module's hit table along.
struct ProfileLocation {
  uint32_t address = 0;
  uint32_t delta = 0;
};

}  // namespace romscope
