// The memory image as a loader leaves it: the records written in file order,
// a later record overwriting what an earlier one put at the same addresses,
// byte by byte. (The report reads by another rule: from the first record in
// table order that holds a whole range; see image_reader.h.)
//
// What each record contributes: the bytes the file has of it (a record cut
// by the end of the file gives the ones that are there) at its start address
// upward, and never past 2^32: a record that ends exactly at 2^32 is whole,
// one that runs past it is cut there. The terminator holds no data.
//
// The result is a list of disjoint address runs in ascending order, each
// served by one record's file bytes, and the overlaps: every piece of a
// record's bytes that a later record replaced, with both indexes, in the
// order the loader met them. Whether the bytes of an overlap differ takes a
// comparison of file bytes (CompareOverlap).
//
// Cost: a file of records in ascending, disjoint order (the usual layout) is
// taken as it stands, O(n). Any other layout is loaded into an ordered map
// of address pieces: each record removes the pieces it covers (each one an
// overlap) and adds at most three, so that n records make at most 3 n
// pieces and overlaps and O(n log n) work whatever their order, overlap or
// start addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/record_reader.h"
#include "image/record_table.h"

namespace romscope {

inline constexpr uint64_t kAddressSpaceEnd = uint64_t{1} << 32;

// Addresses [start, end) served by one record's bytes from `fileOffset` on.
struct MemoryRun {
  uint32_t start = 0;
  uint64_t end = 0;  // one past the last address: at most 2^32
  uint32_t record = 0;
  uint64_t fileOffset = 0;  // of the byte at `start`
};

// Addresses [start, end) where record `later` replaced the bytes that record
// `earlier` had put there.
struct MemoryOverlap {
  uint32_t start = 0;
  uint64_t end = 0;
  uint32_t earlier = 0;
  uint32_t later = 0;
  uint64_t earlierOffset = 0;  // file offsets of the byte at `start` in each
  uint64_t laterOffset = 0;
};

// What one record gives: `inFile` bytes of its declared length are in the
// file, `inMemory` of those lie below 2^32.
struct RecordLoad {
  uint64_t inFile = 0;
  uint64_t inMemory = 0;
};

class MemoryImage {
 public:
  // Loads the records of `records` (whose file holds `fileSize` bytes).
  static MemoryImage Build(const RecordTable& records, uint64_t fileSize);

  const std::vector<MemoryRun>& Runs() const { return runs_; }
  const std::vector<MemoryOverlap>& Overlaps() const { return overlaps_; }
  // The records cut by the end of the file (at most the last one, since the
  // scan stops there) and those that run past 2^32, in file order.
  const std::vector<uint32_t>& CutByFile() const { return cutByFile_; }
  const std::vector<uint32_t>& CutAtTop() const { return cutAtTop_; }
  // The address ranges between the runs, lowest first.
  std::vector<std::pair<uint32_t, uint64_t>> Gaps() const;

  // The run that holds `address`, or npos.
  static constexpr size_t npos = SIZE_MAX;
  size_t FindRun(uint32_t address) const;
  // Whether every byte of [address, address + size) is held, none at or
  // past 2^32.
  bool Holds(uint32_t address, uint64_t size) const;

  static RecordLoad LoadOf(const RecordInfo& record, uint64_t fileSize);

 private:
  void Load(const RecordTable& records, uint64_t fileSize);

  std::vector<MemoryRun> runs_;
  std::vector<MemoryOverlap> overlaps_;
  std::vector<uint32_t> cutByFile_;
  std::vector<uint32_t> cutAtTop_;
};

enum class OverlapBytes : uint8_t { kSame, kDiffer, kUnreadable };

// Compares the two records' bytes of `overlap` through `data`, a chunk at a
// time into `a` and `b`, and adds the earlier record's bytes to
// `*earlierSum` (they are read nowhere else once overwritten).
OverlapBytes CompareOverlap(RecordReader& data, const MemoryOverlap& overlap,
                            std::vector<uint8_t>& a, std::vector<uint8_t>& b, uint32_t* earlierSum);

}  // namespace romscope
