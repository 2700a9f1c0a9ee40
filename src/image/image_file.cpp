#include "image/image_file.h"

#include <cstring>

namespace romscope {

int64_t ImageFile::Read(uint8_t* dst, size_t size) {
  int64_t got = ReadAt(position_, dst, size);
  if (got > 0) Skip(static_cast<uint64_t>(got));
  return got;
}

bool ImageFile::LoadBlock(uint64_t offset) {
  uint64_t start = offset & ~static_cast<uint64_t>(4095);
  int64_t got = source_.ReadAt(start, block_.data(), block_.size());
  if (got < 0) {
    blockValid_ = false;
    return false;
  }
  blockStart_ = start;
  blockSize_ = static_cast<size_t>(got);
  blockValid_ = true;
  return true;
}

int64_t ImageFile::ReadAt(uint64_t offset, uint8_t* dst, size_t size) {
  if (size == 0) return 0;
  if (size > kBlockSize / 2) return source_.ReadAt(offset, dst, size);
  bool inBlock = blockValid_ && offset >= blockStart_ && offset - blockStart_ <= blockSize_ &&
                 (offset - blockStart_ + size <= blockSize_ || blockSize_ < block_.size());
  if (!inBlock) {
    // A failed block load may be an error beyond the bytes asked for; the
    // request alone decides, so it is retried without the cache.
    if (!LoadBlock(offset)) return source_.ReadAt(offset, dst, size);
  }
  uint64_t at = offset - blockStart_;
  if (at >= blockSize_) return 0;  // at or past the end of the file
  size_t count = size;
  if (at + count > blockSize_) count = blockSize_ - static_cast<size_t>(at);
  std::memcpy(dst, block_.data() + at, count);
  return static_cast<int64_t>(count);
}

}  // namespace romscope
