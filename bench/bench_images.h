// The images the benchmarks run on: many small records, a few hundred
// mebibytes of data in large records, and a block of equal records at
// consecutive addresses for the address reader.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/bin_builder.h"

namespace romscope::bench {

// Where every bench image's first record starts, and its entry address.
inline constexpr uint32_t kImageBase = 0x80000000u;

// `count` records of 16 data bytes each at consecutive addresses, then one
// of 8 bytes, which the TOC locator reads by address (so the run builds the
// address index), then the terminator.
testing::Bytes SmallRecordsImage(uint32_t count);

// `count` records of 64 data bytes each, one every 16 bytes, so that each
// overlaps the three before it; then one of 8 bytes that the locator reads by
// address, then the terminator. The address index keeps most of these in
// its tree.
testing::Bytes OverlappingRecordsImage(uint32_t count);

// `count` records of `recordSize` data bytes each at consecutive addresses,
// then the terminator.
testing::Bytes SpreadImage(uint32_t count, uint32_t recordSize);

// What WriteDataImage wrote.
struct DataImageFacts {
  uint64_t records = 0;  // the terminator not counted
  uint64_t dataBytes = 0;
  uint64_t fileBytes = 0;
};

// Writes an image of exactly `dataBytes` bytes of pseudo-random record data,
// in records of 64 KiB to 1 MiB (the last one may be shorter) at consecutive
// addresses, each with a checksum that holds, then the terminator. The data
// is produced one record at a time, so memory use stays near 1 MiB whatever
// the image's size. False when a write failed.
bool WriteDataImage(std::FILE* file, uint64_t dataBytes, uint64_t seed, DataImageFacts* facts);

// A table of contents of `modules` modules with `sections` section headers
// each, for the detailed module report.
testing::Bytes ModulesImage(uint32_t modules, uint32_t sections);

// A table of contents of `modules` modules whose profile entries have
// `symbols` symbols each, with names of about 20 characters.
testing::Bytes SymbolsImage(uint32_t modules, uint32_t symbols);

// A table of contents of `files` files of 1 to 32 KiB of pseudo-random
// data each, every file's data in a record of its own, for -extract.
testing::Bytes FilesImage(uint32_t files);

// The layouts of records that make address lookups work hardest, each in a
// worst order (the records that hold the reads come last in the file) and a
// friendly one (they come first). All but "names" have one module whose
// `entries` o32_rom entries lie at kHostileTable, held by one big record
// unless the layout says otherwise; the text printed is the same in both
// orders.
//   issue       one 1-byte record inside each entry, at table + 24 j + 12
//   nested      those, and 256 records nested around the table's middle
//   overlap     records of 35 bytes straddling each pair of entries, and
//               overlapping records of 72 bytes holding three entries each
//   duplicates  the records of "issue", each one 4 times, the big one too
//   late        two near misses for each entry (one a byte late, one a byte
//               short, of varied lengths), then a record of its own for each
//   names       for -sym: 32 modules whose `entries` (at most 8192)
//               profiling symbols share one name list at kHostileTable, held
//               by one big record; one 1-byte record every 12 bytes of it
//               serves that byte (so a name's bytes come from several records)
inline constexpr uint32_t kHostileTable = 0xA0000000u;
bool IsHostileLayout(const std::string& layout);
testing::Bytes HostileImage(const std::string& layout, bool friendly, uint32_t entries);

// Pairs of images for -diff (bench_images_diff.cpp), each written as the
// old image and the new one.
//
// `files` files of `fileSize` bytes of pseudo-random data, each in a record
// of its own, streamed to the file (memory stays near one file's size); the
// new image differs from the old in one byte, in the middle of the middle
// file (its record's checksum holds).
bool WriteFilesImage(std::FILE* file, uint32_t files, uint32_t fileSize, bool changed);
// SmallRecordsImage(count), and in the new image every 100th record's data
// changed (checksums that hold).
testing::Bytes DiffRecordsImage(uint32_t count, bool changed);
// SymbolsImage(modules, symbols), and in the new image every 100th symbol
// changed: its value, or every other time its name.
testing::Bytes DiffSymbolsImage(uint32_t modules, uint32_t symbols, bool changed);
// The hostile matching layouts, each with a twin of as many items that do
// not share a key; the new image lacks the first item of the list
// (`dropFirst`):
//   files     2,340 files of 64 bytes, all named alike or all apart
//   sections  65,535 sections of one module, or 2,048 modules of 32 sections
//             (each module then lacks its first)
//   records   1,000,000 records of 16 bytes, all at one start address or
//             each at its own
bool IsDiffLayout(const std::string& layout);
testing::Bytes DiffHostileImage(const std::string& layout, bool sameKey, bool dropFirst);

}  // namespace romscope::bench
