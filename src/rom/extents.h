// Where each item's bytes lie, said once for every engine: the map draws
// these extents, the comparison compares the bytes in them, the extraction
// writes them out.
//
// The tables give addresses as the image's builder saw them; the bytes lie at
// that address + the table of contents' ROMOFFSET, the record address, which
// wraps at 2^32 as every address does. A size is 64-bit, so that an extent
// may run to 2^32 (or past it, for a hostile size: whoever reads it finds no
// record that holds it).
#pragma once

#include <cstdint>
#include <optional>

#include "image/record_table.h"
#include "rom/collector.h"

namespace romscope {

struct Extent {
  uint32_t start = 0;  // a record address
  uint64_t size = 0;

  uint64_t End() const { return uint64_t{start} + size; }
};

// A table address of `toc` and the bytes from there, in record addresses.
inline Extent AtTable(const CollectedToc& toc, uint32_t tableAddress, uint64_t size) {
  return {tableAddress + toc.toc.location.romOffset, size};
}

// A record's data: `length` bytes at its start address.
inline Extent RecordExtent(const RecordInfo& record) {
  return {record.start, record.length};
}

// The entries of one of the three tables (modules, files, profiles).
inline Extent TableExtent(const CollectedToc& toc, const TableItem& table) {
  uint32_t entrySize = kProfileEntrySize;
  if (table.kind == TableItem::kModules) entrySize = kTocEntrySize;
  if (table.kind == TableItem::kFiles) entrySize = kFileEntrySize;
  return AtTable(toc, table.address, TableBytes(table.count, entrySize));
}

// The copy sections' table.
inline Extent CopyTableExtent(const CollectedToc& toc, const CopySectionsItem& copies) {
  return AtTable(toc, copies.address, TableBytes(copies.count, kCopyEntrySize));
}

// A module section's stored bytes: o32_psize bytes at o32_dataptr; none when
// its header could not be read.
inline std::optional<Extent> SectionBytes(const CollectedToc& toc, const SectionItem& section) {
  if (!section.o32) return std::nullopt;
  return AtTable(toc, section.o32->o32_dataptr, section.o32->o32_psize);
}

// A file's data as the image stores it: its ROM size (the stored size of a
// compressed file) at ulLoadOffset.
inline Extent FileData(const CollectedToc& toc, const FileItem& file) {
  return AtTable(toc, file.entry.ulLoadOffset, file.entry.RomSize());
}

}  // namespace romscope
