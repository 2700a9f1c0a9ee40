// The open input image: a position for the front-to-back record scan, and
// positional reads for everything after it. Small reads go through a block
// cache, so the scan's 4-byte fields and the reports' small reads cost no
// system call each when nearby bytes were just read; large reads go straight
// to the source. The block grows while reads move forward through the file
// and shrinks again at a jump, so scattered small reads do not each pay for
// a large block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/byte_source.h"

namespace romscope {

class ImageFile {
 public:
  static constexpr size_t kBlockSize = 16384;
  static constexpr size_t kMinBlock = 64;

  explicit ImageFile(ByteSource& source) : source_(source), block_(kBlockSize) {}

  // Reads up to `size` bytes at the position and moves past what was read.
  // Returns the count (short only at the end of the file) or -1 on an error.
  int64_t Read(uint8_t* dst, size_t size);
  // Moves the position forward; it may pass the end of the file.
  void Skip(uint64_t count) {
    position_ = count > UINT64_MAX - position_ ? UINT64_MAX : position_ + count;
  }
  uint64_t Tell() const { return position_; }

  // The file's size in bytes, or -1 when it cannot be told.
  int64_t Size() { return source_.Size(); }

  // Reads at `offset` without touching the position.
  int64_t ReadAt(uint64_t offset, uint8_t* dst, size_t size);

 private:
  bool Covers(uint64_t offset, size_t size) const;
  bool LoadBlock(uint64_t offset, size_t size);

  ByteSource& source_;
  uint64_t position_ = 0;
  std::vector<uint8_t> block_;
  uint64_t blockStart_ = 0;
  size_t blockSize_ = 0;     // bytes valid in block_
  bool blockAtEnd_ = false;  // the block came up short: the file ends there
  bool blockValid_ = false;
  size_t readAhead_ = kMinBlock;
};

}  // namespace romscope
