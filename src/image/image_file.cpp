#include "image/image_file.h"

#include <algorithm>
#include <cstring>

namespace romscope {

int64_t ImageFile::Read(uint8_t* dst, size_t size) {
  int64_t got = ReadAt(position_, dst, size);
  if (got > 0) Skip(static_cast<uint64_t>(got));
  return got;
}

bool ImageFile::Covers(uint64_t offset, size_t size) const {
  if (!blockValid_ || offset < blockStart_ || offset - blockStart_ > blockSize_) return false;
  return offset - blockStart_ + size <= blockSize_ || blockAtEnd_;
}

bool ImageFile::LoadBlock(uint64_t offset, size_t size) {
  const uint64_t end = blockStart_ + blockSize_;
  const bool forward = blockValid_ && offset >= end && offset - end < kMinBlock;
  readAhead_ = forward ? std::min(readAhead_ * 2, kBlockSize) : kMinBlock;
  const uint64_t start = offset & ~uint64_t{63};
  const size_t want = std::max<size_t>(readAhead_, static_cast<size_t>(offset - start) + size);
  int64_t got = source_.ReadAt(start, block_.data(), want);
  if (got < 0) {
    blockValid_ = false;
    return false;
  }
  blockStart_ = start;
  blockSize_ = static_cast<size_t>(got);
  blockAtEnd_ = blockSize_ < want;
  blockValid_ = true;
  return true;
}

int64_t ImageFile::ReadAt(uint64_t offset, uint8_t* dst, size_t size) {
  if (size == 0) return 0;
  if (size > kBlockSize / 2) return source_.ReadAt(offset, dst, size);
  // A failed block load may be an error beyond the bytes asked for; the
  // request alone decides, so it is retried without the cache.
  if (!Covers(offset, size) && !LoadBlock(offset, size)) return source_.ReadAt(offset, dst, size);
  const uint64_t at = offset - blockStart_;
  if (at >= blockSize_) return 0;  // at or past the end of the file
  const size_t count = std::min<size_t>(size, blockSize_ - static_cast<size_t>(at));
  std::memcpy(dst, block_.data() + at, count);
  return static_cast<int64_t>(count);
}

}  // namespace romscope
