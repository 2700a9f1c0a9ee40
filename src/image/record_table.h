// The table of every record the scan met, in file order, the terminator
// record included as the last entry. It grows as needed; entries are never
// changed once written.
//
// A scan of a file of tiny records may enter millions of them, so the table
// is packed: 16 bytes a record, in chunks of fixed size, so that growing it
// never holds an old and a new copy at once. A data offset keeps only its
// lower half per record while the chunk's offsets share their upper half;
// a chunk whose offsets do not (records of gigabytes) keeps both halves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/bin_format.h"

namespace romscope {

class RecordTable {
 public:
  void Add(const RecordInfo& record);
  // The entry just added is the terminator record.
  void MarkTerminator() { hasTerminator_ = count_ != 0; }

  size_t Count() const { return count_; }
  RecordInfo operator[](size_t index) const;
  bool HasTerminator() const { return hasTerminator_; }
  // The terminator's length field is the image's entry address, not a length:
  // it holds no image data.
  bool IsTerminator(size_t index) const { return hasTerminator_ && index + 1 == count_; }

 private:
  static constexpr size_t kChunkBits = 12;
  static constexpr size_t kChunkSize = size_t{1} << kChunkBits;

  struct Entry {
    uint32_t start;
    uint32_t length;
    uint32_t checksum;
    uint32_t offsetLow;
  };
  struct Chunk {
    std::vector<Entry> entries;   // room for kChunkSize from the start
    uint32_t offsetHigh = 0;      // the upper half of every data offset in the chunk,
    std::vector<uint32_t> highs;  // unless they differ: then one per entry
  };

  std::vector<Chunk> chunks_;
  size_t count_ = 0;
  bool hasTerminator_ = false;
};

}  // namespace romscope
