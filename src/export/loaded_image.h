// The image loaded as memory holds it, for the conversions and the
// extraction: the memory image over the record table, a cursor that reads
// its bytes in ascending address order, and the diagnostics that belong to
// loading (overlaps whose bytes differ, cut records, failing checksums),
// each kind a few at a time and then counted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "image/image.h"
#include "image/memory_image.h"
#include "rom/inspect.h"

namespace romscope {

// The first few messages of a kind, then one line that counts the rest.
class Tally {
 public:
  static constexpr size_t kFirstFew = 5;
  // True while the message is one of the first few: the caller prints it.
  bool Take() { return ++count_ <= kFirstFew; }
  // How many were not printed, for the closing line.
  size_t Rest() const { return count_ > kFirstFew ? count_ - kFirstFew : 0; }

 private:
  size_t count_ = 0;
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
  // Loads `image`; false (with its message given) when the size of the file
  // cannot be told.
  bool Load(Image& image, const std::string& path, Diagnostics& diag);

  Image& image() { return *image_; }
  const MemoryImage& memory() const { return memory_; }
  RecordSums& sums() { return sums_; }
  // The records that hold data: all but the terminator.
  uint32_t RecordCount() const { return recordCount_; }
  bool HasEntry() const { return image_->records.HasTerminator(); }
  // The terminator's length field (0 without a terminator).
  uint32_t EntryAddress() const;
  const std::string& Path() const { return path_; }
  // What record `index` gives the memory image.
  RecordLoad LoadOf(uint32_t index) const {
    return MemoryImage::LoadOf(image_->records[index], fileSize_);
  }

  // The messages of the cut records and of the overlaps whose bytes differ;
  // the earlier records' overwritten bytes go to the sums on the way. False
  // when the file could not be read.
  bool CheckLoad(Diagnostics& diag);
  // Once every run was read through a cursor on sums(): the records whose
  // checksum does not hold. False when the file could not be read.
  bool CheckSums(Diagnostics& diag);

 private:
  Image* image_ = nullptr;
  std::string path_;
  uint64_t fileSize_ = 0;
  uint32_t recordCount_ = 0;
  MemoryImage memory_;
  RecordSums sums_{0};
};


// The message of each record whose checksum does not hold, a few and then
// a count: Note for each, Finish at the end.
class ChecksumMessages {
 public:
  void Note(Diagnostics& diag, uint32_t record, uint32_t checksum);
  void Finish(Diagnostics& diag) const;

 private:
  Tally tally_;
};

// The message for a failed read of the image file.
void WarnUnreadable(Diagnostics& diag, const std::string& path);

}  // namespace romscope
