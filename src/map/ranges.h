// The ranges the map draws, gathered from a collected inspection into lanes:
// the records as the file holds them; for each table of contents the ranges
// its tables describe, in record addresses (table address + ROMOFFSET); and
// its RAM side, in the addresses the tables give.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "map/coverage.h"
#include "rom/collector.h"

namespace romscope {

// What a range is; each belongs to one lane kind (its class).
enum class RangeKind : uint8_t {
  kRecord,
  kSignature,
  kRomHeader,
  kModuleTable,
  kFileTable,
  kCopyTable,
  kProfileTable,
  kExtensionHead,
  kExtensionRecord,
  kChainData,
  kE32,
  kO32,
  kModuleName,
  kFileName,
  kSection,
  kFileData,
  kCopySource,
  kHitTable,
  kSymbolNames,
  kCopyDestination,
  kRamTaken,
  kRamFree,
};

// The kinds of lane, one colour each; the map draws them in this order.
enum class RangeClass : uint8_t {
  kRecords,
  kTables,
  kExtensions,
  kHeaders,
  kSections,
  kFiles,
  kCopySources,
  kProfiling,
  kCopyDestinations,
  kRam,
};
inline constexpr size_t kRangeClasses = 10;

RangeClass ClassOf(RangeKind kind);
// RAM ranges are no image contents: they count for no totals.
inline bool IsContents(RangeClass c) {
  return c != RangeClass::kRecords && c != RangeClass::kCopyDestinations && c != RangeClass::kRam;
}

// One range. `size` is the length the image gives it; what is drawn stops at
// 2^32 (End), which the tooltip tells.
struct RangeItem {
  static constexpr uint8_t kOverlaps = 1;  // contents over other contents, or records over records
  static constexpr uint8_t kBadChecksum = 2;  // a record whose checksum fails
  static constexpr uint8_t kHasProblems = 4;  // the structure came with messages

  uint32_t start = 0;
  // Which one of its kind, by index: the record; the module (its name and
  // headers); the section; the file (name and data); the copy section; the
  // extension step; the profile. Tables, RAM: 0.
  uint32_t ref = 0;
  uint64_t size = 0;
  RangeKind kind = RangeKind::kRecord;
  uint8_t flags = 0;

  uint64_t End() const {
    const uint64_t end = uint64_t{start} + size;
    return end > kAddressSpace ? kAddressSpace : end;
  }
  bool Clipped() const { return uint64_t{start} + size > kAddressSpace; }
  static constexpr uint64_t kAddressSpace = uint64_t{1} << 32;
};

struct Lane {
  RangeClass rangeClass = RangeClass::kRecords;
  size_t toc = 0;                // for the lanes of a table of contents
  std::vector<RangeItem> items;  // in ascending order of start
};

// Everything the map shows, before merging.
struct MapRanges {
  static constexpr size_t kTocsDrawn = 4;  // tables of contents with lanes of their own

  std::vector<Lane> lanes;   // non-empty lanes only, in drawing order
  Coverage held;             // the bytes the records hold (the file has them)
  Coverage described;        // the bytes the tables of every table of contents describe
  uint64_t recordCount = 0;  // the terminator not counted
  size_t tocCount = 0;
  // The present prefix of each record that the file holds only in part,
  // by record index (see RecordPresent).
  std::vector<std::pair<size_t, uint64_t>> cutRecords;
};

// Gathers the ranges of `inspection`, which must be usable. Reads the file
// only to find how much of a cut record it holds.
MapRanges GatherRanges(Inspection& inspection);

}  // namespace romscope
