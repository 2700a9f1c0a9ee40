// The image loaded as memory holds it, for the conversions and the
// extraction: the memory image over the record table, a cursor that reads
// its bytes in ascending address order, and the facts that belong to
// loading (overlaps whose bytes differ, cut records, failing checksums),
// each kind a few and then counted, for the report to tell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/image.h"
#include "image/memory_image.h"
#include "rom/collector.h"

namespace romscope {

// The first few facts of a kind, and how many more there were: what the
// diagnostics tell of one kind stays a few lines however hostile the image.
template <typename T>
struct FirstFew {
  static constexpr size_t kFirstFew = 5;
  std::vector<T> first;
  size_t more = 0;

  void Add(const T& fact) {
    if (first.size() < kFirstFew) {
      first.push_back(fact);
    } else {
      ++more;
    }
  }
};

// A record cut by the end of the file: `present` of its `length` bytes are
// there.
struct CutRecord {
  uint32_t record = 0;
  uint64_t present = 0;
  uint32_t length = 0;
};

// An overlap where record `later` put bytes other than record `earlier`'s
// at [start, last].
struct DifferingOverlap {
  uint32_t start = 0;
  uint32_t last = 0;
  uint32_t later = 0;
  uint32_t earlier = 0;
};

struct FailingChecksum {
  uint32_t record = 0;
  uint32_t checksum = 0;  // the record's own
};

// What loading found: the records cut by the file and at 2^32, the overlaps
// whose bytes differ. `unreadable`: the file could not be read, and the
// facts stop where that happened.
struct LoadFacts {
  std::vector<CutRecord> cutByFile;
  FirstFew<uint32_t> pastTop;
  FirstFew<DifferingOverlap> overlaps;
  bool unreadable = false;
};

// Each record's 32-bit sum, gathered from wherever its bytes are read, so
// that the checksums cost no read of their own.
class RecordSums {
 public:
  explicit RecordSums(size_t count) : sums_(count, 0) {}
  void Add(uint32_t record, const uint8_t* data, size_t size);
  uint32_t& operator[](uint32_t record) { return sums_[record]; }

 private:
  std::vector<uint32_t> sums_;
};

// Reads the memory image's bytes in ascending address order: each call
// starts at or after where the one before it ended.
class MemoryCursor {
 public:
  MemoryCursor(const MemoryImage& memory, RecordReader& data, RecordSums& sums)
      : runs_(memory.Runs()), data_(data), sums_(sums) {}

  // The bytes of [from, to) into `dst`, `fill` where no record holds one.
  // False when the file could not be read.
  bool Copy(uint64_t from, uint64_t to, uint8_t* dst, uint8_t fill);
  // The next range of held bytes at or after `from`, as long as the runs
  // follow one another without a gap; false when none is left.
  bool NextHeld(uint64_t from, uint64_t* start, uint64_t* end);

 private:
  void SkipTo(uint64_t from);

  const std::vector<MemoryRun>& runs_;
  RecordReader& data_;
  RecordSums& sums_;
  size_t run_ = 0;
};

// An image whose records were scanned, loaded as memory holds it.
class LoadedImage {
 public:
  // Loads `image`; false when the size of the file cannot be told.
  bool Load(Image& image);

  Image& image() { return *image_; }
  const MemoryImage& memory() const { return memory_; }
  RecordSums& sums() { return sums_; }
  // The records that hold data: all but the terminator.
  uint32_t RecordCount() const { return recordCount_; }
  bool HasEntry() const { return image_->records.HasTerminator(); }
  // The terminator's length field (0 without a terminator).
  uint32_t EntryAddress() const;
  // What record `index` gives the memory image.
  RecordLoad LoadOf(uint32_t index) const {
    return MemoryImage::LoadOf(image_->records[index], fileSize_);
  }

  // The cut records and the overlaps whose bytes differ; the earlier
  // records' overwritten bytes go to the sums on the way.
  LoadFacts CheckLoad();
  // Once every run was read through a cursor on sums(): the records whose
  // checksum does not hold. False when the file could not be read.
  bool CheckSums(FirstFew<FailingChecksum>* failing);

 private:
  Image* image_ = nullptr;
  uint64_t fileSize_ = 0;
  uint32_t recordCount_ = 0;
  MemoryImage memory_;
  RecordSums sums_{0};
};

// The records whose checksum the collection's scan found not to hold.
FirstFew<FailingChecksum> FailingChecksums(const CollectedImage& collected,
                                           const RecordTable& records);

}  // namespace romscope
