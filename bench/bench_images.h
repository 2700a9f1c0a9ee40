// The images the benchmarks run on: many small records, a few hundred
// mebibytes of data in large records, and a block of equal records at
// consecutive addresses for the address reader.
#pragma once

#include <cstdint>
#include <cstdio>

#include "support/bin_builder.h"

namespace romscope::bench {

// Where every bench image's first record starts, and its entry address.
inline constexpr uint32_t kImageBase = 0x80000000u;

// `count` records of 16 data bytes each at consecutive addresses, then the
// terminator.
testing::Bytes SmallRecordsImage(uint32_t count);

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

}  // namespace romscope::bench
