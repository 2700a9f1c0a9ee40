// Reads ROM content by address through the record table: fixed-size blocks,
// NUL-terminated strings, and the byte runs that the symbol report walks.
//
// A record holds a range when it starts at or below the range and ends at or
// after it, both as exact 64-bit sums; the first record in table order that
// holds a range serves it. The terminator record holds no image data and is
// never used. The record index finds the holders (see record_index.h for
// what a search costs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "image/record_index.h"
#include "image/record_reader.h"
#include "image/record_table.h"

namespace romscope {

class ImageReader {
 public:
  // The largest fixed-size read accepted, the size of the scratch buffer.
  static constexpr uint64_t kMaxRead = 65536;

  // `records` must be complete when the first read comes: the index is built
  // then, so that a run that reads nothing by address does not pay for it.
  ImageReader(RecordReader& data, const RecordTable& records);

  // Reads `size` bytes (1 to kMaxRead) at address + bias (32-bit, wrapping)
  // from the first record that holds them; no later record is tried when that
  // read fails. A larger size is refused before `dst` is touched, so a caller
  // may pass any buffer then; the caller tells of the refusal.
  bool ReadImage(uint8_t* dst, uint32_t address, uint64_t size, uint32_t bias);

  // Reads a NUL-terminated string at address + bias: from the first record, in
  // table order, whose data holds the whole string and its NUL. At most
  // capacity - 1 characters are stored, always followed by a NUL; on failure
  // `dst` holds the empty string.
  bool ReadString(char* dst, size_t capacity, uint32_t address, uint32_t bias);

  // True when one record holds [address + bias, address + bias + length].
  bool InRecordSpace(uint32_t address, uint32_t length, uint32_t bias);

  // The record, first in table order, that holds [address + bias, address +
  // bias + length] whole: the one that ReadImage reads such a range from and
  // whose existence InRecordSpace tells; kNoRecord when none does.
  static constexpr uint32_t kNoRecord = RecordIndex::kNone;
  uint32_t Holder(uint32_t address, uint64_t length, uint32_t bias);

  // The bytes that one-byte reads at address, address + 1, ... would give, as
  // far as one record serves them (up to the next address where the first
  // holder can change, and never past 2^32) and as far as the reader's
  // read-ahead window holds; *count is set to their number, at least 1. Null
  // when the byte at `address` cannot be read: no record holds it, or the
  // file read fails. The bytes stay valid until the next call.
  const uint8_t* ReadByteRun(uint32_t address, size_t* count);

 private:
  static constexpr uint32_t kNone = RecordIndex::kNone;
  static constexpr uint64_t kMinWindow = 4096;

  void EnsureIndex() {
    if (!indexed_) index_.Build(records_);
    indexed_ = true;
  }
  bool TryString(const RecordInfo& record, uint64_t a, char* dst, size_t capacity);
  bool FindNul(uint64_t from, uint64_t limit, uint64_t* at);
  void MarkNulFree(uint64_t from, uint64_t to);
  // Finds the run of addresses from `address` on that one record serves.
  bool FindByteRun(uint32_t address);
  // File bytes from `offset` on, read ahead, of which `wanted` are needed
  // now; null when the byte at `offset` cannot be read.
  const uint8_t* WindowAt(uint64_t offset, uint64_t wanted, size_t* available);

  RecordReader& data_;
  const RecordTable& records_;
  bool indexed_ = false;
  RecordIndex index_;

  // File ranges known to hold no NUL byte, start -> end, so that hostile
  // images cannot make every string read scan the same long run again.
  std::map<uint64_t, uint64_t> nulFree_;
  // The last byte run found: addresses [runStart_, runEnd_) are served from
  // the file at runOffset_ on. Names follow one another, so most runs serve
  // several names.
  uint64_t runStart_ = 0;
  uint64_t runEnd_ = 0;
  uint64_t runOffset_ = 0;
  // Bytes read ahead for byte runs, so that a walk over names costs one file
  // read per window, not one per byte. Two of them: where small records
  // earlier in the file serve bytes inside a big one, runs alternate between
  // two places in the file, and each keeps its own.
  struct Window {
    std::vector<uint8_t> bytes;
    uint64_t start = 0;
    size_t size = 0;
  };
  Window windows_[2];
  size_t lastWindow_ = 0;
};

}  // namespace romscope
