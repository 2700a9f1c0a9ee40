// The BIN file format: a 15-byte header, then records of a 12-byte header
// (start address, length, checksum) and that many data bytes. A record whose
// start and checksum are both 0 ends the file; its length field carries the
// image's entry address and no data follows it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace romscope {

inline constexpr char kBinSignature[] = "B000FF\n";  // the digit zero, three times
inline constexpr size_t kBinSignatureSize = 7;
inline constexpr size_t kBinHeaderSize = 15;
inline constexpr size_t kRecordHeaderSize = 12;

struct BinHeader {
  uint32_t imageStart = 0;
  uint32_t imageLength = 0;
};

// One entry of the record table. `dataOffset` is the file offset of the
// record's first data byte; it is 64-bit so that a huge declared length can
// only move past the end of the file, never wrap back into it.
struct RecordInfo {
  uint32_t start = 0;
  uint32_t length = 0;
  uint32_t checksum = 0;
  uint64_t dataOffset = 0;
};

inline bool IsTerminatorRecord(uint32_t start, uint32_t checksum) {
  return start == 0 && checksum == 0;
}

// The one run-wide buffer of the largest single read the address reader accepts.
inline constexpr size_t kScratchSize = 65536;

}  // namespace romscope
