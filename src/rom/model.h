// The structures that hang from a ROM header, each with its size on the image
// and its one field list (see fields.h); the static_assert beside each holds
// the list to exactly that many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "rom/fields.h"
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& e, V& v) {
    v.Field("dwFileAttributes", FieldForm::kHex, e.dwFileAttributes);
    v.Field("ftTime", FieldForm::kFileTime, e.ftTime);
    v.Field("nFileSize", FieldForm::kSigned, e.nFileSize);
    v.Field("ulNameOffset", FieldForm::kHex, e.ulNameOffset, kAddress);
    v.Field("ulE32Offset", FieldForm::kHex, e.ulE32Offset, kAddress);
    v.Field("ulO32Offset", FieldForm::kHex, e.ulO32Offset, kAddress);
    v.Field("ulLoadOffset", FieldForm::kHex, e.ulLoadOffset, kAddress);
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& e, V& v) {
    v.Field("e32_objcnt", FieldForm::kSigned, e.e32_objcnt);
    v.Field("e32_imageflags", FieldForm::kHex, e.e32_imageflags);
    v.Field("e32_entryrva", FieldForm::kHex, e.e32_entryrva);
    v.Field("e32_vbase", FieldForm::kHex, e.e32_vbase, kAddress);
    v.Field("e32_subsysmajor", FieldForm::kHex, e.e32_subsysmajor);
    v.Field("e32_subsysminor", FieldForm::kHex, e.e32_subsysminor);
    v.Field("e32_stackmax", FieldForm::kHex, e.e32_stackmax);
    v.Field("e32_vsize", FieldForm::kHex, e.e32_vsize);
    v.Skip(8);
    v.Field("e32_timestamp", FieldForm::kHex, e.e32_timestamp);
    v.Skip(76);
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& o, V& v) {
    v.Field("o32_vsize", FieldForm::kHex, o.o32_vsize);
    v.Field("o32_rva", FieldForm::kHex, o.o32_rva);
    v.Field("o32_psize", FieldForm::kHex, o.o32_psize);
    v.Field("o32_dataptr", FieldForm::kHex, o.o32_dataptr, kAddress);
    v.Field("o32_realaddr", FieldForm::kHex, o.o32_realaddr, kAddress);
    v.Field("o32_flags", FieldForm::kHex, o.o32_flags);
  }
};
static_assert(DecodedSize<o32_rom>() == o32_rom::kSize);

// One entry of the file table.
struct FileEntry {
  static constexpr size_t kSize = 28;
  static constexpr uint32_t kCompressed = 0x800;  // the data in ROM is nStoredSize long
  uint32_t dwFileAttributes = 0;
  uint64_t ftTime = 0;
  uint32_t nFileSize = 0;
  uint32_t nStoredSize = 0;
  uint32_t ulNameOffset = 0;
  uint32_t ulLoadOffset = 0;

  bool Compressed() const { return (dwFileAttributes & kCompressed) != 0; }
  // The length of the file's data in ROM.
  uint32_t RomSize() const { return Compressed() ? nStoredSize : nFileSize; }

  template <typename Self, typename V>
  static constexpr void Fields(Self& f, V& v) {
    v.Field("dwFileAttributes", FieldForm::kAttributes, f.dwFileAttributes);
    v.Field("ftTime", FieldForm::kFileTime, f.ftTime);
    v.Field("nFileSize", FieldForm::kSigned, f.nFileSize);
    v.Field("nStoredSize", FieldForm::kSigned, f.nStoredSize);
    v.Field("ulNameOffset", FieldForm::kHex, f.ulNameOffset, kAddress);
    v.Field("ulLoadOffset", FieldForm::kHex8, f.ulLoadOffset, kAddress);
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& e, V& v) {
    v.Field("Src", FieldForm::kHex8, e.Src, kAddress);
    v.Field("Dest", FieldForm::kHex8, e.Dest, kAddress);
    v.Field("CLen", FieldForm::kHex, e.CLen);
    v.Field("DLen", FieldForm::kHex, e.DLen);
  }
};
static_assert(DecodedSize<CopyEntry>() == CopyEntry::kSize && CopyEntry::kSize == kCopyEntrySize);

// The head of the header extensions: ten PID words, then Next.
struct ExtensionHead {
  static constexpr size_t kSize = 44;
  uint32_t PID[10] = {};
  uint32_t Next = 0;

  template <typename Self, typename V>
  static constexpr void Fields(Self& h, V& v) {
    v.Array("PID", FieldForm::kHex8, h.PID);
    v.Field("Next", FieldForm::kHexLower8, h.Next, kAddress);
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& r, V& v) {
    v.Text("Name", r.Name);
    v.Field("Type", FieldForm::kHexLower8, r.Type);
    v.Field("pData", FieldForm::kHexLower8, r.pData, kAddress);
    v.Field("Length", FieldForm::kHexLower8, r.Length);
    v.Field("Reserved", FieldForm::kHexLower8, r.Reserved);
    v.Field("Next", FieldForm::kHexLower8, r.Next, kAddress);
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& e, V& v) {
    v.Field("Addr", FieldForm::kHexLower8, e.Addr, kAddress);
    v.Field("MaxLenth", FieldForm::kHexLower8, e.MaxLenth);
    v.Field("Order", FieldForm::kHexLower4, e.Order);
    v.Field("Flags", FieldForm::kHexLower4, e.Flags);
    v.Field("reserved", FieldForm::kHexLower8, e.reserved);
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

  template <typename Self, typename V>
  static constexpr void Fields(Self& e, V& v) {
    v.Field("ModA", FieldForm::kSigned, e.ModA);
    v.Field("ModB", FieldForm::kSigned, e.ModB);
    v.Field("StartAddr", FieldForm::kHex8, e.StartAddr);
    v.Field("EndAddr", FieldForm::kHex8, e.EndAddr);
    v.Skip(4);
    v.Field("numsyms", FieldForm::kSigned, e.numsyms);
    v.Field("HitAddr", FieldForm::kHex8, e.HitAddr);
    v.Field("SymAddr", FieldForm::kHex8, e.SymAddr);
  }
};
static_assert(DecodedSize<ProfileEntry>() == ProfileEntry::kSize &&
              ProfileEntry::kSize == kProfileEntrySize);

// One entry of a module's hit table; only its first word is shown.
struct HitEntry {
  static constexpr size_t kSize = 8;
  uint32_t value = 0;

  template <typename Self, typename V>
  static constexpr void Fields(Self& e, V& v) {
    v.Field("value", FieldForm::kHex8, e.value);
    v.Skip(4);
  }
};
static_assert(DecodedSize<HitEntry>() == HitEntry::kSize);

}  // namespace romscope
