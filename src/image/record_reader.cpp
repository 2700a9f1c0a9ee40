#include "image/record_reader.h"

#include <algorithm>
#include <cstring>

#include "image/bin_format.h"

namespace romscope {

int64_t RecordReader::Read(const RecordInfo& record, uint64_t offset, uint8_t* dst, size_t size) {
  if (offset >= record.length) return 0;
  const size_t count = static_cast<size_t>(std::min<uint64_t>(size, record.length - offset));
  return store_.ReadAt(record.dataOffset + offset, dst, count);
}

bool RecordReader::Holds(const RecordInfo& record, uint64_t offset) {
  uint8_t byte = 0;
  return Read(record, offset, &byte, 1) == 1;
}

// Found by halving: a store that ends or fails inside the data holds the
// bytes before that point and none after it.
uint64_t RecordReader::PresentBytes(const RecordInfo& record) {
  uint64_t low = 0;  // bytes known to be there
  uint64_t high = record.length;
  while (low < high) {
    const uint64_t middle = low + (high - low + 1) / 2;
    if (Holds(record, middle - 1)) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low;
}

size_t RecordReader::Reading::Next(uint8_t* buffer) {
  if (over_ || read_ == record_.length) return 0;
  const size_t size = std::min<size_t>(record_.length - read_, kScratchSize);
  const int64_t got = data_.Read(record_, read_, buffer, size);
  if (got != static_cast<int64_t>(size)) {
    over_ = true;
    if (got > 0) delivered_ = read_ + static_cast<uint32_t>(got);
    return 0;
  }
  sum_ += SumBytes(buffer, size);
  read_ += static_cast<uint32_t>(size);
  delivered_ = read_;
  return size;
}

// Eight bytes at a time: byte pairs are added into 16-bit lanes, which are
// emptied before they can overflow.
uint32_t SumBytes(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  size_t i = 0;
  constexpr uint64_t kLow = 0x00FF00FF00FF00FFull;
  while (size - i >= 8) {
    uint64_t lanes = 0;
    size_t stop = i + std::min<size_t>((size - i) / 8, 128) * 8;
    for (; i < stop; i += 8) {
      uint64_t word;
      std::memcpy(&word, data + i, 8);
      lanes += (word & kLow) + ((word >> 8) & kLow);
    }
    sum += static_cast<uint32_t>((lanes & 0xFFFF) + ((lanes >> 16) & 0xFFFF) +
                                 ((lanes >> 32) & 0xFFFF) + (lanes >> 48));
  }
  for (; i < size; ++i) sum += data[i];
  return sum;
}

}  // namespace romscope
